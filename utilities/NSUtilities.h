#pragma once
// All of the shared helpers at once.
#include "utilities/Atomic.h"
#include "utilities/CreateIUnknown.h"
#include "utilities/HelpLauncher.h"
#include "utilities/ModuleLocation.h"
#include "utilities/ThreadUtilities.h"
#include "utilities/WideString.h"
#include "utilities/WidgetUtilities.h"
#include "utilities/YGuid.h"

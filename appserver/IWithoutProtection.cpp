#include "appserver/IWithoutProtection.h"

IWithoutProtection::~IWithoutProtection() = default;

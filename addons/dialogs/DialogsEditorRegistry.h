#pragma once
// Which dialog window each editor id makes. Each dialog's source file registers the
// ids it serves with a DialogsEditorRegistration at load time, so that a new dialog is
// one new file; GP_create asks here for ids it does not handle itself. GUI thread,
// except the registrations, which run while the library loads.
#include "DialogsAddOnLink.h"

class IClientServices;
class IMemAPI;
class QWidget;

// What a creator gets: the add-on (through its link), the client services, the memory
// API, the main window as parent, and the editor id asked for.
struct TDialogsCreateContext
{
    TDialogsAddOnLink addOn;
    IClientServices* services = nullptr;
    IMemAPI* api = nullptr;
    QWidget* parent = nullptr;
    int id = 0;
};

// Makes the window of one editor id, or null. The component initialises the window
// (EX_postInitialize) and runs it (EX_execute), then deletes it.
using TDialogsCreator = QWidget* (*)(const TDialogsCreateContext& context);

namespace NS_DialogsRegistry {
// The creator registered for the id, or null.
TDialogsCreator creatorOf(int id);
} // namespace NS_DialogsRegistry

// One static object per dialog file: registers the creator for the ids first..last.
class DialogsEditorRegistration
{
public:
    DialogsEditorRegistration(int first, int last, TDialogsCreator creator);
};

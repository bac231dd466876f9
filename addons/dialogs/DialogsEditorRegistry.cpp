#include "DialogsEditorRegistry.h"
#include <map>

namespace {

// Filled by the registrations while the library loads; read on the GUI thread after.
std::map<int, TDialogsCreator>& creators()
{
    static std::map<int, TDialogsCreator> table;
    return table;
}

} // namespace

TDialogsCreator NS_DialogsRegistry::creatorOf(int id)
{
    const auto it = creators().find(id);
    return it == creators().end() ? nullptr : it->second;
}

DialogsEditorRegistration::DialogsEditorRegistration(int first, int last, TDialogsCreator creator)
{
    for (int id = first; id <= last; ++id)
        creators()[id] = creator;
}

#pragma once
// The three view add-on libraries of the build, loaded the way the component loads
// them: by path, then the factory resolved by name.
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include <QLibrary>
#include <QSize>
#include <QString>
#include <ostream>

struct ViewLibrary
{
    const char* file;
    Y_GUID module;
    int editors;
    int sampleId;          // an id whose window the tests open
    QSize frame;           // the window's fixed size
    QSize view;            // the view inside it
    const char* caption;   // of the window opened for sampleId
    const char* viewName;  // object name of the view
    bool keptWindow;       // one window at a time, made by the add-on
    bool closeHides;       // the window itself only hides when it is closed
};

inline const ViewLibrary kViewLibraries[] = {
    {"libvantrel_kxe21_editor_mainLayer_addon.so", NS_AddOnIds::LayerAddOn, 1, 1, {843, 513},
     {841, 511}, "Part Mixer", "Channels", true, true},
    {"libvantrel_kxe21_editor_commondetail_addon.so", NS_AddOnIds::CommonDetailAddOn, 1, 1,
     {618, 401}, {616, 399}, "Common Detail ", "CommonDetail", true, false},
    {"libvantrel_kxe21_editor_partdetail_addon.so", NS_AddOnIds::PartDetailAddOn, 32, 21,
     {618, 265}, {616, 263}, "Part Detail 5", "PartDetail", false, false},
};

inline std::ostream& operator<<(std::ostream& out, const ViewLibrary& library)
{
    return out << library.file;
}

inline QString viewLibraryPath(const ViewLibrary& library)
{
    return QStringLiteral(VANTREL_ADDON_DIR "/") + QLatin1String(library.file);
}

// The library stays mapped after the QLibrary object goes, as in the component.
inline TAddOnFactoryFunction viewFactory(const ViewLibrary& library)
{
    QLibrary loader(viewLibraryPath(library));
    if (!loader.load())
        return nullptr;
    return reinterpret_cast<TAddOnFactoryFunction>(loader.resolve(kAddOnFactoryName));
}

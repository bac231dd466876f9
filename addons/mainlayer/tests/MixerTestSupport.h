#pragma once
// What the mixer's tests share: the strips and controls of a mixer window found the
// way a user sees them (by object name, in creation order), client services that
// record the windows asked for, and a window that follows the surface's requests as
// the detail views do.
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include "memapi/TMemProxy_VANTREL_KXE.h"
#include "utilities/YGuid.h"
#include "utilities/interfaces/IClientServices.h"
#include "widgets/CDial_VANTREL_KXE.h"
#include "widgets/CFader_VANTREL_KXE.h"
#include "widgets/CHotspotLabel_VANTREL_KXE.h"
#include "widgets/COnOffButton_VANTREL_KXE.h"
#include "widgets/CPixmapSwitcher_VANTREL_KXE.h"
#include "widgets/CPopup_VANTREL_KXE.h"
#include <QCoreApplication>
#include <QLabel>
#include <QList>
#include <QScrollArea>
#include <QString>
#include <QUuid>
#include <QWidget>
#include <ostream>
#include <vector>

// Readable texts in the tests' messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace NS_MixerTest {

constexpr int kStrips = 16;
const QSize kWindowSize(843, 513);

inline QWidget* viewOf(QWidget* window)
{
    auto* frame = qobject_cast<QScrollArea*>(window);
    return frame ? frame->widget() : nullptr;
}

// The channel strips of the view in creation order.
inline QList<QWidget*> stripsOf(QWidget* view)
{
    QList<QWidget*> strips;
    if (!view)
        return strips;
    for (QObject* child : view->children()) {
        if (child->inherits("ChannelStrip"))
            strips.append(static_cast<QWidget*>(child));
    }
    return strips;
}

inline QWidget* masterOf(QWidget* view)
{
    return view ? view->findChild<QWidget*>(QStringLiteral("MasterStrip"), Qt::FindDirectChildrenOnly) : nullptr;
}

template <class Control>
Control* control(QWidget* strip, const char* name)
{
    return strip ? strip->findChild<Control*>(QLatin1String(name)) : nullptr;
}

// The voice name of strip i: it lies on the view, not on its strip.
inline CHotspotLabel_VANTREL_KXE* voiceNameOf(QWidget* view, int strip)
{
    if (!view)
        return nullptr;
    const QList<CHotspotLabel_VANTREL_KXE*> names =
        view->findChildren<CHotspotLabel_VANTREL_KXE*>(QStringLiteral("ChVoiceName"), Qt::FindDirectChildrenOnly);
    // Moved onto the view from the last strip to the first.
    const int at = int(names.size()) - 1 - strip;
    return at >= 0 && at < names.size() ? names[at] : nullptr;
}

// Every bound control below a widget (the widgets with a named address).
inline QList<QWidget*> boundControls(QWidget* root)
{
    QList<QWidget*> out;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        auto* proxy = dynamic_cast<TMemProxy_VANTREL_KXE*>(w);
        if (proxy && !proxy->namedAddress().isEmpty())
            out.append(w);
    }
    return out;
}

inline TMemProxy_VANTREL_KXE* proxyOf(QWidget* w)
{
    return dynamic_cast<TMemProxy_VANTREL_KXE*>(w);
}

struct EditorCall
{
    QUuid module;
    int id;
    bool operator==(const EditorCall& other) const { return module == other.module && id == other.id; }
};

inline std::ostream& operator<<(std::ostream& out, const EditorCall& call)
{
    return out << call.module.toString().toStdString() << ':' << call.id;
}

// Client services that record the windows asked for and name an active window.
class RecordingServices : public IClientServices
{
public:
    int32_t CS_mainWidget(QWidget** widget) override
    {
        if (widget)
            *widget = nullptr;
        return 0;
    }
    int32_t CS_modulePath(IUnknown*, QString&) override { return kFailure; }
    int32_t CS_iUnk(const QUuid&, IUnknown**) override { return kFailure; }
    int32_t CS_isEditorOpened(const QUuid&, int, QWidget** widget) override
    {
        if (widget)
            *widget = nullptr;
        return kFailure;
    }
    int32_t CS_reparent(QWidget*, QWidget*, const QPoint&, bool) override { return 0; }
    int32_t CS_openEditor(const QUuid& module, int index, QWidget** widget, const QRect*, bool) override
    {
        opened.push_back({module, index});
        if (widget)
            *widget = nullptr;
        return kFailure;
    }
    int32_t CS_closeEditor(QWidget*) override { return 0; }
    int32_t CS_reopenDefaultEditors(bool) override { return 0; }
    int32_t CS_menuObject(const QString&, QMenu**) override { return kFailure; }
    int32_t CS_menuObjectFromID(int, QMenu**) override { return kFailure; }
    int32_t CS_activeWindow(QWidget** widget) override
    {
        ++activeAsked;
        if (!widget)
            return kFailure;
        *widget = active;
        return 0;
    }
    int32_t CS_updatePortInformation() override { return 0; }
    int32_t CS_closeParent() override { return 0; }
    int32_t CS_showHelp(const QString&) override { return 0; }
    int32_t CS_saveViaStream(QDataStream&) override { return 0; }
    int32_t CS_loadViaStream(QDataStream&) override { return 0; }
    CompIMPInitialise_VANTREL_KXE* CS_compInitialize() override { return nullptr; }

    static constexpr int32_t kFailure = int32_t(0x80000008);
    std::vector<EditorCall> opened;
    QWidget* active = nullptr;
    int activeAsked = 0;
};

// A view that follows the surface's page and focus requests, as the detail views do.
class FollowingView : public QWidget
{
    Q_OBJECT
public:
    struct Request
    {
        int a, b, c;
        bool operator==(const Request& o) const { return a == o.a && b == o.b && c == o.c; }
    };
    std::vector<Request> pages, focus;

public slots:
    void guiWindowChanged(int window, int page, int third) { pages.push_back({window, page, third}); }
    void remoteFocusChanged(int element, int channel, int parameter)
    {
        focus.push_back({element, channel, parameter});
    }
};

inline std::ostream& operator<<(std::ostream& out, const FollowingView::Request& r)
{
    return out << '(' << r.a << ", " << r.b << ", " << r.c << ')';
}

inline QUuid partDetailModule()
{
    return Guid2QUuid(NS_AddOnIds::PartDetailAddOn);
}
inline QUuid commonDetailModule()
{
    return Guid2QUuid(NS_AddOnIds::CommonDetailAddOn);
}
inline QUuid dialogsModule()
{
    return Guid2QUuid(NS_AddOnIds::DialogsAddOn);
}

} // namespace NS_MixerTest

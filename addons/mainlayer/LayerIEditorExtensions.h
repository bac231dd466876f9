#pragma once
// The mixer view inside its window, 841 x 511 pixels: sixteen channel strips, one per
// part, and the master strip on the mixer's background. It keeps its add-on only
// through the add-on link, so a view that outlives the add-on never reaches the
// deleted object.
//
// It is also the one receiver of the control surface's page and focus requests (the
// companion's openGuiWindow and remoteControlFocus): it opens the detail window asked
// for and relays the request to the active editor window through a connection made
// for one emission, as guiWindowChanged(int,int,int) or remoteFocusChanged(int,int,int).
// A window that follows such requests has slots of those two signatures; any other
// window is left alone. GUI thread.
#include "addons/shell/TTovarEditorExtensions.h"
#include "memapi/IMemAPI.h"
#include <QFrame>
#include <QPointer>
#include <array>
#include <map>

class ChannelStripEx;
class COnOffButton_VANTREL_KXE;
class MasterStripEx;

class LayerIEditorExtensions : public QFrame, public TTovarEditorExtensions
{
    Q_OBJECT
public:
    static constexpr int kWidth = 841;
    static constexpr int kHeight = 511;
    static constexpr int kStrips = 16;
    // Where strip i (0 to 15) stands, and its voice name in the staggered rows.
    static QRect stripGeometry(int index);
    static QPoint voiceNamePosition(int index);
    static constexpr QRect kMasterGeometry{744, 78, 91, 428};
    // Frame of the channel header for strip i: the first part, even and odd parts.
    static int headerFrame(int index);
    // Key of a bound control in the widget map, in 32-bit signed arithmetic.
    static int32_t addressKey(int element, int channel, int parameter);

    // The last four arguments (window flags, strip count, caption, index) are those the
    // add-on passes; the view's layout is fixed and does not look at them.
    LayerIEditorExtensions(const TAddOnLink& addOn, IClientServices* services, QWidget* parent,
                           const char* name, Qt::WindowFlags flags = {}, int = kStrips,
                           const QString& = QString(), int = 1);
    ~LayerIEditorExtensions() override;

    // Binds the view to the memory API once: every strip to its part, the master
    // strip to channel 0; then the view receives the surface's requests. The same API
    // again changes nothing.
    int32_t EX_postInitialize(IMemAPI* api) override;

    // Lights the DETAIL switch of each strip whose part's detail window is shown, and
    // the master strip's while the common window is: windows reopened from a saved UI
    // state show as opened by a click. Switches of other windows are left as they are.
    void lightDetailSwitchesOfOpenWindows();

    // The bound control of the mixer for that parameter, or null.
    QWidget* findWidget(int element, int channel, int parameter) const;
    ChannelStripEx* strip(int index) const;
    MasterStripEx* masterStrip() const { return m_master; }

public slots:
    // Opens the part's detail window (part index 0 to 15).
    void openPartDetail(int part);
    void openCommonDetail();
    // Opens the voice dialog of the part (part index 0 to 15).
    void openVoiceDialog(int part);
    // A surface page request: windows 1 to 16 are parts, 17 the common window, any
    // other the mixer itself; then relayed to the active editor when it is not this.
    void openGuiWindow(int window, int page, int third);
    // A surface focus request: the mixer's control of that parameter takes the focus,
    // or the request is relayed to the active editor. Other threads are ignored.
    void remoteControlFocus(int element, int channel, int parameter);
    IMemAPI* memapi() const { return TTovarEditorExtensions::memapi(); }

signals:
    void guiWindowChanged(int window, int page, int third);
    void remoteFocusChanged(int element, int channel, int parameter);

private:
    void openEditor(const Y_GUID& module, int subId);
    // The view inside the active workspace window, or that window itself; null when
    // there is none.
    QWidget* activeEditor() const;
    // Connects one of this view's signals to the same slot of the target, emits it
    // and connects it to nothing again. A target without that slot is left alone.
    template <typename Emit>
    void relay(QWidget* target, const char* signature, const char* signal, const char* slot, Emit emitSignal);
    void fillWidgetMap();

    std::array<ChannelStripEx*, kStrips> m_strips{};
    MasterStripEx* m_master = nullptr;
    COnOffButton_VANTREL_KXE* m_dummy = nullptr;
    std::map<int32_t, QPointer<QWidget>> m_widgets;
};

#include "LayerIEditorExtensions.h"
#include "ChannelStripEx.h"
#include "MasterStripEx.h"
#include "addons/shell/EX_postInitializeHelper.h"
#include "utilities/ThreadUtilities.h"
#include "utilities/YGuid.h"
#include "utilities/interfaces/IClientServices.h"
#include "widgets/COnOffButton_VANTREL_KXE.h"
#include <QCoreApplication>
#include <QScrollArea>

namespace {

constexpr int kStripX = 6;
constexpr int kStripPitch = 46;
constexpr int kStripY = 4;
constexpr int kStripWidth = 43;
constexpr int kStripHeight = 501;
constexpr int kVoiceNameX = 8;
constexpr int kVoiceNameOddY = 44;  // parts 1, 3, 5 ...
constexpr int kVoiceNameEvenY = 60; // parts 2, 4, 6 ...

// Surface windows: 1 to 16 the parts, 17 the common window.
constexpr int kFirstPartWindow = 1;
constexpr int kLastPartWindow = 16;
constexpr int kCommonWindow = 17;
// Sub-ids: part detail 1 to 16 and again 17 to 32 for the same parts; the dialogs
// add-on's voice dialogs of the parts from 17.
constexpr int kVoiceDialogSubId = 17;

} // namespace

QRect LayerIEditorExtensions::stripGeometry(int index)
{
    return QRect(kStripX + kStripPitch * index, kStripY, kStripWidth, kStripHeight);
}

QPoint LayerIEditorExtensions::voiceNamePosition(int index)
{
    // Part numbers are 1-based: part 1 (index 0) is odd.
    return QPoint(kVoiceNameX + kStripPitch * index, index % 2 == 0 ? kVoiceNameOddY : kVoiceNameEvenY);
}

int LayerIEditorExtensions::headerFrame(int index)
{
    if (index == 0)
        return 0;
    return index % 2 == 1 ? 1 : 2;
}

int32_t LayerIEditorExtensions::addressKey(int element, int channel, int parameter)
{
    // Unsigned arithmetic wraps where the signed sum would overflow.
    return int32_t(uint32_t(element) * 65536u + uint32_t(channel) * 256u + uint32_t(parameter));
}

LayerIEditorExtensions::LayerIEditorExtensions(const TAddOnLink& addOn, IClientServices* services,
                                               QWidget* parent, const char* name, Qt::WindowFlags flags,
                                               int, const QString&, int)
    : QFrame(parent, flags), TTovarEditorExtensions(addOn, services)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    setFixedSize(kWidth, kHeight);

    for (int i = 0; i < kStrips; ++i) {
        auto* strip = new ChannelStripEx(this, "ChannelStrip");
        m_strips[size_t(i)] = strip;
        strip->setLayerNumber(i);
        strip->setGeometry(stripGeometry(i));
        strip->form().ChannelVoiceBackGround->setCurrentImage(headerFrame(i));
        strip->form().ChPartNumber->setText(QCoreApplication::translate("@default", "Part ")
                                            + QString::number(i + 1));
        connect(strip, &ChannelStrip::openPartDetail, this, &LayerIEditorExtensions::openPartDetail);
        connect(strip, &ChannelStrip::openVoiceDialog, this, &LayerIEditorExtensions::openVoiceDialog);
    }
    // The voice names leave their headers for the view, so that each may run across
    // the strips to its right; the staggered rows keep one name off the next. The
    // first part's name is moved last and lies on top.
    for (int i = kStrips - 1; i >= 0; --i) {
        CHotspotLabel_VANTREL_KXE* name = m_strips[size_t(i)]->form().ChVoiceName;
        name->setParent(this);
        name->move(voiceNamePosition(i));
        name->show();
    }

    m_master = new MasterStripEx(this, "MasterStrip");
    m_master->setGeometry(kMasterGeometry);
    connect(m_master, &MasterStrip::openMasterDetail, this, &LayerIEditorExtensions::openCommonDetail);

    m_dummy = new COnOffButton_VANTREL_KXE(this, "DummyButton");
    m_dummy->setFocusPolicy(Qt::NoFocus);
    m_dummy->setNamedAddress(QString());
    m_dummy->hide();
}

LayerIEditorExtensions::~LayerIEditorExtensions() = default;

ChannelStripEx* LayerIEditorExtensions::strip(int index) const
{
    return index >= 0 && index < kStrips ? m_strips[size_t(index)] : nullptr;
}

int32_t LayerIEditorExtensions::EX_postInitialize(IMemAPI* api)
{
    if (!attachMemAPI(api) || !api)
        return NS_MPStatus::ok;
    // Each channel strip serves its part: the strips in creation order get parts 0 to 15.
    EX_postInitializeHelper(this, api, "ChannelStrip", 0, 1, nullptr);
    for (ChannelStripEx* strip : m_strips)
        strip->connectMemAPI(api);
    if (m_master) {
        api->MAPI_assignServer(m_master, 0);
        m_master->setMemAPI(api);
        m_master->initComboBoxesFromMemAPI();
    }
    fillWidgetMap();
    api->MAPI_signalSlot(SIGNAL(openGuiWindow(int,int,int)), this, SLOT(openGuiWindow(int,int,int)), true);
    api->MAPI_signalSlot(SIGNAL(remoteControlFocus(int,int,int)), this,
                         SLOT(remoteControlFocus(int,int,int)), true);
    return NS_MPStatus::ok;
}

void LayerIEditorExtensions::fillWidgetMap()
{
    m_widgets.clear();
    for (QWidget* widget : findChildren<QWidget*>()) {
        if (auto* control = dynamic_cast<TMemProxy_VANTREL_KXE*>(widget))
            m_widgets.emplace(addressKey(control->element(), control->channel(), control->param()), widget);
    }
}

QWidget* LayerIEditorExtensions::findWidget(int element, int channel, int parameter) const
{
    const auto found = m_widgets.find(addressKey(element, channel, parameter));
    return found == m_widgets.end() ? nullptr : found->second.data();
}

void LayerIEditorExtensions::openEditor(const Y_GUID& module, int subId)
{
    IClientServices* services = clientServices();
    if (!services)
        return;
    // A window that cannot be made is simply not there; nothing to report.
    QWidget* window = nullptr;
    services->CS_openEditor(Guid2QUuid(module), subId, &window, nullptr, true);
}

void LayerIEditorExtensions::lightDetailSwitchesOfOpenWindows()
{
    IClientServices* services = clientServices();
    if (!services)
        return;
    auto shown = [services](const Y_GUID& module, int subId) {
        QWidget* window = nullptr;
        return services->CS_isEditorOpened(Guid2QUuid(module), subId, &window) == NS_MPStatus::ok && window
               && !window->isHidden();
    };
    // Checked as a click checks it: the switch has no address, so nothing is written.
    for (int i = 0; i < kStrips; ++i) {
        if (shown(NS_AddOnIds::PartDetailAddOn, i + 1))
            m_strips[size_t(i)]->form().DetailButton->setChecked(true);
    }
    if (m_master && shown(NS_AddOnIds::CommonDetailAddOn, 1))
        m_master->form().DetailButton->setChecked(true);
}

void LayerIEditorExtensions::openPartDetail(int part)
{
    openEditor(NS_AddOnIds::PartDetailAddOn, part + 1);
}

void LayerIEditorExtensions::openCommonDetail()
{
    openEditor(NS_AddOnIds::CommonDetailAddOn, 1);
}

void LayerIEditorExtensions::openVoiceDialog(int part)
{
    openEditor(NS_AddOnIds::DialogsAddOn, part + kVoiceDialogSubId);
}

QWidget* LayerIEditorExtensions::activeEditor() const
{
    IClientServices* services = clientServices();
    QWidget* window = nullptr;
    if (!services || services->CS_activeWindow(&window) != NS_MPStatus::ok || !window)
        return nullptr;
    auto* frame = qobject_cast<QScrollArea*>(window);
    if (!frame)
        return window;
    if (QWidget* view = frame->widget())
        return view;
    const QObjectList children = frame->viewport()->children();
    return children.isEmpty() ? nullptr : qobject_cast<QWidget*>(children.first());
}

template <typename Emit>
void LayerIEditorExtensions::relay(QWidget* target, const char* signature, const char* signal, const char* slot,
                                   Emit emitSignal)
{
    // Asked first, so that a window without the slot costs no refused connection.
    if (target->metaObject()->indexOfSlot(signature) < 0)
        return;
    if (!connect(this, signal, target, slot))
        return;
    emitSignal();
    disconnect(this, signal, nullptr, nullptr);
}

void LayerIEditorExtensions::openGuiWindow(int window, int page, int third)
{
    if (window >= kFirstPartWindow && window <= kLastPartWindow) {
        QWidget* holder = parentWidget();
        if (holder && holder->isHidden())
            return;
        // The second sub-ids (17 to 32) name the same parts.
        openPartDetail(third != -1 ? window + kLastPartWindow - 1 : window - 1);
    } else if (window == kCommonWindow) {
        openCommonDetail();
    } else {
        setFocus();
    }
    if (!clientServices())
        return;
    QWidget* editor = activeEditor();
    if (!editor || editor == this)
        return;
    relay(editor, "guiWindowChanged(int,int,int)", SIGNAL(guiWindowChanged(int,int,int)),
          SLOT(guiWindowChanged(int,int,int)), [&] { emit guiWindowChanged(window, page, third); });
}

void LayerIEditorExtensions::remoteControlFocus(int element, int channel, int parameter)
{
    if (!NS_Utilities::mainThreadRunning() || !clientServices())
        return;
    QWidget* editor = activeEditor();
    if (!editor)
        return;
    if (editor != this) {
        relay(editor, "remoteFocusChanged(int,int,int)", SIGNAL(remoteFocusChanged(int,int,int)),
              SLOT(remoteFocusChanged(int,int,int)),
              [&] { emit remoteFocusChanged(element, channel, parameter); });
        return;
    }
    if (auto* current = dynamic_cast<TMemProxy_VANTREL_KXE*>(focusWidget())) {
        if (current->element() == element && current->channel() == channel && current->param() == parameter)
            return;
    }
    if (QWidget* control = findWidget(element, channel, parameter))
        control->setFocus(Qt::OtherFocusReason);
}

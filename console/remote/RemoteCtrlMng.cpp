#include "RemoteCtrlMng.h"
#include "RcParamInfo.h"
#include "RemoteMessages.h"
#include "RemotePageTree.h"
#include "RemoteFunctionItems.h"
#include "RemoteTemplate.h"
#include "console/model/PrmCtrl.h"
#include "console/model/SynthMemory.h"
#include "memapi/IMemAPI.h"
#include "utilities/interfaces/TMIDIProxyInOut.h"
#include <QTimerEvent>
#include <algorithm>
#include <cstring>

using namespace NS_Remote;
namespace Tree = NS_RemotePageTree;

const char* const CRemoteCtrlMng::REMOTE_TYPE_NAME[2] = {"NONE", "R5T"};

namespace {

constexpr int kTimerMs = 100;
constexpr uint8_t kOn = 127;

// Holds the memory-API lock for the timer's work; tests run without an API.
class ApiLock
{
public:
    explicit ApiLock(IMemAPI* api) : m_api(api)
    {
        if (m_api)
            m_api->MAPI_lock(true);
    }
    ~ApiLock()
    {
        if (m_api)
            m_api->MAPI_lock(false);
    }
    ApiLock(const ApiLock&) = delete;
    ApiLock& operator=(const ApiLock&) = delete;

private:
    IMemAPI* m_api;
};

// Marks the manager busy with surface input for the time of one message, so that
// the map's echo of the surface's own writes is not shown twice.
class Busy
{
public:
    explicit Busy(bool& flag) : m_flag(flag), m_was(flag) { m_flag = true; }
    ~Busy() { m_flag = m_was; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    bool& m_flag;
    bool m_was;
};

bool sameAddress(const unsigned char* a, const QByteArray& b)
{
    return b.size() >= 3 && std::memcmp(a, b.constData(), 3) == 0;
}

QByteArray padded(const QByteArray& text, int width)
{
    QByteArray t = text.left(width);
    while (t.size() < width)
        t.append(' ');
    return t;
}

void reportWarnings(QList<CRemoteTemplate::Warning> warnings, bool read)
{
    // Every box of the read, even when the template was usable (a template passed
    // over, a display style left empty); a template that cannot be used ends them.
    if (!read)
        warnings.append({QStringLiteral("RemoteCtrl-MakeList"), QStringLiteral("ERROR")});
    if (!warnings.isEmpty())
        CSynthMemory::reportStartupWarnings(warnings);
}

} // namespace

CRemoteCtrlMng::CRemoteCtrlMng()
{
    std::fill(m_route, m_route + kRouteBytes, kRouteEnd);
}

CRemoteCtrlMng::~CRemoteCtrlMng()
{
    StopTimer();
}

void CRemoteCtrlMng::StopTimer()
{
    if (m_timerId)
        killTimer(m_timerId);
    m_timerId = 0;
    m_countdown = -1;
    m_pending = 0;
}

void CRemoteCtrlMng::Reset()
{
    StopTimer();
    m_tpl.reset();
    m_display.setFields(nullptr);
    m_reports.clear();
    m_parts.clear();
    m_failed = false;
    m_active = m_initialised = m_plugIn = false;
    std::fill(m_route, m_route + kRouteBytes, kRouteEnd);
}

// ------------------------------------------------------------------ start-up

void CRemoteCtrlMng::InitSet(CPrmCtrl* map, unsigned long type, QString folder)
{
    Reset();
    m_pVoiceBanks = nullptr;
    m_map = map;
    m_type = type;
    m_folder = std::move(folder);
    m_active = m_initialised = true;
    m_plugIn = false;

    auto tpl = std::make_unique<CRemoteTemplate>();
    // Type 0 names no surface: nothing to read and nothing to report.
    const bool read = type == 1 && tpl->MakeList(m_folder, QString::fromLatin1(REMOTE_TYPE_NAME[type]));
    if (type == 1) {
        m_reports = tpl->Reports();
        reportWarnings(tpl->Warnings(), read);
    }
    if (!read) {
        m_active = m_initialised = false;
        m_failed = true;
        return;
    }
    m_tpl = std::move(tpl);
    m_display.setFields(&m_tpl->fields);
    if (m_map && m_map->IsRunningAsPlugIn()) {
        // In plug-in mode the surface waits for its activation key.
        m_plugIn = true;
        m_active = m_initialised = false;
    }
    m_bankCount = std::max(m_tpl->bankCount, 1);
    m_shownBank = m_previousBank = m_selected = 0;
    m_bankChanged = m_soloMode = m_modifierLatched = false;
    m_parts.assign(size_t(m_bankCount * kStripCount), PART_INFO{0, kOn, 400, false});
    m_masterSoloLamp = m_masterOnLamp = kOn;
    m_masterFader = 508;
    m_masterMoved = false;
    Tree::copy(m_route, m_tpl->defaultRoute);
    m_displayMode = m_faderShown = false;
    m_display.clearOverCounts();
    std::fill(m_pushCounts, m_pushCounts + kEncoderCount, 0);
    if (m_initialised) {
        SendInitial();
        ReadFaders();
        MoveAllFaders();
        RedrawPage();
        SendEntry();
    }
    m_timerId = startTimer(kTimerMs);
}

// ------------------------------------------------------------------ refresh and timer

void CRemoteCtrlMng::Refresh(unsigned long what)
{
    if (!m_active || !m_tpl)
        return;
    if (what == kRefreshAll) {
        SendInitial();
        Tree::copy(m_route, m_tpl->defaultRoute);
        StatusRefresh();
        RedrawPage();
        SendEntry();
        ReadFaders();
        MoveAllFaders();
    } else {
        if (what & kRefreshPlugInMode) {
            if (m_map && m_map->IsRunningAsPlugIn()) {
                m_plugIn = true;
                SendLamp(kKeyActivate, false);
                m_active = m_initialised = false;
            } else {
                m_plugIn = false;
            }
        }
        if (what & kRefreshDeactivate) {
            SendLamp(kKeyActivate, false);
            m_active = false;
        }
        if (m_active) {
            if (what & kRefreshInitial) {
                SendInitial();
                Tree::copy(m_route, m_tpl->defaultRoute);
            }
            if (what & kRefreshStatus)
                StatusRefresh();
            if (what & kRefreshPage)
                RedrawPage();
            if (what & kRefreshFaders) {
                ReadFaders();
                MoveAllFaders();
            }
            if (what & kRefreshLampOff)
                SendLamp(kKeyActivate, false);
            if (what & kRefreshValues) {
                if (m_faderShown)
                    RedrawPage();
                else
                    RefreshValues();
            }
        }
    }
    m_faderShown = false;
    m_display.clearOverCounts();
    if (m_active)
        m_initialised = true;
}

void CRemoteCtrlMng::TimerTick()
{
    ApiLock lock(m_map ? m_map->MemAPI() : nullptr);
    if (m_countdown == -1)
        return;
    --m_countdown;
    if (m_countdown == 0 && m_pending) {
        const uint32_t bits = m_pending;
        m_pending = 0;
        Refresh(bits);
    }
}

void CRemoteCtrlMng::OnTimer()
{
    ApiLock lock(m_map ? m_map->MemAPI() : nullptr);
    const uint32_t bits = m_pending;
    m_pending = 0;
    m_countdown = -1;
    if (bits)
        Refresh(bits);
}

void CRemoteCtrlMng::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timerId && m_timerId)
        TimerTick();
    else
        QObject::timerEvent(event);
}

void CRemoteCtrlMng::ScheduleRedraw()
{
    m_pending |= kRefreshPage;
    m_countdown = std::max((m_tpl ? m_tpl->displayTime : 0) / kTimerMs, 1);
}

// ------------------------------------------------------------------ output

void CRemoteCtrlMng::Send(const QByteArray& bytes)
{
    TMIDIProxyInOut* port = m_map ? m_map->MIDI(1) : nullptr;
    if (port && !bytes.isEmpty())
        port->write(int(bytes.size()), bytes.constData());
}

void CRemoteCtrlMng::SendMessageString(const QString& text)
{
    // The same few strings are sent on every refresh: each is parsed once.
    auto parsed = m_parsedMessages.constFind(text);
    if (parsed == m_parsedMessages.constEnd()) {
        QList<QByteArray> messages;
        if (!NS_RemoteMsg::parseMessageString(text.toLatin1(), messages))
            messages.clear();
        if (m_parsedMessages.size() >= 4096)
            m_parsedMessages.clear();
        parsed = m_parsedMessages.insert(text, messages);
    }
    const QList<QByteArray> messages = *parsed;
    // The port takes one message per write.
    for (const QByteArray& bytes : messages) {
        // A lamp sent by a message string is a lamp the manager knows about.
        if (bytes.size() == 3 && uint8_t(bytes[0]) == 0x90) {
            const int k = KeyOfNote(uint8_t(bytes[1]));
            if (k >= 0)
                m_tpl->keys[size_t(k)].lampState = uint8_t(bytes[2]);
        }
        Send(bytes);
    }
}

void CRemoteCtrlMng::SendMessages(const CStrArray& list)
{
    for (int i = 0; i < list.size(); ++i)
        SendMessageString(list.at(i));
}

uint8_t CRemoteCtrlMng::lampState(int key) const
{
    if (!m_tpl || key < 0 || key >= int(m_tpl->keys.size()))
        return 0;
    return m_tpl->keys[size_t(key)].lampState;
}

void CRemoteCtrlMng::SendLamp(int key, bool on)
{
    if (!m_tpl || key < 0 || key >= int(m_tpl->keys.size()))
        return;
    KEY_INFO& k = m_tpl->keys[size_t(key)];
    k.lampState = on ? kOn : 0;
    Send(NS_RemoteMsg::lamp(k.note, on));
}

void CRemoteCtrlMng::SendInitial()
{
    const bool plugIn = m_plugIn && m_tpl->hasPlugInMessages;
    SendMessages(plugIn ? m_tpl->plugInMessages : m_tpl->standaloneMessages);
}

void CRemoteCtrlMng::RestoreLamps()
{
    for (size_t k = 0; k < m_tpl->keys.size(); ++k) {
        if (int(k) >= kKeyLeave39 && int(k) <= kKeyLeave43)
            continue;
        SendLamp(int(k), m_tpl->keys[k].lampState == kOn);
    }
}

void CRemoteCtrlMng::SendSelectionLamps()
{
    const int master = m_bankCount * kStripCount;
    for (int k = kKeyStrip0; k <= kKeyMasterSelect; ++k) {
        bool on = false;
        if (m_selected == master)
            on = k == kKeyMasterSelect;
        else if (m_selected / kStripCount == m_shownBank)
            on = k == m_selected % kStripCount;
        SendLamp(k, on);
    }
}

void CRemoteCtrlMng::SendStatusLamps()
{
    for (int s = 0; s < kStripCount; ++s) {
        const PART_INFO& p = m_parts[size_t(m_shownBank * kStripCount + s)];
        SendLamp(kKeyStatus0 + s, (m_soloMode ? p.solo : p.on) == kOn);
    }
    SendLamp(kKeyMasterStatus, (m_soloMode ? m_masterSoloLamp : m_masterOnLamp) == kOn);
}

void CRemoteCtrlMng::StatusRefresh()
{
    m_shownBank = 0;
    m_soloMode = false;
    SendLamp(kKeySoloMode, false);
    for (int p = 0; p < int(m_parts.size()); ++p) {
        m_parts[size_t(p)].on = m_map && m_map->IsMuteStatus(p) ? 0 : kOn;
        m_parts[size_t(p)].solo = m_map && m_map->IsSoloStatus(p) ? kOn : 0;
    }
    SendStatusLamps();
    for (int k = kKeyStrip0; k <= kKeyMasterSelect; ++k)
        SendLamp(k, false);
    m_selected = 0;
    SendLamp(kKeyStrip0, true);
}

void CRemoteCtrlMng::MoveFader(int channel)
{
    if (channel == kMasterFaderChannel) {
        Send(NS_RemoteMsg::fader(kMasterFaderChannel, int(m_masterFader)));
        return;
    }
    const int p = m_shownBank * kStripCount + channel;
    if (channel >= 0 && channel < kStripCount && p < int(m_parts.size()))
        Send(NS_RemoteMsg::fader(channel, int(m_parts[size_t(p)].fader)));
}

void CRemoteCtrlMng::MoveAllFaders()
{
    for (int s = 0; s < kStripCount; ++s) {
        const int p = m_shownBank * kStripCount + s;
        // A fader the user is moving is not driven against the hand.
        if (p < int(m_parts.size()) && !m_parts[size_t(p)].moved)
            MoveFader(s);
    }
    MoveFader(kMasterFaderChannel);
}

void CRemoteCtrlMng::ReadFaders()
{
    const std::vector<FADER_ADDR_INFO>& lines = m_tpl->faderAddresses;
    const int n = int(lines.size());
    for (int p = 0; p < int(m_parts.size()); ++p) {
        const QByteArray* a = nullptr;
        if (p < n)
            a = &lines[size_t(p)].first;
        else if (p - kStripCount >= 0 && p - kStripCount < n && !lines[size_t(p - kStripCount)].second.isEmpty())
            a = &lines[size_t(p - kStripCount)].second;
        if (!a)
            break;
        int32_t v = 0;
        int size = 0;
        if (CRemoteFunctionItems::ReadValue(m_map, short(m_tpl->faderCategory),
                                         reinterpret_cast<const unsigned char*>(a->constData()), v, size)) {
            m_parts[size_t(p)].fader = uint32_t(NS_RemoteMsg::valueToFader(v));
            m_parts[size_t(p)].moved = false;
        }
    }
    int32_t v = 0;
    int size = 0;
    if (!m_tpl->masterAddress.isEmpty()
        && CRemoteFunctionItems::ReadValue(m_map, short(m_tpl->masterCategory),
                                        reinterpret_cast<const unsigned char*>(m_tpl->masterAddress.constData()), v,
                                        size))
        m_masterFader = uint32_t(NS_RemoteMsg::valueToFader(v));
}

void CRemoteCtrlMng::ClearTemporary()
{
    m_faderShown = false;
    m_display.clearOverCounts();
}

void CRemoteCtrlMng::RestoreSurface()
{
    if (!m_initialised)
        SendInitial();
    RestoreLamps();
    SendSelectionLamps();
    SendStatusLamps();
    ReadFaders();
    MoveAllFaders();
    RedrawPage();
    SendEntry();
    ClearTemporary();
    m_initialised = true;
}

// ------------------------------------------------------------------ pages

const TOP_WINDOW_TREE* CRemoteCtrlMng::CurrentTop() const
{
    return m_tpl ? Tree::topOf(m_tpl->tops, m_route) : nullptr;
}

const WINDOW_INFO* CRemoteCtrlMng::CurrentWindow() const
{
    if (!m_tpl)
        return nullptr;
    const int w = Tree::windowOf(m_tpl->tops, m_route);
    if (w < 0 || w >= int(m_tpl->windows.size()) || !m_tpl->windows[size_t(w)].loaded)
        return nullptr;
    return &m_tpl->windows[size_t(w)];
}

int CRemoteCtrlMng::KindOfRoute(const uint8_t* route) const
{
    const TOP_WINDOW_TREE* top = m_tpl ? Tree::topOf(m_tpl->tops, route) : nullptr;
    return top ? top->kind : 0;
}

QByteArray CRemoteCtrlMng::InvalidText(int width) const
{
    const int cells = std::max(width, 1) * kFieldCells - 1;
    if (m_tpl && m_tpl->invalidMode == 1)
        return m_tpl->invalidText.left(cells);
    return QByteArray(cells, m_tpl ? m_tpl->invalidChar : ' ');
}

_RCPARAM_INFO CRemoteCtrlMng::InfoOf(const PARAM_STR_INFO& item, unsigned char* address) const
{
    std::memcpy(address, item.address.constData(), 3);
    _RCPARAM_INFO p;
    p.category = item.format;
    p.address = address;
    p.kind = item.kind;
    return p;
}

QByteArray CRemoteCtrlMng::ItemText(const PARAM_STR_INFO& item, bool longText, bool& valid, int32_t* valueOut)
{
    unsigned char a[3];
    const _RCPARAM_INFO p = InfoOf(item, a);
    Value v;
    if (!ReadParam(p, 0, longText, item.width > 1, v)) {
        valid = false;
        return InvalidText(item.width);
    }
    if (item.bitMask >= 0 && item.bitMask < int(m_tpl->masks.size())) {
        v.value = (uint32_t(v.value) & m_tpl->masks[size_t(item.bitMask)].mask) != 0 ? 1 : 0;
        v.text = QByteArray::number(v.value);
    }
    if (item.dispStyle >= 0 && item.dispStyle < int(m_tpl->styles.size())) {
        for (const DISP_STYLE& e : m_tpl->styles[size_t(item.dispStyle)].entries) {
            bool ok = false;
            if (e.valueText.toInt(&ok) == v.value && ok) {
                v.text = e.text;
                break;
            }
        }
    }
    valid = v.valid;
    if (valueOut)
        *valueOut = v.value;
    return v.valid ? v.text : InvalidText(item.width);
}

QByteArray CRemoteCtrlMng::ItemName(const PARAM_STR_INFO& item)
{
    if (item.fixedLabel && !item.label.isEmpty())
        return item.label;
    unsigned char a[3];
    std::memcpy(a, item.address.constData(), 3);
    PRMINFO info;
    if (!m_map || !m_map->GetPrmInfo(short(item.format), a, info))
        return QByteArray();
    return info.name.trimmed().toLatin1();
}

void CRemoteCtrlMng::BuildLowerLine(const WINDOW_INFO& w, bool valueLayout)
{
    m_display.clear(CRemoteDisplay::Lower);
    if (w.form == WINDOW_INFO::PartMixer) {
        const LCD_STR_INFO& layout = valueLayout || !m_displayMode ? w.mixer.value : w.mixer.name;
        for (const VARIA_STR_INFO& item : layout.lower) {
            if (item.bank != -1 && item.bank != m_shownBank)
                continue;
            QByteArray text;
            if (item.fixedLabel && !item.label.isEmpty()) {
                text = item.label;
            } else {
                bool valid = true;
                text = ItemText(item, !item.fixedLabel, valid);
            }
            m_display.place(CRemoteDisplay::Lower, item.field, item.width, text);
        }
        return;
    }
    for (const PARAM_STR_INFO& item : w.edit.items) {
        bool valid = true;
        const QByteArray text = valueLayout || !m_displayMode ? ItemText(item, item.width > 1, valid) : ItemName(item);
        m_display.place(CRemoteDisplay::Lower, item.field, item.width, text);
    }
}

void CRemoteCtrlMng::RedrawPage()
{
    // A value that spilled over its neighbours is gone with the page it was shown on.
    m_display.clearOverCounts();
    const WINDOW_INFO* w = CurrentWindow();
    if (!w)
        return;
    m_display.clear(CRemoteDisplay::Upper);
    if (w->form == WINDOW_INFO::PartMixer) {
        const LCD_STR_INFO& layout = m_displayMode ? w->mixer.name : w->mixer.value;
        for (const CONST_STR_INFO& c : layout.upper) {
            if (c.bank == -1 || c.bank == m_shownBank)
                m_display.place(CRemoteDisplay::Upper, c.field, kLineLength, c.text);
        }
    } else if (m_displayMode) {
        m_display.place(CRemoteDisplay::Upper, w->edit.constField, kLineLength, w->edit.constText);
    } else {
        for (const PARAM_STR_INFO& item : w->edit.items)
            m_display.place(CRemoteDisplay::Upper, item.field, item.width, ItemName(item));
    }
    BuildLowerLine(*w, false);
    Send(m_display.lineMessage(CRemoteDisplay::Upper));
    Send(m_display.lineMessage(CRemoteDisplay::Lower));
}

void CRemoteCtrlMng::RefreshValues()
{
    const WINDOW_INFO* w = CurrentWindow();
    if (!w)
        return;
    BuildLowerLine(*w, true);
    Send(m_display.lineMessage(CRemoteDisplay::Lower));
    ScheduleRedraw();
}

void CRemoteCtrlMng::ShowFaderValues(int strip)
{
    const auto value = [&](int s) {
        const int p = m_shownBank * kStripCount + s;
        return p < int(m_parts.size()) ? NS_RemoteMsg::faderToValue(int(m_parts[size_t(p)].fader)) : 0;
    };
    if (m_faderShown && strip >= 0 && strip < kStripCount) {
        Send(m_display.fieldMessage(CRemoteDisplay::Lower, strip, padded(QByteArray::number(value(strip)), kFieldChars)));
    } else {
        m_display.clear(CRemoteDisplay::Upper);
        m_display.clear(CRemoteDisplay::Lower);
        m_display.place(CRemoteDisplay::Upper, 0, kStripCount, "FADER");
        for (int s = 0; s < kStripCount && s < m_display.fieldCount(); ++s)
            m_display.place(CRemoteDisplay::Lower, s, 1, QByteArray::number(value(s)));
        Send(m_display.lineMessage(CRemoteDisplay::Upper));
        Send(m_display.lineMessage(CRemoteDisplay::Lower));
        m_faderShown = true;
    }
    ScheduleRedraw();
}

void CRemoteCtrlMng::ShowChangedValue(const PARAM_STR_INFO& item)
{
    bool valid = true;
    const QByteArray text = ItemText(item, true, valid);
    Send(m_display.fieldText(CRemoteDisplay::Lower, item.field, item.width, text));
    ScheduleRedraw();
    m_faderShown = false;
}

const PARAM_STR_INFO* CRemoteCtrlMng::KnobItem(int knob) const
{
    const WINDOW_INFO* w = CurrentWindow();
    if (!w || knob < 0)
        return nullptr;
    if (w->form == WINDOW_INFO::PartMixer) {
        const LCD_STR_INFO& layout = m_displayMode ? w->mixer.name : w->mixer.value;
        for (const VARIA_STR_INFO& item : layout.lower) {
            if ((item.bank == -1 || item.bank == m_shownBank) && item.knob == knob)
                return &item;
        }
        return nullptr;
    }
    for (const PARAM_STR_INFO& item : w->edit.items) {
        if (item.knob == knob)
            return &item;
    }
    return nullptr;
}

void CRemoteCtrlMng::SendEntry()
{
    if (const WINDOW_INFO* w = CurrentWindow())
        SendMessages(w->entry());
}

void CRemoteCtrlMng::SendExit()
{
    if (const WINDOW_INFO* w = CurrentWindow())
        SendMessages(w->exit());
}

void CRemoteCtrlMng::SaveRoute()
{
    const TOP_WINDOW_TREE* top = CurrentTop();
    if (!top || top->format < 0 || top->format >= int(m_tpl->formats.size()))
        return;
    Tree::copy(m_tpl->formats[size_t(top->format)].savedRoute, m_route);
}

void CRemoteCtrlMng::PageChanged(int oldKind, bool fromStep)
{
    SendEntry();
    RedrawPage();
    ClearTemporary();
    const int kind = KindOfRoute(m_route);
    const int previous = !fromStep && !Held(kKeyModifier) && kind != oldKind ? oldKind : -1;
    const int page = Tree::routeLength(m_route) >= 2 ? m_route[1] : 0;
    emit openGuiWindow(kind, page, previous);
}

void CRemoteCtrlMng::ChoosePage()
{
    const int condition = lampState(kKeyPageSet) == kOn ? 1 : 0;
    int chosen = -1;
    for (size_t e = 0; e < m_tpl->tops.size(); ++e) {
        const TOP_WINDOW_TREE& top = m_tpl->tops[e];
        if (top.pageSetCondition == condition && Tree::matchesSelection(top, m_selected, m_bankCount)) {
            chosen = int(e);
            break;
        }
    }
    if (chosen < 0)
        return;
    const TOP_WINDOW_TREE* old = CurrentTop();
    const int oldKind = KindOfRoute(m_route);
    SaveRoute();
    SendExit();
    const TOP_WINDOW_TREE& top = m_tpl->tops[size_t(chosen)];
    uint8_t route[kRouteBytes];
    if (!old || old->format != top.format) {
        // Another kind of page: where this format was left last time.
        Tree::copy(route, m_tpl->formats[size_t(top.format)].savedRoute);
        if (Tree::routeLength(route) == 0)
            std::fill(route + 1, route + kRouteBytes, kRouteEnd);
    } else {
        Tree::copy(route, m_route);
    }
    route[0] = uint8_t(chosen);
    if (!Tree::normalise(m_tpl->tops, route))
        return;
    Tree::copy(m_route, route);
    PageChanged(oldKind, false);
}

void CRemoteCtrlMng::StepPage(bool next)
{
    uint8_t route[kRouteBytes];
    Tree::copy(route, m_route);
    if (!Tree::step(m_tpl->tops, route, next, Held(kKeyShift)))
        return;
    const int oldKind = KindOfRoute(m_route);
    SendExit();
    Tree::copy(m_route, route);
    PageChanged(oldKind, true);
}

void CRemoteCtrlMng::KeyOnJump(int key)
{
    const int condition = lampState(kKeyPageSet) == kOn ? 1 : 0;
    for (const KEY_ON_JUMP_INFO& j : m_tpl->jumps) {
        if (j.key != key || (j.pageSetCondition != -1 && j.pageSetCondition != condition))
            continue;
        if (j.heldKey != -1 && !Held(j.heldKey))
            continue;
        const int len = Tree::routeLength(m_route);
        if (len < 1 || len > kRouteMax)
            continue;
        const int oldKind = KindOfRoute(m_route);
        SaveRoute();
        SendExit();
        uint8_t route[kRouteBytes];
        std::fill(route, route + kRouteBytes, kRouteEnd);
        std::copy(j.route.begin(), j.route.begin() + std::min<int>(int(j.route.size()), kRouteMax),
                  reinterpret_cast<char*>(route));
        Tree::copy(m_route, route);
        PageChanged(oldKind, false);
        const TOP_WINDOW_TREE* top = CurrentTop();
        SendLamp(kKeyPageSet, top && top->pageSetCondition != 0);
    }
}

// ------------------------------------------------------------------ echo of editor changes

bool CRemoteCtrlMng::ChangeParam(_RCPARAM_INFO* changed)
{
    // While the surface's own input is handled its writes are shown by the input path;
    // without a surface port there is nobody to show them to (attaching one refreshes all).
    if (!changed || !changed->address || !m_active || !m_tpl || m_inInput || !m_map || !m_map->MIDI(1))
        return true;
    const unsigned char* a = changed->address;
    const int lines = int(m_tpl->faderAddresses.size());
    int part = -1;
    for (int i = 0; i < lines && part < 0; ++i) {
        if (sameAddress(a, m_tpl->faderAddresses[size_t(i)].first))
            part = i;
        else if (sameAddress(a, m_tpl->faderAddresses[size_t(i)].second))
            part = i + kStripCount;
    }
    if (part >= 0 && part < int(m_parts.size())) {
        m_parts[size_t(part)].fader = uint32_t(NS_RemoteMsg::valueToFader(changed->value));
        if (part / kStripCount == m_shownBank) {
            MoveFader(part % kStripCount);
            ShowFaderValues(part % kStripCount);
        }
        return true;
    }
    if (sameAddress(a, m_tpl->masterAddress)) {
        m_masterFader = uint32_t(NS_RemoteMsg::valueToFader(changed->value));
        MoveFader(kMasterFaderChannel);
        return true;
    }
    const WINDOW_INFO* w = CurrentWindow();
    if (!w) {
        if (m_faderShown)
            RedrawPage();
        else
            RefreshValues();
        m_faderShown = false;
        return true;
    }
    if (m_faderShown)
        RedrawPage();
    if (w->form == WINDOW_INFO::PartMixer) {
        for (const VARIA_STR_INFO& item : w->mixer.value.lower) {
            if ((item.bank != -1 && item.bank != m_shownBank) || item.address.size() < 2
                || std::memcmp(item.address.constData(), a, 2) != 0)
                continue;
            // The insertion switches of all parts share one address: such an item
            // names its part itself.
            const int part = CRemoteFunctionItems::CodeOf(item.kind) == CRemoteFunctionItems::InsertState
                                 ? int(CRemoteFunctionItems::ArgumentOf(item.kind))
                                 : int(a[1]);
            if (part / kStripCount == m_shownBank)
                ShowChangedValue(item);
        }
        return true;
    }
    for (const PARAM_STR_INFO& item : w->edit.items) {
        const auto* ia = reinterpret_cast<const unsigned char*>(item.address.constData());
        const bool same = std::memcmp(ia, a, 3) == 0;
        // Bank select and program number are shown on one item at the bank select MSB.
        const bool voice = std::memcmp(ia, a, 2) == 0 && a[0] == 0x37 && a[2] <= 0x02 && ia[2] == 0;
        if (!same && !voice)
            continue;
        if (item.bitMask >= 0) {
            RefreshValues();
            break;
        }
        ShowChangedValue(item);
    }
    return true;
}

void CRemoteCtrlMng::SetMuteStatus(int part, bool mute)
{
    if (part < 0 || part >= int(m_parts.size()))
        return;
    m_parts[size_t(part)].on = mute ? 0 : kOn;
    if (m_active && !m_soloMode && part / kStripCount == m_shownBank)
        SendLamp(part - kStripCount * m_shownBank + kKeyStatus0, !mute);
}

void CRemoteCtrlMng::SetSoloStatus(int part, bool solo)
{
    if (part < 0 || part >= int(m_parts.size()))
        return;
    m_parts[size_t(part)].solo = solo ? kOn : 0;
    if (m_active && m_soloMode && part / kStripCount == m_shownBank)
        SendLamp(part - kStripCount * m_shownBank + kKeyStatus0, solo);
}

// ------------------------------------------------------------------ input

int CRemoteCtrlMng::KeyOfNote(uint8_t note) const
{
    if (!m_tpl)
        return -1;
    for (size_t k = 0; k < m_tpl->keys.size(); ++k) {
        if (m_tpl->keys[k].note == note)
            return int(k);
    }
    return -1;
}

bool CRemoteCtrlMng::Held(int key) const
{
    return m_tpl && key >= 0 && key < int(m_tpl->keys.size()) && m_tpl->keys[size_t(key)].keyState == kOn;
}

void CRemoteCtrlMng::SetLastChanged(const unsigned char* address)
{
    std::memcpy(m_lastChanged, address, 3);
    m_hasLastChanged = true;
}

void CRemoteCtrlMng::SetReceiveMsg(unsigned char status, unsigned char data1, unsigned char data2, bool all,
                                   unsigned char** changed)
{
    m_hasLastChanged = false;
    // A data byte of 80 or above makes no channel message of this surface.
    if (m_tpl && !m_failed && data1 < 0x80 && data2 < 0x80) {
        Busy busy(m_inInput);
        if (status == 0x90 && data2 == kOn) {
            const int k = KeyOfNote(data1);
            if (k == kKeyActivate) {
                if (!m_active) {
                    m_active = true;
                    RestoreSurface();
                }
                SendLamp(kKeyActivate, true);
            } else if ((k == kKeyLeave39 || k == kKeyLeave40 || k == kKeyLeave42 || k == kKeyLeave43) && m_plugIn
                       && m_active) {
                SendLamp(kKeyActivate, false);
                // Whoever takes the surface next may change its mode: the remote key
                // sends the initial messages again.
                m_active = m_initialised = false;
            }
        }
        if (!all) {
            if ((status & 0xF0) == 0xE0)
                Fader(status & 0x0F, data1, data2);
        } else if (m_active) {
            if (status == 0x90)
                Key(data1, data2);
            else if ((status & 0xF0) == 0xE0)
                Fader(status & 0x0F, data1, data2);
            else if (status == 0xB0)
                Encoder(data1, data2);
        }
        if (m_active)
            InputPass();
    }
    if (changed)
        *changed = m_hasLastChanged ? m_lastChanged : nullptr;
}

void CRemoteCtrlMng::Key(uint8_t note, uint8_t velocity)
{
    const int k = KeyOfNote(note);
    if (k < 0)
        return;
    m_tpl->keys[size_t(k)].keyState = velocity;
    if (velocity != kOn) {
        if (k == kKeyModifier)
            m_modifierLatched = false;
        return;
    }
    KeyFunction(k);
    KeyOnJump(k);
}

void CRemoteCtrlMng::KeyFunction(int key)
{
    const int master = m_bankCount * kStripCount;
    if (key >= kKeyStrip0 && key <= kKeyMasterSelect) {
        for (int k = kKeyStrip0; k <= kKeyMasterSelect; ++k)
            SendLamp(k, false);
        SendLamp(key, true);
        m_selected = key == kKeyMasterSelect ? master : m_shownBank * kStripCount + key;
        ChoosePage();
        return;
    }
    if (key >= kKeyStatus0 && key < kKeyStatus0 + kStripCount) {
        StatusKey(key);
        return;
    }
    if (key >= kKeyPush0 && key < kKeyPush0 + kEncoderCount) {
        uint8_t& count = m_pushCounts[key - kKeyPush0];
        if (count < 255)
            ++count;
        return;
    }
    switch (key) {
    case kKeyMasterStatus:
        MasterStatusKey();
        break;
    case kKeyPageSet:
        SendLamp(kKeyPageSet, lampState(kKeyPageSet) != kOn);
        ChoosePage();
        break;
    case kKeyDisplayMode:
        m_displayMode = !m_displayMode;
        RedrawPage();
        break;
    case kKeySoloMode:
        m_soloMode = !m_soloMode;
        SendLamp(kKeySoloMode, m_soloMode);
        SendStatusLamps();
        break;
    case kKeyBankDown:
        ChangeBank(-1);
        break;
    case kKeyBankUp:
        ChangeBank(1);
        break;
    case kKeyPagePrevious:
        StepPage(false);
        break;
    case kKeyPageNext:
        StepPage(true);
        break;
    default:
        break;
    }
}

void CRemoteCtrlMng::StatusKey(int key)
{
    const int p = m_shownBank * kStripCount + key - kKeyStatus0;
    if (p < 0 || p >= int(m_parts.size()))
        return;
    auto byteOf = [this](PART_INFO& part) -> uint8_t& { return m_soloMode ? part.solo : part.on; };
    auto report = [this](int q, uint8_t b) {
        if (!m_map)
            return;
        if (m_soloMode)
            m_map->SetSoloStatus(q, b == kOn, true);
        else
            m_map->SetMuteStatus(q, b != kOn, true);
    };
    uint8_t& b = byteOf(m_parts[size_t(p)]);
    if (Held(kKeyModifier)) {
        // The first press under the modifier copies this part's state to all parts;
        // later presses toggle it first.
        if (!m_modifierLatched)
            m_modifierLatched = true;
        else
            b = b == kOn ? 0 : kOn;
        const uint8_t value = b;
        for (int q = 0; q < int(m_parts.size()); ++q) {
            byteOf(m_parts[size_t(q)]) = value;
            report(q, value);
        }
        for (int s = 0; s < kStripCount; ++s)
            SendLamp(kKeyStatus0 + s, value == kOn);
        (m_soloMode ? m_masterSoloLamp : m_masterOnLamp) = kOn;
        SendLamp(kKeyMasterStatus, true);
        return;
    }
    b = b == kOn ? 0 : kOn;
    const uint8_t value = b;
    SendLamp(key, value == kOn);
    report(p, value);
}

void CRemoteCtrlMng::MasterStatusKey()
{
    if (Held(kKeyModifier))
        return;
    (m_soloMode ? m_masterSoloLamp : m_masterOnLamp) = kOn;
    SendLamp(kKeyMasterStatus, true);
}

void CRemoteCtrlMng::ChangeBank(int delta)
{
    const int bank = m_shownBank + delta;
    if (bank < 0 || bank >= m_bankCount)
        return;
    m_shownBank = bank;
    SendStatusLamps();
    SendSelectionLamps();
    RedrawPage();
    m_bankChanged = true;
}

void CRemoteCtrlMng::Fader(int channel, uint8_t data1, uint8_t data2)
{
    const uint32_t v = uint32_t(NS_RemoteMsg::faderPosition(data1, data2));
    if (channel == kMasterFaderChannel) {
        m_masterFader = v;
        m_masterMoved = true;
        return;
    }
    // Channels above the master name no fader of this surface.
    if (channel < 0 || channel >= kStripCount)
        return;
    const int p = channel + m_shownBank * kStripCount;
    if (p < int(m_parts.size())) {
        m_parts[size_t(p)].fader = v;
        m_parts[size_t(p)].moved = true;
    }
}

void CRemoteCtrlMng::Encoder(uint8_t controller, uint8_t value)
{
    if (controller < 0x10 || controller > 0x17)
        return;
    const int id = controller & 0x0F;
    const int direction = value & 0xF0;
    const int steps = value & 0x0F;
    if ((direction != 0x00 && direction != 0x40) || (steps != 1 && steps != 4 && steps != 8 && steps != 12 && steps != 15))
        return;
    for (ENCODER_INFO& e : m_tpl->encoders) {
        if (e.id == id) {
            e.steps += direction == 0x40 ? -steps : steps;
            break;
        }
    }
}

void CRemoteCtrlMng::InputPass()
{
    for (ENCODER_INFO& e : m_tpl->encoders) {
        if (e.steps == 0)
            continue;
        const int steps = e.steps * (Held(kKeyModifier) ? 10 : 1);
        e.steps = 0;
        for (size_t knob = 0; knob < m_tpl->knobs.size(); ++knob) {
            if (m_tpl->knobs[knob].encoderId == e.id) {
                TurnKnob(int(knob), steps);
                break;
            }
        }
    }
    for (int p = 0; p < int(m_parts.size()); ++p) {
        if (!m_parts[size_t(p)].moved)
            continue;
        WriteFader(p);
        if (p / kStripCount == m_shownBank)
            ShowFaderValues(p % kStripCount);
        m_parts[size_t(p)].moved = false;
    }
    if (m_masterMoved) {
        WriteFader(int(m_parts.size()));
        m_masterMoved = false;
    }
    if (m_bankChanged) {
        MoveAllFaders();
        if (m_previousBank == m_shownBank)
            m_bankChanged = false;
        m_previousBank = m_shownBank;
    }
    for (int i = 0; i < kEncoderCount; ++i) {
        if (!m_pushCounts[i])
            continue;
        m_pushCounts[i] = 0;
        for (size_t knob = 0; knob < m_tpl->knobs.size(); ++knob) {
            if (m_tpl->knobs[knob].pushKey == kKeyPush0 + i) {
                PressKnob(int(knob));
                break;
            }
        }
    }
}

void CRemoteCtrlMng::WriteFader(int part)
{
    const bool master = part == int(m_parts.size());
    const std::vector<FADER_ADDR_INFO>& lines = m_tpl->faderAddresses;
    const QByteArray* a = nullptr;
    uint32_t position = 0;
    if (master) {
        a = &m_tpl->masterAddress;
        position = m_masterFader;
    } else {
        if (part < int(lines.size()))
            a = &lines[size_t(part)].first;
        else if (part - kStripCount >= 0 && part - kStripCount < int(lines.size()))
            a = &lines[size_t(part - kStripCount)].second;
        position = m_parts[size_t(part)].fader;
    }
    if (!a || a->size() < 3)
        return;
    unsigned char address[3];
    std::memcpy(address, a->constData(), 3);
    _RCPARAM_INFO p;
    p.category = master ? m_tpl->masterCategory : m_tpl->faderCategory;
    p.address = address;
    p.kind = 16;
    Value v;
    Apply(p, CRemoteFunctionItems::Absolute, NS_RemoteMsg::faderToValue(int(position)), false, false, v);
}

void CRemoteCtrlMng::TurnKnob(int knob, int steps)
{
    if (m_faderShown)
        RedrawPage();
    const PARAM_STR_INFO* item = KnobItem(knob);
    if (!item)
        return;
    unsigned char a[3];
    const _RCPARAM_INFO p = InfoOf(*item, a);
    const bool multiField = item->width > 1;
    Value v;
    if (item->bitMask >= 0 && item->bitMask < int(m_tpl->masks.size())) {
        const uint32_t mask = m_tpl->masks[size_t(item->bitMask)].mask;
        int32_t cur = 0;
        int size = 0;
        if (!CRemoteFunctionItems::ReadValue(m_map, short(p.category), a, cur, size))
            return;
        const int32_t next = steps < 0 ? int32_t(uint32_t(cur) & ~mask) : int32_t(uint32_t(cur) | mask);
        Apply(p, CRemoteFunctionItems::Absolute, next, true, multiField, v);
    } else {
        Apply(p, CRemoteFunctionItems::Relative, steps, true, multiField, v);
    }
    ShowChangedValue(*item);
}

void CRemoteCtrlMng::PressKnob(int knob)
{
    const PARAM_STR_INFO* item = KnobItem(knob);
    if (!item)
        return;
    if (m_faderShown)
        RedrawPage();
    unsigned char a[3];
    const _RCPARAM_INFO p = InfoOf(*item, a);
    const bool multiField = item->width > 1;
    Value v;
    const bool masked = item->bitMask >= 0 && item->bitMask < int(m_tpl->masks.size());
    const uint32_t mask = masked ? m_tpl->masks[size_t(item->bitMask)].mask : 0;
    int32_t cur = 0;
    int size = 0;
    const bool readable = CRemoteFunctionItems::ReadValue(m_map, short(p.category), a, cur, size);
    if (Held(kKeyModifier)) {
        if (!masked) {
            Apply(p, CRemoteFunctionItems::Default, 0, true, multiField, v);
        } else if (readable) {
            int32_t def = 0;
            CRemoteFunctionItems::ReadValue(m_map, short(p.category), a, def, size, true);
            Apply(p, CRemoteFunctionItems::Absolute, int32_t((uint32_t(cur) & ~mask) | (uint32_t(def) & mask)), true,
                  multiField, v);
        }
    } else if (!masked) {
        Apply(p, CRemoteFunctionItems::Absolute, readable && cur == 0 ? 1 : 0, true, multiField, v);
    } else if (readable) {
        const bool anySet = (uint32_t(cur) & mask) != 0;
        Apply(p, CRemoteFunctionItems::Absolute, int32_t(anySet ? uint32_t(cur) & ~mask : uint32_t(cur) | mask), true,
              multiField, v);
    }
    ShowChangedValue(*item);
}

bool CRemoteCtrlMng::Apply(const _RCPARAM_INFO& p, int mode, int step, bool longText, bool multiField, Value& out)
{
    PRMINFO info;
    if (!m_map || !p.address || !m_map->GetPrmInfo(short(p.category), p.address, info))
        return false;
    const short cat = short(p.category);
    if (CRemoteFunctionItems::IsSpecial(p.kind)) {
        CRemoteFunctionItems special(m_map, m_pVoiceBanks, m_tpl->selectLists);
        CRemoteFunctionItems::Result r;
        if (special.Change(p, mode, step, multiField, r)) {
            SetLastChanged(p.address);
            emit openGuiWindow(-1, -1, -1);
            out.value = r.value;
            out.text = r.text;
            out.valid = r.valid;
            return true;
        }
    }
    int32_t value = 0;
    int size = 0;
    if (mode == CRemoteFunctionItems::Relative) {
        int32_t cur = 0, lo = 0, hi = 0;
        unsigned char bound[4] = {};
        if (!CRemoteFunctionItems::ReadValue(m_map, cat, p.address, cur, size))
            return false;
        if (m_map->MidiToDataMin(cat, p.address, bound))
            lo = CPrmCtrl::GetCnvData(size, bound);
        hi = lo;
        if (m_map->MidiToDataMax(cat, p.address, bound))
            hi = CPrmCtrl::GetCnvData(size, bound);
        value = int32_t(std::clamp<long>(long(cur) + step, std::min(lo, hi), std::max(lo, hi)));
    } else if (mode == CRemoteFunctionItems::Absolute) {
        value = step;
    } else if (mode == CRemoteFunctionItems::Default) {
        if (!CRemoteFunctionItems::ReadValue(m_map, cat, p.address, value, size, true))
            return false;
    } else {
        return false;
    }
    if (CRemoteFunctionItems::WriteValue(m_map, cat, p.address, value))
        SetLastChanged(p.address);
    emit openGuiWindow(-1, -1, -1);
    return ReadParam(p, 0, longText, multiField, out);
}

bool CRemoteCtrlMng::ReadParam(const _RCPARAM_INFO& p, int mode, bool longText, bool multiField, Value& out)
{
    PRMINFO info;
    if (!m_map || !p.address || !m_map->GetPrmInfo(short(p.category), p.address, info))
        return false;
    const short cat = short(p.category);
    if (mode != CRemoteFunctionItems::Default && CRemoteFunctionItems::IsSpecial(p.kind)) {
        CRemoteFunctionItems special(m_map, m_pVoiceBanks, m_tpl->selectLists);
        CRemoteFunctionItems::Result r;
        if (special.Read(p, multiField, r)) {
            out.value = r.value;
            out.text = longText ? r.text : r.text.left(kFieldChars);
            out.valid = r.valid;
            return true;
        }
    }
    unsigned char* bytes = nullptr;
    unsigned char n = 0;
    const bool read = mode == CRemoteFunctionItems::Default ? m_map->GetDef(cat, p.address, bytes, n)
                                                         : m_map->GetData(cat, p.address, bytes, n);
    if (!read || !bytes || n == 0 || n > 4)
        return false;
    unsigned char midi[4] = {};
    std::memcpy(midi, bytes, n);
    if (mode != CRemoteFunctionItems::Default)
        m_map->ResetLink(cat, p.address, midi, n, short(info.link));
    int32_t value = 0;
    int size = 0;
    if (!CRemoteFunctionItems::ReadValue(m_map, cat, p.address, value, size, mode == CRemoteFunctionItems::Default))
        return false;
    QString text;
    if (!m_map->GetValToStr(cat, p.address, midi, text))
        text = QString::number(value);
    out.value = value;
    out.text = text.trimmed().toLatin1();
    if (!longText)
        out.text = out.text.left(kFieldChars);
    out.valid = mode == CRemoteFunctionItems::Default || info.dispStyle < kInactiveControl;
    return true;
}

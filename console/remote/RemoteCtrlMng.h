#pragma once
// Control-surface manager held by value in each memory map; only the multi map
// initialises it. It reads the surface template, maps the surface's keys, motor
// faders and encoders to parameters and display pages, keeps lamps, faders and the
// two-line display in step with the edited memory, and asks the editor to show the
// window of the page on the display. Without a usable surface template it stays
// inactive: nothing is sent to the surface port and incoming messages change nothing.
//
// Threads: input (SetReceiveMsg) runs on the MIDI pump thread and the echo, mute and
// solo reports on the GUI thread, all under the memory-API lock; the 100 ms timer
// runs on the GUI thread and takes that lock itself. No lock of its own.
#include "RemoteCtrlTypes.h"
#include "RemoteDisplay.h"
#include "vantrel_kxe21_console_export.h"
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

class CPrmCtrl;
class CRemoteTemplate;
class CVoiceBanks;
struct _RCPARAM_INFO;

class VANTREL_CONSOLE_EXPORT CRemoteCtrlMng : public QObject
{
    Q_OBJECT
public:
    // Surface types by number: 0 "NONE", 1 "R5T".
    static const char* const REMOTE_TYPE_NAME[2];

    CRemoteCtrlMng();
    ~CRemoteCtrlMng() override;

    // GUI thread, from the multi map's build. Reads the surface template of the type
    // from the folder and starts the surface. What the read found goes through the
    // start-up reporter box by box; a template that cannot be used leaves the manager
    // silent.
    // Never fails the map.
    void InitSet(CPrmCtrl* map, unsigned long type, QString folder);
    // Under the memory-API lock. Record a part's status lamp; out-of-range parts are ignored.
    void SetMuteStatus(int part, bool mute);
    void SetSoloStatus(int part, bool solo);
    // Brings the surface up to date (15: full reset, else refresh bits); nothing while inactive.
    void Refresh(unsigned long what);
    // Under the lock. Echo of an edit that did not come from the surface; always true.
    bool ChangeParam(_RCPARAM_INFO* changed);
    // Pump thread, under the memory-API lock. One three-byte message from the surface
    // port; *changed := the address of the parameter it changed, or null. The address
    // stays valid until the next call.
    void SetReceiveMsg(unsigned char status, unsigned char data1, unsigned char data2,
                       bool fromSurface, unsigned char** changed);
    // GUI thread: the work of one 100 ms tick (takes the memory-API lock).
    void TimerTick();

    bool isActive() const { return m_active; }
    bool isFailed() const { return m_failed; }
    bool isPlugInMode() const { return m_plugIn; }
    CPrmCtrl* map() const { return m_map; }
    unsigned long surfaceType() const { return m_type; }
    const QString& folder() const { return m_folder; }
    // The titles of the template reader's warnings, in order.
    const QStringList& templateReports() const { return m_reports; }
    const CRemoteTemplate* surfaceTemplate() const { return m_tpl.get(); }

    // State, for the companion and tests.
    const uint8_t* currentRoute() const { return m_route; }
    int shownBank() const { return m_shownBank; }
    int selectedStrip() const { return m_selected; }
    bool soloMode() const { return m_soloMode; }
    bool displayMode() const { return m_displayMode; }
    int partCount() const { return int(m_parts.size()); }
    PART_INFO part(int p) const { return p >= 0 && p < partCount() ? m_parts[size_t(p)] : PART_INFO(); }
    uint32_t masterFader() const { return m_masterFader; }
    uint32_t pendingRefresh() const { return m_pending; }
    int32_t countdown() const { return m_countdown; }
    bool faderDisplayShown() const { return m_faderShown; }
    const QByteArray& displayLine(int line) const { return m_display.text(line); }
    uint8_t lampState(int key) const;

    // The synth memory's bank table, set once after start-up; not owned.
    CVoiceBanks* m_pVoiceBanks = nullptr;

public slots:
    // Runs the pending refresh at once and clears it.
    void OnTimer();

signals:
    // Asks for the editor window of a page (kind, page, previous kind or -1);
    // (-1, -1, -1) reports an edit made on the surface.
    void openGuiWindow(int element, int part, int parameter);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    struct Value
    {
        int32_t value = 0;
        QByteArray text;
        bool valid = true;
    };

    void Reset();
    void StopTimer();

    // ---- output
    void Send(const QByteArray& bytes);
    void SendMessageString(const QString& text);
    void SendMessages(const CStrArray& list);
    void SendLamp(int key, bool on);
    void SendInitial();
    void RestoreLamps();
    void SendSelectionLamps();
    void SendStatusLamps();
    void StatusRefresh();
    void MoveFader(int channel);
    void MoveAllFaders();
    void ReadFaders();
    void RestoreSurface();
    void ClearTemporary();

    // ---- display and pages
    const WINDOW_INFO* CurrentWindow() const;
    const TOP_WINDOW_TREE* CurrentTop() const;
    int KindOfRoute(const uint8_t* route) const;
    void RedrawPage();
    void BuildLowerLine(const WINDOW_INFO& w, bool valueLayout);
    void RefreshValues();
    void ShowFaderValues(int strip);
    void ShowChangedValue(const PARAM_STR_INFO& item);
    void ScheduleRedraw();
    QByteArray ItemText(const PARAM_STR_INFO& item, bool longText, bool& valid, int32_t* value = nullptr);
    QByteArray ItemName(const PARAM_STR_INFO& item);
    QByteArray InvalidText(int width) const;
    const PARAM_STR_INFO* KnobItem(int knob) const;
    void ChoosePage();
    void StepPage(bool next);
    void KeyOnJump(int key);
    void SaveRoute();
    void PageChanged(int oldKind, bool fromStep);
    void SendEntry();
    void SendExit();

    // ---- input
    int KeyOfNote(uint8_t note) const;
    bool Held(int key) const;
    void Key(uint8_t note, uint8_t velocity);
    void KeyFunction(int key);
    void StatusKey(int key);
    void MasterStatusKey();
    void ChangeBank(int delta);
    void Fader(int channel, uint8_t data1, uint8_t data2);
    void Encoder(uint8_t controller, uint8_t value);
    void InputPass();
    void WriteFader(int part);
    void TurnKnob(int knob, int steps);
    void PressKnob(int knob);
    // longText: the display text is not cut to one field; multiField: the item spans
    // several fields (a category select names its category in full).
    bool Apply(const _RCPARAM_INFO& p, int mode, int step, bool longText, bool multiField, Value& out);
    bool ReadParam(const _RCPARAM_INFO& p, int mode, bool longText, bool multiField, Value& out);
    _RCPARAM_INFO InfoOf(const PARAM_STR_INFO& item, unsigned char* address) const;
    void SetLastChanged(const unsigned char* address);

    CPrmCtrl* m_map = nullptr;
    unsigned long m_type = 0;
    QString m_folder;
    bool m_initialised = false;
    bool m_plugIn = false;
    bool m_active = false;
    bool m_failed = false;
    std::unique_ptr<CRemoteTemplate> m_tpl;
    QStringList m_reports;
    int m_bankCount = 1;
    int m_shownBank = 0;
    int m_previousBank = 0;
    int m_selected = 0;
    bool m_soloMode = false;
    std::vector<PART_INFO> m_parts;
    uint8_t m_masterSoloLamp = 127;
    uint8_t m_masterOnLamp = 127;
    uint32_t m_masterFader = 508;
    bool m_masterMoved = false;
    CRemoteDisplay m_display;
    uint8_t m_route[NS_Remote::kRouteBytes];
    bool m_displayMode = false;
    bool m_faderShown = false;
    bool m_modifierLatched = false;
    bool m_bankChanged = false;
    uint8_t m_pushCounts[NS_Remote::kEncoderCount] = {};
    unsigned char m_lastChanged[3] = {};
    bool m_hasLastChanged = false;
    bool m_inInput = false;
    uint32_t m_pending = 0;
    int m_timerId = 0;
    int32_t m_countdown = -1;
    // The template's message strings as parsed, by their text; a string that does not
    // parse is kept as nothing to send.
    QHash<QString, QList<QByteArray>> m_parsedMessages;
};

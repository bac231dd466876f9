#pragma once
// Control-surface manager held by value in each memory map; only the multi map
// initialises it. Without a supported surface template it stays inactive: nothing
// is sent to the surface port and incoming surface messages change nothing.
#include "vantrel_kxe21_console_export.h"
#include <QObject>
#include <QString>
#include <cstdint>

class CPrmCtrl;
class CVoiceBanks;
struct _RCPARAM_INFO;

class VANTREL_CONSOLE_EXPORT CRemoteCtrlMng : public QObject
{
    Q_OBJECT
public:
    CRemoteCtrlMng();
    ~CRemoteCtrlMng() override;

    // GUI thread, from the multi map's build. Remembers the map, the surface type and
    // the template folder; never fails the map.
    void InitSet(CPrmCtrl* map, unsigned long type, QString folder);
    // Under the memory-API lock. Record a part's status lamp; out-of-range parts are ignored.
    void SetMuteStatus(int part, bool mute);
    void SetSoloStatus(int part, bool solo);
    // Brings the surface up to date (15: full reset); nothing while inactive.
    void Refresh(unsigned long what);
    // Echo of an edit that did not come from the surface; always true.
    bool ChangeParam(_RCPARAM_INFO* changed);
    // Pump thread, under the memory-API lock. One three-byte message from the surface
    // port; *changed := the address of the parameter it changed, or null.
    void SetReceiveMsg(unsigned char status, unsigned char data1, unsigned char data2,
                       bool fromSurface, unsigned char** changed);

    bool isActive() const { return m_active; }
    CPrmCtrl* map() const { return m_map; }
    unsigned long surfaceType() const { return m_type; }
    const QString& folder() const { return m_folder; }

    // The synth memory's bank table, set once after start-up; not owned.
    CVoiceBanks* m_pVoiceBanks = nullptr;

signals:
    // Asks for the editor window of (element, part, parameter); (-1, -1, -1) reports an
    // edit made on the surface.
    void openGuiWindow(int element, int part, int parameter);

private:
    CPrmCtrl* m_map = nullptr;
    unsigned long m_type = 0;
    QString m_folder;
    bool m_active = false;
};

#pragma once
// The MIDI ports of the instrument and of the control surface, the device number, the
// pacing of outgoing bulk dumps and the dials' mouse mode. Reads the preferences, with
// the settings store where a preference holds nothing; OK writes both, selects the
// ports on both port bridges and associates the bridges with the memory API again.
// Each port item keeps its port's identity and name, so a port that vanished or was
// renamed while the dialog was open is never mistaken for another. GUI thread.
#include "CTovarDialog.h"
#include "ui_SetupDialog.h"
#include <QUuid>

class IPrefsQuery_VANTREL_KXE;
class QComboBox;
class QSettings;
class TMIDIProxyInOut;

class SetupDialog : public CTovarDialog
{
    Q_OBJECT
public:
    // The bulk dump intervals offered, in milliseconds.
    static constexpr int kIntervals[] = {0, 5, 10, 15, 20, 30, 50, 100};

    // Where one port combo box reads and writes its port.
    struct PortKeys
    {
        bool output;
        int namePreference;
        int idPreference;
        const char* nameKey;
        const char* idKey;
    };

    SetupDialog(QWidget* parent = nullptr, const char* name = nullptr, bool modal = false,
                Qt::WindowFlags flags = {});

    void execute() override;

    // Fills the combo box with "Not Assigned", the ports of the bridge's direction
    // (markers removed) and, when the current port is not among them, "N/A - " and its
    // stored name; selects the current port.
    virtual void SetupMidiComboBox(IPrefsQuery_VANTREL_KXE* prefs, QSettings& settings, TMIDIProxyInOut* bridge,
                                   const PortKeys& keys, QComboBox* box);
    // The chosen port's identity (null for "Not Assigned" and "N/A"); stores it and its
    // name in the preferences and the settings.
    virtual QUuid ReadMidiComboBox(IPrefsQuery_VANTREL_KXE* prefs, QSettings& settings, TMIDIProxyInOut* bridge,
                                   const PortKeys& keys, QComboBox* box);

protected:
    virtual void init();
    virtual void languageChange();

private:
    void apply(IPrefsQuery_VANTREL_KXE* prefs, QSettings& settings, TMIDIProxyInOut* instrument,
               TMIDIProxyInOut* remote);

    Ui::SetupDialog ui;
};

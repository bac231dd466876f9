#pragma once
// Chooses one value of an enumerated parameter (an arpeggio type, an audition phrase)
// from the list of its display names. The frame names the parameter (memAddr), whether
// its range comes from the memory API (queryRange) and the caption. Every highlighted
// entry is written at once; OK keeps it, Cancel writes back the value at opening.
// Each entry carries its own value, so values without a display text are left out of
// the list without moving the values of the entries after them. GUI thread.
#include "CTovarDialog.h"
#include "TNamedParameter.h"
#include "ui_ArpSelectDialog.h"

class ArpSelectDialog : public CTovarDialog
{
    Q_OBJECT
public:
    // The value that stands for no type.
    static constexpr int kNoType = 16383;
    // The ranges of an arpeggio type when they are not read from the memory API.
    static constexpr int kPresetMinimum = 0;
    static constexpr int kPresetMaximum = 1786;
    static constexpr int kUserMinimum = 8192;
    static constexpr int kUserMaximum = 8447;
    // The list shown: preset types, user types, or the one entry "No Type".
    enum Bank { PresetBank = 0, UserBank = 1, NoTypeBank = 2 };

    ArpSelectDialog(QWidget* parent = nullptr, const char* name = nullptr, bool modal = false,
                    Qt::WindowFlags flags = {});

    // What the frame supplies; empty, false and empty in the plain dialog.
    virtual QString memAddr() const;
    virtual bool queryRange() const;
    virtual QString caption() const;
    virtual int minParamUser() const;
    virtual int maxParamUser() const;
    virtual int minParamPreset() const;
    virtual int maxParamPreset() const;

    void execute() override;
    // The list shown now.
    Bank bank() const { return m_bank; }

public slots:
    void accept() override;
    void reject() override;
    // 0 preset, 1 user, anything else "No Type".
    virtual void selectBank(int index);
    // Refills the list for the bank the value lies in, makes the value's entry current
    // and writes it.
    virtual void updateList(int value);
    // A highlighted entry (or the monitor box toggled): writes the current entry.
    virtual void selectVoice(int);

protected:
    virtual void setArpValue(int value);
    // False without a memory API or a parameter.
    virtual bool getArpValue(int& value, int& minimum, int& maximum);
    // Writes the current entry's value; nothing without a current entry.
    virtual void updateFromList();
    virtual void languageChange();

private:
    void fillPresets(int minimum, int maximum);

    Ui::ArpSelectDialog ui;
    TNamedParameter m_param;
    Bank m_bank = PresetBank;
    int m_valueAtOpening = 0;
    bool m_opened = false; // the value at opening was read
    int m_rangeMinimum = 0;
    int m_rangeMaximum = 0;
};

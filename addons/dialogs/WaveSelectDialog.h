#pragma once
// Chooses the wave of a drum key or of one element of a normal voice from the list of
// the wave names. The channel is the drum key current in the voice data when the
// dialog opens, or the element the add-on gives (1 to 4, channels 0 to 3). Every
// highlighted wave is written at once; OK keeps it, Cancel writes back the wave at
// opening. Each entry carries its wave number, so a range that does not start at 0
// or a wave without a name never shifts the number written. GUI thread.
#include "CTovarDialog.h"
#include "TNamedParameter.h"
#include "ui_WaveSelectDialog.h"

class WaveSelectDialog : public CTovarDialog
{
    Q_OBJECT
public:
    WaveSelectDialog(QWidget* parent = nullptr, const char* name = nullptr, bool modal = false,
                     Qt::WindowFlags flags = {});

    // The parameter, from the frame; empty in the plain dialog.
    virtual QString memAddr() const;
    // 1 to 4: an element of a normal voice; any other number changes nothing.
    virtual void setNormalElement(int element);
    int normalElement() const { return m_normalElement; }
    // The channel the dialog edits (valid once it runs).
    int channel() const { return m_channel; }

    void execute() override;

public slots:
    void accept() override;
    void reject() override;
    // Refills the list, makes the entry of `value` current and writes it.
    virtual void updateList(int value);
    virtual void selectVoice(int);

protected:
    virtual void setWaveValue(int value);
    // False without a memory API or a parameter.
    virtual bool getWaveValue(int& value, int& minimum, int& maximum);
    // Writes the current entry's wave; nothing without a current entry.
    virtual void updateFromList();
    virtual void languageChange();
    virtual void init();

private:
    Ui::WaveSelectDialog ui;
    TNamedParameter m_param;
    int m_valueAtOpening = 0;
    bool m_opened = false;
    int m_minimum = 0;
    int m_maximum = 0;
    int m_channel = 0;
    int m_normalElement = 0; // 0: a drum key
};

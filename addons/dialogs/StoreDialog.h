#pragma once
// Stores the voice in the edit buffer into a chosen place of a user bank of the edit
// voice's family (the banks whose names share the first four letters of the edit
// bank's name), under a name the user types; a blank name stores it as "Untitled".
// The name edit follows name changes of the edit voice while the dialog is open, a yen
// sign becomes a backslash, and a name with characters outside ASCII is refused. Each
// combo entry and list row keeps its bank and voice number. GUI thread.
#include "CTovarDialog.h"
#include "ui_StoreDialog.h"
#include <vector>

class ITovarVoiceData;

class StoreDialog : public CTovarDialog
{
    Q_OBJECT
public:
    StoreDialog(QWidget* parent = nullptr, const char* name = nullptr, bool modal = false, Qt::WindowFlags flags = {});
    ~StoreDialog() override;

    void execute() override;
    // The bank numbers behind the combo entries.
    const std::vector<int>& banks() const { return m_banks; }

signals:
    void stopBulkTransfer();

public slots:
    virtual void updateVoiceList();
    virtual void CancelButton_clicked();
    virtual void StoreButton_clicked();
    virtual void MemBankComboBox_activated(int);
    virtual void OnEditVoiceNameChanged(const QString& name, int type);
    virtual void checkInputVoiceName(const QString& text);

protected:
    virtual void init();
    virtual void destroy();
    virtual void languageChange();

private:
    ITovarVoiceData* voiceData() const;
    void fillBanks(ITovarVoiceData* data, const QString& editBankName);

    Ui::StoreDialog ui;
    std::vector<int> m_banks;
    QString m_nameAtOpening;
    short m_editBank = -1;
    short m_editVoice = -1;
    IMemAPI* m_connectedTo = nullptr;
};

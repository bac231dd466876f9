#pragma once
// Chooses the voice one part of the multi plays: by bank (a bank and its voices) or by
// category (every voice of all banks in one category, each after its bank's short
// name). A highlighted voice is auditioned at once by setting the part's bank select
// and program number; OK keeps it, Cancel puts back the part's bank, program and the
// voice edit buffer as they were at opening. The add-on makes one per part (editor
// ids 17 to 32). Every list entry keeps the voice it stands for, so a voice without a
// name never shifts the voice chosen; a part whose voice is not listed opens on the
// first voice of the first bank, once, and a memory model without banks or voices
// gives empty lists. GUI thread.
#include "CTovarDialog.h"
#include "TNamedParameter.h"
#include "ui_VoiceList.h"
#include <map>
#include <vector>

class VoiceList : public CTovarDialog
{
    Q_OBJECT
public:
    static constexpr int kCategoryCount = 17;
    // Search modes.
    enum Mode { BankMode = 0, CategoryMode = 1 };

    VoiceList(QWidget* parent = nullptr, const char* name = nullptr, bool modal = false, Qt::WindowFlags flags = {});
    // Undoes the connections to the companion if they are still made.
    ~VoiceList() override;

    // The name shown and the code compared for category `index` (0 to 16); empty past
    // the table.
    static QString categoryName(int index);
    static QString categoryCode(int index);

    void execute() override;
    // The part (0 to 15) whose voice is chosen; set before execute().
    virtual void setChannel(int part);
    int channel() const { return m_part; }
    // Sets the part's voice: bank select (when it changed or when forced) and program.
    virtual void setMemAPI(int program, int lsb, int msb, bool force);
    // Reads the part's voice; an argument stays as it was when its parameter is missing.
    virtual void getMemAPI(int& program, int& lsb, int& msb);

signals:
    void getVoiceParameterData();
    void resetVoiceParameterData();
    void deleteVoiceParameterData();

public slots:
    void accept() override;
    void reject() override;
    // A bank (bank mode) or a category (category mode) chosen in the combo box.
    virtual void selectBank(int index);
    // A voice highlighted: auditions it.
    virtual void selectVoice(int);
    virtual void setupAudition();
    virtual void selectSearchMode(int mode);

protected:
    virtual void languageChange();
    virtual void makeDataMap();
    // The first voice id at (program, a bank with these LSB and MSB); 0 when none.
    virtual int getVoiceID(int program, int lsb, int msb);
    // The search mode the combo box shows.
    virtual int searchMode();
    virtual void BANK_init();
    virtual void BANK_updateList(int program, int lsb, int msb);
    virtual void CATE_init();
    virtual void CATE_updateList(int program, int lsb, int msb);
    virtual void CATE_updateList(int id, int category);
    // The voice of the current list entry in category mode; false without one.
    virtual bool CATE_getCurrentVoice(int& program, int& bank);

private:
    struct Voice
    {
        int program;
        int bank; // bank index
        QString category;
        QString name; // as the bank lists it
        QString text; // as the category lists it
    };

    void connectCompanion(IMemAPI* api, bool connect);
    bool resolveParameters();
    int bankIndexOf(int lsb, int msb) const;
    bool validBank(int index) const { return index >= 0 && index < int(m_bankLsb.size()); }
    // Shows the bank with that LSB and MSB and selects the program's entry. False when
    // the bank is not listed, or the program not in it unless firstOtherwise.
    bool showBank(int program, int lsb, int msb, bool firstOtherwise);
    // The voice chosen in either mode; false without one.
    bool chosenVoice(int& program, int& bank);
    // Auditions the voice the list shows when the part plays another one.
    void auditionShownVoice();
    void setCurrentRowQuietly(int row);
    void clearList();

    Ui::VoiceList ui;
    int m_part = 0;
    int m_savedMsb = -1;
    int m_savedProgram = -1;
    int m_savedLsb = -1;
    int m_searchMode = CategoryMode;
    std::vector<int> m_bankLsb;
    std::vector<int> m_bankMsb;
    std::map<int, int> m_bankNumbers; // bank index -> bank number
    std::map<int, int> m_bankIndexes; // bank number -> bank index
    std::map<int, QString> m_bankNames;
    std::vector<Voice> m_voices;                  // by voice id
    std::vector<std::vector<int>> m_bankVoices;   // voice ids of each bank, in program order
    std::vector<int> m_shownVoices;               // category mode: the voice id of each entry
    int m_bankIndex = -1;                         // bank mode: the bank listed
    TNamedParameter m_msb;
    TNamedParameter m_lsb;
    TNamedParameter m_program;
    IMemAPI* m_connectedTo = nullptr;
};

#pragma once
// Voice data for the dialogs' own tests: banks and voices as a test lays them out
// (memory models the shipped data folder never gives: no banks, a bank without voices,
// voices without names or with unknown categories), the edit voice, stores and the
// companion slots the voice list connects to. Owned by the fake memory API, which
// deletes it.
#include "console/memapi/ITovarVoiceData.h"
#include <QObject>
#include <QStringList>
#include <map>
#include <vector>

class FakeVoiceData : public QObject, public ITovarVoiceData
{
    Q_OBJECT
public:
    struct Voice
    {
        QString name; // empty: no voice at this program
        QString category;
    };
    struct Bank
    {
        QString name;
        QString shortName;
        short number = 0;
        short msb = 0;
        short lsb = 0;
        bool editable = false;
        std::vector<Voice> voices; // by program
    };

    std::vector<Bank> banks; // in display order
    short editBank = -1;
    short editVoice = -1;
    QString editName;
    QStringList stored; // "bank:voice:name"
    int copies = 0, resets = 0, drops = 0;

    const Bank* bankNumbered(short number) const
    {
        for (const Bank& b : banks)
            if (b.number == number)
                return &b;
        return nullptr;
    }
    // The voice-list text of a program (table 7): empty when the bank has no such voice.
    QString listText(short msb, short lsb, int program) const
    {
        for (const Bank& b : banks)
            if (b.msb == msb && b.lsb == lsb)
                return program >= 0 && program < int(b.voices.size()) ? b.voices[size_t(program)].name : QString();
        return QString();
    }

    QString bankName(short bank) override
    {
        const Bank* b = bankNumbered(bank);
        return b ? b->name : QString();
    }
    QString shortBankName(int msb, int lsb) override
    {
        for (const Bank& b : banks)
            if (b.msb == msb && b.lsb == lsb)
                return b.shortName;
        return QString();
    }
    bool isBankEditable(short bank) override
    {
        const Bank* b = bankNumbered(bank);
        return b && b->editable;
    }
    QString nthDisplayBank(short n, short& bank, short& msb, short& lsb) override
    {
        bank = msb = lsb = 0;
        if (n < 0 || n >= short(banks.size()))
            return QString();
        const Bank& b = banks[size_t(n)];
        bank = b.number;
        msb = b.msb;
        lsb = b.lsb;
        return b.name;
    }
    QString voiceNameCategory(short bank, short voice, QString& category) override
    {
        const Bank* b = bankNumbered(bank);
        if (!b || voice < 0 || voice >= short(b->voices.size())) {
            category = QString();
            return QString();
        }
        category = b->voices[size_t(voice)].category;
        return b->voices[size_t(voice)].name;
    }
    QString voiceName(short bank, short voice) override
    {
        QString category;
        return voiceNameCategory(bank, voice, category);
    }
    void getEditBufferVoice(short& bank, short& voice, bool& derived) override
    {
        bank = editBank;
        voice = editVoice;
        derived = false;
    }
    QString getEditVoiceName() override { return editName; }
    void setEditVoiceName(const QString& name, int) override { editName = name; }
    void getEditVoiceType(int& type, QString& text) override
    {
        type = 0;
        text = QStringLiteral("Normal");
    }
    void ObserveEditVoiceName() override {}
    bool storeEditBuffer(short bank, short voice) override
    {
        stored << QStringLiteral("%1:%2:%3").arg(bank).arg(voice).arg(editName);
        return true;
    }
    int getCurrDrumKeyChannel() override { return 0; }

    // Everything else answers as without a memory model.
    void* loadImportFile(QString) override { return nullptr; }
    void closeImportFile(void*) override {}
    bool copyToMainVoices(void*, short, short, short, short, bool) override { return false; }
    QString importBankName(void*, short) override { return QString(); }
    int importBankType(void*, short) override { return -1; }
    QString importVoiceName(void*, short, short) override { return QString(); }
    int bankType(short) override { return -1; }
    void setVoiceName(short, short, const QString&) override {}
    bool initVoice(short, short) override { return false; }
    bool loadToEditBuffer(short, short, bool) override { return false; }
    void setCompareMode(bool) override {}
    bool compareMode() override { return false; }
    void setMonitorMode(bool) override {}
    bool monitorMode() override { return false; }
    bool copyToClipboard(short, short, short, void*) override { return false; }
    bool pasteFromClipboard(short, short) override { return false; }
    bool moveVoices(short, short, short, short) override { return false; }
    void monitorImportVoice(void*, short, short) override {}
    void monitorVoice(short, short) override {}
    void monitorEditBuffVoice(short, short) override {}
    void setCurrDrumKeyChannel(int) override {}
    bool isEditBufferDirty() override { return false; }
    void setEditBufferDirty(bool) override {}
    bool isVoiceLibraryDirty() override { return false; }
    void setVoiceLibraryDirty(bool) override {}
    bool isDocDirty() override { return false; }
    void setDocDirty(bool) override {}
    bool canPasteFromClipboard(short, short) override { return false; }
    void setCurrentFileName(const QString&) override {}
    QString getCurrentFileName() override { return QString(); }
    QString getDocumentFileName() override { return QString(); }
    bool getVoiceData(short, short, short, QByteArray&) override { return false; }
    bool setVoiceData(short, short, const QByteArray&) override { return false; }
    void selectPluginBoard(int, bool) override {}
    void initPluginBoardData() override {}
    void setPluginBoardCheck(bool) override {}
    void NP_editorClosing(const QString&) override {}
    void NP_setCurrentNativeParamsEditor(const QString&, QWidget*) override {}
    bool NP_anyPluginNativeParamsDialogsOpen() override { return false; }
    intptr_t NP_closeAllButOneNativeParamsDialog(const QString&, bool, IClientServices*) override { return 0; }
    bool setMonitorVoice(int, int, void*, bool) override { return false; }
    void getMonitorVoice(int& bank, int& voice, void*& handle) override
    {
        bank = voice = -1;
        handle = nullptr;
    }
    void flush(bool) override {}
    void suppressMIDI(bool) override {}
    void stopBulkRequest() override {}
    QString voiceNameAndCategory(short, short, short, QString& category) override
    {
        category = QString();
        return QString();
    }

signals:
    void editVoiceNameChanged(const QString& name, int type);

public slots:
    void getVoiceParameterData() { ++copies; }
    void resetVoiceParameterData() { ++resets; }
    void deleteVoiceParameterData() { ++drops; }
};

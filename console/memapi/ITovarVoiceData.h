#pragma once
// The voice-data interface that dialogs and views use: banks and voice names, the
// edit buffer, compare and monitor modes, the clipboard, import files, plug-in
// boards and their native-parameter dialogs. Reached by casting the memory API's
// MAPI_qself() down; a null cast means no voice data. GUI thread only, except
// setEditBufferDirty and setDocDirty, which may run on any thread.
// Operations that need the memory model return 0/false, a null string or -1 (the
// two bank-type queries) and change nothing without one.
#include "vantrel_kxe21_console_export.h"
#include <QByteArray>
#include <QString>
#include <cstdint>

class IClientServices;
class QWidget;

class VANTREL_CONSOLE_EXPORT ITovarVoiceData
{
public:
    virtual void* loadImportFile(QString path) = 0;                                    // 0
    virtual void closeImportFile(void* handle) = 0;                                    // 1
    virtual bool copyToMainVoices(void* handle, short srcBank, short srcVoice, short dstBank,
                                  short dstVoice, bool notify) = 0;                    // 2
    virtual QString importBankName(void* handle, short bank) = 0;                      // 3
    virtual int importBankType(void* handle, short bank) = 0;                          // 4
    virtual QString importVoiceName(void* handle, short bank, short voice) = 0;        // 5
    virtual QString bankName(short bank) = 0;                                          // 6
    virtual int bankType(short bank) = 0;                                              // 7
    virtual QString shortBankName(int a, int b) = 0;                                   // 8
    virtual bool isBankEditable(short bank) = 0;                                       // 9
    virtual QString nthDisplayBank(short n, short& bank, short& msb, short& lsb) = 0;  // 10
    virtual QString voiceName(short bank, short voice) = 0;                            // 11
    virtual QString voiceNameCategory(short bank, short voice, QString& category) = 0; // 12
    virtual void setVoiceName(short bank, short voice, const QString& name) = 0;       // 13
    virtual bool initVoice(short bank, short voice) = 0;                               // 14
    virtual bool loadToEditBuffer(short bank, short voice, bool openLibrary) = 0;      // 15
    virtual bool storeEditBuffer(short bank, short voice) = 0;                         // 16
    virtual void setCompareMode(bool on) = 0;                                          // 17
    virtual bool compareMode() = 0;                                                    // 18
    virtual void setMonitorMode(bool on) = 0;                                          // 19
    virtual bool monitorMode() = 0;                                                    // 20
    virtual bool copyToClipboard(short bank, short first, short last, void* handle) = 0; // 21
    virtual bool pasteFromClipboard(short bank, short voice) = 0;                      // 22
    virtual bool moveVoices(short a, short b, short c, short d) = 0;                   // 23
    virtual void monitorImportVoice(void* handle, short bank, short voice) = 0;        // 24
    virtual void monitorVoice(short bank, short voice) = 0;                            // 25
    virtual void monitorEditBuffVoice(short a, short b) = 0;                           // 26
    virtual void getEditBufferVoice(short& bank, short& voice, bool& derived) = 0;     // 27
    virtual void setCurrDrumKeyChannel(int key) = 0;                                   // 28
    virtual int getCurrDrumKeyChannel() = 0;                                           // 29
    virtual bool isEditBufferDirty() = 0;                                              // 30
    virtual void setEditBufferDirty(bool dirty) = 0;                                   // 31
    virtual bool isVoiceLibraryDirty() = 0;                                            // 32
    virtual void setVoiceLibraryDirty(bool dirty) = 0;                                 // 33
    virtual bool isDocDirty() = 0;                                                     // 34
    virtual void setDocDirty(bool dirty) = 0;                                          // 35
    virtual bool canPasteFromClipboard(short bank, short voice) = 0;                   // 36
    virtual QString getEditVoiceName() = 0;                                            // 37
    virtual void setEditVoiceName(const QString& name, int type) = 0;                  // 38
    virtual void getEditVoiceType(int& type, QString& text) = 0;                       // 39
    virtual void ObserveEditVoiceName() = 0;                                           // 40
    virtual void setCurrentFileName(const QString& name) = 0;                          // 41
    virtual QString getCurrentFileName() = 0;                                          // 42
    // The clipboard form of stored voices: 'u', bank, first, last, then the voices.
    virtual bool getVoiceData(short bank, short first, short last, QByteArray& data) = 0; // 43
    virtual bool setVoiceData(short bank, short voice, const QByteArray& data) = 0;    // 44
    virtual void selectPluginBoard(int slot, bool on) = 0;                             // 45
    virtual void initPluginBoardData() = 0;                                            // 46
    virtual void setPluginBoardCheck(bool on) = 0;                                     // 47
    virtual void NP_editorClosing(const QString& board) = 0;                           // 48
    virtual void NP_setCurrentNativeParamsEditor(const QString& board, QWidget* dialog) = 0; // 49
    virtual bool NP_anyPluginNativeParamsDialogsOpen() = 0;                            // 50
    // The dialog left open in the named board's slot (as a pointer-sized value), or 0.
    virtual intptr_t NP_closeAllButOneNativeParamsDialog(const QString& board, bool all,
                                                         IClientServices* services) = 0; // 51
    virtual bool setMonitorVoice(int bank, int voice, void* handle, bool force) = 0;   // 52
    virtual void getMonitorVoice(int& bank, int& voice, void*& handle) = 0;            // 53
    virtual void flush(bool compare) = 0;                                              // 54
    virtual void suppressMIDI(bool on) = 0;                                            // 55
    virtual void stopBulkRequest() = 0;                                                // 56
    virtual QString voiceNameAndCategory(short msb, short lsb, short number,
                                         QString& category) = 0;                       // 57
    // The file the document was last read from or written to (absolute), empty for a
    // new one. The current file name is another where a document of an older format
    // is to be saved in the current one.
    virtual QString getDocumentFileName() = 0;                                         // 58

protected:
    // Never deleted through this interface: the companion owns itself.
    ~ITovarVoiceData() = default;
};

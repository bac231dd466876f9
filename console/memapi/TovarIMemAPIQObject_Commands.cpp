// The companion's commands: voice data, documents, bulk, total recall and native
// parameters. Neutral answers until the commands are built.
#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"

using Companion = TovarIMemAPIQObject_VANTREL_KXE;

void Companion::initCommands() {}
void Companion::releaseCommands() {}
RecallLogic* Companion::createRecallLogic(CSynthMemory*) { return nullptr; }
void Companion::deleteRecallLogic(RecallLogic*) {}
bool Companion::runRecall(RecallLogic*, unsigned int, TovarIMemAPI*, bool, IMPClientProgressHandler*, int)
{
    return false;
}
QString Companion::recallDescription(RecallLogic*) { return QString(); }
uint32_t Companion::recallPreferredFeature(RecallLogic*) { return 1; }
void Companion::cancelRecall(RecallLogic*) {}

void* Companion::loadImportFile(QString) { return nullptr; }
void Companion::closeImportFile(void*) {}
bool Companion::copyToMainVoices(void*, short, short, short, short, bool) { return false; }
QString Companion::importBankName(void*, short) { return QString(); }
int Companion::importBankType(void*, short) { return -1; }
QString Companion::importVoiceName(void*, short, short) { return QString(); }
QString Companion::bankName(short) { return QString(); }
int Companion::bankType(short) { return -1; }
QString Companion::shortBankName(int, int) { return QString(); }
bool Companion::isBankEditable(short) { return false; }
QString Companion::nthDisplayBank(short, short& bank, short& msb, short& lsb)
{
    bank = msb = lsb = 0;
    return QString();
}
QString Companion::voiceName(short, short) { return QString(); }
QString Companion::voiceNameCategory(short, short, QString& category)
{
    category = QString();
    return QString();
}
void Companion::setVoiceName(short, short, const QString&) {}
bool Companion::initVoice(short, short) { return false; }
bool Companion::loadToEditBuffer(short, short, bool) { return false; }
bool Companion::storeEditBuffer(short, short) { return false; }
void Companion::setCompareMode(bool) {}
bool Companion::compareMode() { return false; }
void Companion::setMonitorMode(bool on) { m_monitorMode = on; }
bool Companion::monitorMode() { return m_monitorMode; }
bool Companion::copyToClipboard(short, short, short, void*) { return false; }
bool Companion::pasteFromClipboard(short, short) { return false; }
bool Companion::moveVoices(short, short, short, short) { return false; }
void Companion::monitorImportVoice(void*, short, short) {}
void Companion::monitorVoice(short, short) {}
void Companion::monitorEditBuffVoice(short, short) {}
void Companion::getEditBufferVoice(short& bank, short& voice, bool& derived)
{
    bank = voice = -1;
    derived = true;
}
void Companion::setCurrDrumKeyChannel(int key)
{
    m_drumKey = key;
    emit signalDrumKeyNoteChange(key);
}
int Companion::getCurrDrumKeyChannel() { return m_drumKey; }
bool Companion::isEditBufferDirty() { return editModified(); }
void Companion::setEditBufferDirty(bool d) { dirty(d); }
bool Companion::isVoiceLibraryDirty() { return m_voiceLibraryModified; }
void Companion::setVoiceLibraryDirty(bool d) { m_voiceLibraryModified = d; }
bool Companion::isDocDirty() { return isEditBufferDirty(); }
void Companion::setDocDirty(bool d) { setEditBufferDirty(d); }
bool Companion::canPasteFromClipboard(short, short) { return false; }
QString Companion::getEditVoiceName() { return QString(); }
void Companion::setEditVoiceName(const QString&, int) {}
void Companion::getEditVoiceType(int& type, QString& text)
{
    type = 2;
    text = QStringLiteral("Plugin");
}
void Companion::ObserveEditVoiceName() {}
void Companion::setCurrentFileName(const QString& name)
{
    m_currentFileName = name;
    emit currentFileNameChanged(name);
}
QString Companion::getCurrentFileName() { return m_currentFileName; }
bool Companion::getVoiceData(short, short, short, QByteArray&) { return false; }
bool Companion::setVoiceData(short, short, const QByteArray&) { return false; }
void Companion::selectPluginBoard(int, bool) {}
void Companion::initPluginBoardData() {}
void Companion::setPluginBoardCheck(bool) {}
void Companion::NP_editorClosing(const QString&) {}
void Companion::NP_setCurrentNativeParamsEditor(const QString&, QWidget*) {}
bool Companion::NP_anyPluginNativeParamsDialogsOpen() { return false; }
intptr_t Companion::NP_closeAllButOneNativeParamsDialog(const QString&, bool, IClientServices*) { return 0; }
bool Companion::setMonitorVoice(int, int, void*, bool) { return false; }
void Companion::getMonitorVoice(int& bank, int& voice, void*& handle)
{
    bank = m_monitorBank;
    voice = m_monitorVoice;
    handle = m_monitorHandle;
}
void Companion::flush(bool) {}
void Companion::suppressMIDI(bool) {}
QString Companion::voiceNameAndCategory(short, short, short, QString&) { return QString(); }

void Companion::promptSaveChanges(int) {}
int Companion::getTransmitInterval() { return 30; }
void Companion::onReceiveCompleted() {}

void Companion::bulkTimer() {}
void Companion::identityReplyTimeOut() {}
void Companion::onRcvBulk() {}
void Companion::onRcvIdentityReply() {}
void Companion::onRcvProgressChanged(int percent) { emit bulkProgressChanged(percent); }
void Companion::onSendProgressChanged(int, int) {}
void Companion::OnRcvErrorOccured(int code) { emit bulkRcvErrorOccurred(code); }
void Companion::OnRecallComplete(bool, bool, bool) {}
void Companion::cancelBulkReceive() { stopBulkRequest(); }
void Companion::stopBulkRequest() {}
void Companion::requestPresetVoiceBulk() {}
void Companion::requestMultiBulk() {}
void Companion::requestUserVoiceBulk(int) {}
void Companion::specialBulkRequestTimeOuted() {}
void Companion::sendUserVoiceBulk(int) {}
void Companion::sendMultiBulk() {}
void Companion::fileNew() {}
void Companion::fileOpen(const QString&, const bool) {}
void Companion::fileSave(const QString&) {}
void Companion::voiceNameChangedNormal(int) {}
void Companion::voiceNameChangedDrum(int) {}
void Companion::voiceNameChangedPlugin(int) {}

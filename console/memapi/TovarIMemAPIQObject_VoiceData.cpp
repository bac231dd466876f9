// The companion's voice-data operations: banks, voice names, the edit buffer,
// compare and monitor modes, plug-in boards and the edit-voice name notifiers.
// The memory is read and written under the memory-API lock, as the pump thread reads
// and writes it; windows are opened and closed, and signals emitted, with it let go.
#include "console/libfile/LibraryFile.h"
#include "console/memapi/MemApiLock.h"
#include "console/memapi/TovarIMemAPI.h"
#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"
#include "console/model/PrmCtrl.h"
#include "console/model/SynthMemory.h"
#include "console/model/VceMem.h"
#include "memapi/CSimpleNotifier_VANTREL_KXE.h"
#include "utilities/interfaces/IClientServices.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QPointer>
#include <QWidget>

using Companion = TovarIMemAPIQObject_VANTREL_KXE;

namespace {

CPrmCtrl* voiceMap(CSynthMemory* memory) { return memory ? memory->VoiceMap() : nullptr; }

// The voice edit buffer lives in the voice map; the memory API's indexed access
// reaches it through the multi map's description of the same blocks. A name parameter
// the multi map lacks (a template without the voice blocks) is read and written in the
// voice map directly.
bool voiceMapAddress(CSynthMemory* memory, const CSimpleNotifier_VANTREL_KXE* n, unsigned char* adrs, PRMINFO& info)
{
    if (!memory || !n || n->element() < 0 || n->element() > 255 || n->channel() < 0 || n->channel() > 255
        || n->param() < 0 || n->param() > 255)
        return false;
    adrs[0] = (unsigned char)n->element();
    adrs[1] = (unsigned char)n->channel();
    adrs[2] = (unsigned char)n->param();
    PRMINFO multiInfo;
    if (memory->MultiMap() && memory->MultiMap()->GetPrmInfo(0, adrs, multiInfo))
        return false;
    return memory->VoiceMap() && memory->VoiceMap()->GetPrmInfo(0, adrs, info) && info.size == 1;
}

int nameValue(CSynthMemory* memory, CSimpleNotifier_VANTREL_KXE* n)
{
    unsigned char adrs[3];
    PRMINFO info;
    if (!voiceMapAddress(memory, n, adrs, info))
        return n->getValue();
    unsigned char* bytes = nullptr;
    unsigned char size = 0;
    unsigned char data[4] = {};
    if (!memory->VoiceMap()->GetData(0, adrs, bytes, size) || !bytes || size != 1
        || !memory->VoiceMap()->MidiToData(0, adrs, bytes, data))
        return 0;
    return data[0];
}

void setNameValue(CSynthMemory* memory, CSimpleNotifier_VANTREL_KXE* n, int value)
{
    unsigned char adrs[3];
    PRMINFO info;
    if (!voiceMapAddress(memory, n, adrs, info)) {
        n->setValue(value);
        return;
    }
    unsigned char data[4] = {(unsigned char)value, 0, 0, 0};
    unsigned char midi[4] = {};
    bool linked = false;
    if (memory->VoiceMap()->DataToMidi(0, adrs, data, midi))
        memory->VoiceMap()->SetData(0, adrs, midi, linked, LINK_ON, MIDI_ON, false, 0xFF);
}

// The smallest value a name parameter takes, in the map that describes it (0 when
// unknown).
int nameMinimum(CSynthMemory* memory, CSimpleNotifier_VANTREL_KXE* n)
{
    unsigned char adrs[3];
    PRMINFO info;
    if (!voiceMapAddress(memory, n, adrs, info))
        return memory && n ? memory->GetIndParamMin(n->element(), n->channel(), n->param()) : 0;
    if (!info.minimum)
        return 0;
    unsigned char data[4] = {};
    return memory->VoiceMap()->MidiToDataMin(0, adrs, data) ? data[0] : 0;
}

QString gatherName(CSynthMemory* memory, const Companion::NameNotifiers* notifiers)
{
    if (!notifiers)
        return QString();
    QString name;
    for (CSimpleNotifier_VANTREL_KXE* n : *notifiers) {
        if (!n)
            return QString();
        const int value = nameValue(memory, n);
        if (value == 0)
            break;
        name += QChar::fromLatin1(char(value & 0xFF));
    }
    // Names are kept padded with blanks.
    while (name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    return name;
}

bool complete(const Companion::NameNotifiers* notifiers)
{
    if (!notifiers)
        return false;
    for (CSimpleNotifier_VANTREL_KXE* n : *notifiers)
        if (!n)
            return false;
    return true;
}

} // namespace

// ---- import files

void Companion::closeImportFile(void* handle) { delete static_cast<CLibraryFile*>(handle); }

bool Companion::copyToMainVoices(void* handle, short srcBank, short srcVoice, short dstBank, short dstVoice,
                                 bool notify)
{
    CSynthMemory* model = memory();
    auto* library = static_cast<CLibraryFile*>(handle);
    if (!model || !library || !voiceMap(model) || srcBank < 0 || srcVoice < 0 || dstBank < 0 || dstVoice < 0)
        return false;
    if (srcVoice >= library->GetDirectorySize(srcBank))
        return false;
    bool ok = false;
    {
        MemApiLock lock(m_api);
        CPrmCtrl* previous = library->AttachPrmCtrl(model->VoiceMap());
        ok = library->CopyVoiceDataToLibrary(srcBank, srcVoice, dstBank, dstVoice, true);
        library->AttachPrmCtrl(previous);
    }
    if (notify && m_api)
        m_api->notifyAllObservers();
    return ok;
}

QString Companion::importBankName(void*, short bank)
{
    return isBankEditable(bank) ? bankName(bank) : QString();
}

int Companion::importBankType(void*, short bank) { return isBankEditable(bank) ? bankType(bank) : -1; }

QString Companion::importVoiceName(void* handle, short bank, short voice)
{
    auto* library = static_cast<CLibraryFile*>(handle);
    if (!library || bank < 0 || voice < 0 || voice >= library->GetDirectorySize(bank))
        return QString();
    return library->GetDirectryName(bank, voice);
}

// ---- banks and voices

QString Companion::bankName(short bank)
{
    CSynthMemory* model = memory();
    QString name;
    MemApiLock lock(m_api);
    if (bank < 0 || !model || !model->GetBankName(bank, name))
        return QString();
    return name;
}

int Companion::bankType(short bank)
{
    CSynthMemory* model = memory();
    MemApiLock lock(m_api);
    return bank < 0 || !model ? -1 : model->GetBankType(bank);
}

QString Companion::shortBankName(int a, int b)
{
    CSynthMemory* model = memory();
    QString name;
    MemApiLock lock(m_api);
    return model && model->GetShortBankName(a, b, name) ? name : QString();
}

bool Companion::isBankEditable(short bank)
{
    CSynthMemory* model = memory();
    MemApiLock lock(m_api);
    return bank >= 0 && model && model->IsBankEditable(bank);
}

QString Companion::nthDisplayBank(short n, short& bank, short& msb, short& lsb)
{
    bank = msb = lsb = 0;
    CSynthMemory* model = memory();
    QString name;
    int kind = 0, m = 0, l = 0, b = 0;
    MemApiLock lock(m_api);
    if (!model || n < 0 || !model->GetDisplayBankInfo(n, name, kind, m, l, b))
        return QString();
    bank = short(b);
    msb = short(m);
    lsb = short(l);
    return kind == 1 ? bankName(bank) : name;
}

QString Companion::voiceName(short bank, short voice)
{
    CSynthMemory* model = memory();
    QString text;
    MemApiLock lock(m_api);
    if (!model || bank < 0 || voice < 0 || !model->GetVoiceNameInBank(bank, voice, text))
        return QString();
    return text;
}

QString Companion::voiceNameCategory(short bank, short voice, QString& category)
{
    CSynthMemory* model = memory();
    QString name, kind;
    MemApiLock lock(m_api);
    if (!model || bank < 0 || voice < 0 || !model->GetVoiceNameInBank(bank, voice, name, kind)) {
        category = QString();
        return QString();
    }
    category = kind;
    return name;
}

void Companion::setVoiceName(short bank, short voice, const QString& name)
{
    MemApiLock lock(m_api);
    if (CSynthMemory* model = memory(); model && bank >= 0 && voice >= 0)
        model->SetVoiceName(bank, voice, name);
}

bool Companion::initVoice(short bank, short voice)
{
    CSynthMemory* model = memory();
    MemApiLock lock(m_api);
    return model && bank >= 0 && voice >= 0 && model->InitVoice(bank, voice);
}

bool Companion::moveVoices(short a, short b, short c, short d)
{
    CSynthMemory* model = memory();
    if (!model || a < 0 || b < 0 || c < 0 || d < 0)
        return false;
    {
        MemApiLock lock(m_api);
        if (!model->MoveVoicesInBank(a, b, c, d))
            return false;
    }
    NotifyAll();
    return true;
}

bool Companion::getVoiceData(short bank, short first, short last, QByteArray& data)
{
    CSynthMemory* model = memory();
    MemApiLock lock(m_api);
    return model && bank >= 0 && model->GetDataForClipboard(bank, first, last, data);
}

bool Companion::setVoiceData(short bank, short voice, const QByteArray& data)
{
    CSynthMemory* model = memory();
    MemApiLock lock(m_api);
    return model && bank >= 0 && voice >= 0 && model->SetDataFromClipboard(bank, voice, data);
}

// ---- edit buffer

void Companion::getEditBufferVoice(short& bank, short& voice, bool& derived)
{
    bank = voice = -1;
    derived = true;
    MemApiLock lock(m_api);
    CPrmCtrl* map = voiceMap(memory());
    if (!map)
        return;
    short type = 0;
    const int how = map->GetEditBufferInfo(type, bank, voice);
    derived = how != 0;
}

bool Companion::loadToEditBuffer(short bank, short voice, bool openLibrary)
{
    CSynthMemory* model = memory();
    IClientServices* services = m_api ? m_api->MAPI_cs() : nullptr;
    if (!model || !services || bank < 0 || voice < 0)
        return false;
    QPointer<QObject> self(this);
    bool copied = false;
    {
        MemApiLock lock(m_api);
        copied = model->CopyVoiceToEditBuffer(bank, voice);
    }
    if (!copied || !self)
        return false;
    if (openLibrary) {
        setMonitorVoice(-1, 0, nullptr, true);
        QWidget* widget = nullptr;
        services->CS_openEditor(Guid2QUuid(VoiceLibraryModule::guid), 3, &widget, nullptr, true);
    }
    if (!self)
        return false;
    dirty(false);
    short type = -1;
    bool mapped = false;
    {
        MemApiLock lock(m_api);
        model->setCompareMode(false);
        if (CPrmCtrl* map = voiceMap(model)) {
            short category = 0, number = 0;
            map->GetEditBufferInfo(type, category, number);
            mapped = true;
        }
    }
    // Editor windows of another voice type would show parameters the voice lacks.
    if (mapped) {
        if (m_lastEditCategory == -1) {
            m_lastEditCategory = type;
        } else if (m_lastEditCategory != type) {
            m_lastEditCategory = type;
            const struct { const Y_GUID* module; int last; } windows[] = {
                {&NormalElementModule::guid, 4}, {&DetailDialogsModule::guid, 35},
                {&DrumKeyModule::guid, 1}, {&LFOModule::guid, 4}};
            for (const auto& w : windows)
                for (int index = 1; index <= w.last; ++index) {
                    QWidget* open = nullptr;
                    if (services->CS_isEditorOpened(Guid2QUuid(*w.module), index, &open) == 0 && open)
                        services->CS_closeEditor(open);
                }
        }
        MemApiLock lock(m_api);
        if (CPrmCtrl* map = voiceMap(model))
            map->ResetLink();
    }
    flush(false);
    emit editBufferLoaded(bank, voice);
    emit enterCompareMode(false);
    NotifyAll();
    return true;
}

bool Companion::storeEditBuffer(short bank, short voice)
{
    CSynthMemory* model = memory();
    if (!model || bank < 0 || voice < 0)
        return false;
    {
        MemApiLock lock(m_api);
        if (!model->CopyEditBufferToVoice(bank, voice))
            return false;
    }
    NotifyAll();
    {
        QMutexLocker locker(&m_mutex);
        m_editModified = false;
    }
    m_voiceLibraryModified = true;
    emit voiceStored(bank, voice);
    return true;
}

void Companion::setCompareMode(bool on)
{
    CSynthMemory* model = memory();
    IClientServices* services = m_api ? m_api->MAPI_cs() : nullptr;
    if (!model || !services)
        return;
    if (compareMode() == on) {
        emit enterCompareMode(on);
        return;
    }
    m_compareSwitch = true;
    short bank = -1, voice = -1;
    bool derived = true;
    const auto editVoices = [&]() -> CVceMem* {
        CPrmCtrl* map = voiceMap(model);
        return map && bank != -1 && voice != -1 ? map->VceMem() : nullptr;
    };
    {
        MemApiLock lock(m_api);
        model->setCompareMode(on);
        getEditBufferVoice(bank, voice, derived);
        if (CVceMem* voices = editVoices(); voices && !on)
            voices->restoreEditBuffer(nullptr, false);
    }
    // The compare window, or the edit window it gives way to, opens with the lock let go.
    QWidget* widget = nullptr;
    services->CS_openEditor(Guid2QUuid(DialogsModule::guid), on ? 36 : 34, &widget, nullptr, true);
    {
        MemApiLock lock(m_api);
        CPrmCtrl* map = voiceMap(model);
        if (CVceMem* voices = editVoices(); voices && on) {
            voices->cacheEditBuffer(nullptr, false);
            if (model->CopyVoiceToEditBuffer(bank, voice))
                map->ResetLink();
        } else if (map && !on) {
            map->ResetLink();
        }
    }
    m_compareSwitch = false;
    NotifyAll();
    emit editBufferLoaded(-2, -2);
    emit enterCompareMode(on);
}

bool Companion::compareMode()
{
    CSynthMemory* model = memory();
    MemApiLock lock(m_api);
    return model && model->compareMode();
}

void Companion::setMonitorMode(bool on) { m_monitorMode = on; }
bool Companion::monitorMode() { return m_monitorMode; }

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

// ---- edit-voice name

void Companion::ObserveEditVoiceName()
{
    if (m_normalNames && m_drumNames && m_pluginNames)
        return;
    if (!m_api)
        return;
    m_normalNames = std::make_unique<NameNotifiers>();
    m_drumNames = std::make_unique<NameNotifiers>();
    m_pluginNames = std::make_unique<NameNotifiers>();
    for (int i = 1; i <= 10; ++i) {
        const QString n = QString::number(i);
        (*m_normalNames)[size_t(i - 1)] = CSimpleNotifier_VANTREL_KXE::Create(
            *m_api, this, QStringLiteral("00kNormalCommonExtra/kNrmComVoiceName") + n, 0,
            SLOT(voiceNameChangedNormal(int)));
        (*m_drumNames)[size_t(i - 1)] = CSimpleNotifier_VANTREL_KXE::Create(
            *m_api, this, QStringLiteral("00kDrumCommonExtra/kDrmComVoiceName") + n, 0,
            SLOT(voiceNameChangedDrum(int)));
        (*m_pluginNames)[size_t(i - 1)] = CSimpleNotifier_VANTREL_KXE::Create(
            *m_api, this, QStringLiteral("00kPluginCommonExtra/kPlgComVoiceName") + n, 0,
            SLOT(voiceNameChangedPlugin(int)));
    }
}

void Companion::voiceNameChangedNormal(int)
{
    if (complete(m_normalNames.get()))
        emit editVoiceNameChanged(editName(m_normalNames.get()), 0);
}

void Companion::voiceNameChangedDrum(int)
{
    if (complete(m_drumNames.get()))
        emit editVoiceNameChanged(editName(m_drumNames.get()), 1);
}

void Companion::voiceNameChangedPlugin(int)
{
    if (complete(m_pluginNames.get()))
        emit editVoiceNameChanged(editName(m_pluginNames.get()), 2);
}

QString Companion::editName(const NameNotifiers* notifiers)
{
    MemApiLock lock(m_api);
    return gatherName(memory(), notifiers);
}

QString Companion::getEditVoiceName()
{
    if (!m_normalNames || !m_drumNames || !m_pluginNames)
        return QString();
    int type = 0;
    QString text;
    getEditVoiceType(type, text);
    if (type == 1)
        return editName(m_drumNames.get());
    if (type == 2)
        return editName(m_pluginNames.get());
    return editName(m_normalNames.get());
}

void Companion::setEditVoiceName(const QString& name, int type)
{
    if (m_compareSwitch || !m_normalNames || !m_drumNames || !m_pluginNames)
        return;
    NameNotifiers* notifiers = type == 1 ? m_drumNames.get() : type == 2 ? m_pluginNames.get() : m_normalNames.get();
    if (!complete(notifiers))
        return;
    const QByteArray latin = name.toLatin1();
    CSynthMemory* model = memory();
    {
        MemApiLock lock(m_api);
        for (int i = 0; i < 10; ++i) {
            // Past the name's end: 00 to the tenth byte. A name parameter whose range
            // leaves 00 out gets the blank the instrument pads names with instead,
            // never a byte outside its range.
            int value = i < latin.size() ? int(uchar(latin.at(i))) : 0;
            if (value == 0 && model && model->VoiceMap()) {
                const int low = nameMinimum(model, (*notifiers)[size_t(i)]);
                if (low > 0)
                    value = ' ';
            }
            setNameValue(model, (*notifiers)[size_t(i)], value);
        }
    }
    const int which = notifiers == m_drumNames.get() ? 1 : notifiers == m_pluginNames.get() ? 2 : 0;
    emit editVoiceNameChanged(editName(notifiers), which);
}

void Companion::getEditVoiceType(int& type, QString& text)
{
    short bank = -1, voice = -1;
    bool derived = true;
    getEditBufferVoice(bank, voice, derived);
    const QString name = bankName(bank);
    if (name.contains(QLatin1String("Norm"))) {
        type = 0;
        text = QStringLiteral("Normal");
    } else if (name.contains(QLatin1String("Drum"))) {
        type = 1;
        text = QStringLiteral("Drum");
    } else {
        type = 2;
        text = QStringLiteral("Plugin");
    }
}

// ---- file name

void Companion::setCurrentFileName(const QString& name)
{
    if (name.isEmpty()) {
        m_currentFileName.clear();
        emit currentFileNameChanged(m_currentFileName);
        return;
    }
    const QFileInfo info(name);
    const QString folder = info.absolutePath();
    QDir::setCurrent(folder);
    if (name.contains(QLatin1String(".w9e")) || name.contains(QLatin1String(".w7e")))
        return;
    // A document read from an older format is saved in this one, under the ".m3e"
    // suffix, never over the older file. Any other name is the file just read or
    // written and stays as it is, so that the next Save writes that same file.
    QString base = info.fileName();
    static const QStringList olderDocuments{QStringLiteral("m1e"), QStringLiteral("m2e"), QStringLiteral("m4e"),
                                            QStringLiteral("m5e"), QStringLiteral("m6e")};
    if (olderDocuments.contains(info.suffix().toLower())) {
        // Only the last suffix changes: dots inside the base name belong to it.
        base.truncate(base.lastIndexOf(QLatin1Char('.')));
        base += QStringLiteral(".m3e");
    }
    QString rebuilt = folder;
    if (!rebuilt.endsWith(QLatin1Char('/')))
        rebuilt += QLatin1Char('/');
    rebuilt += base;
    m_currentFileName = rebuilt;
    emit currentFileNameChanged(m_currentFileName);
}

QString Companion::getCurrentFileName() { return m_currentFileName; }
QString Companion::getDocumentFileName() { return m_documentFileName; }

// ---- plug-in boards

void Companion::selectPluginBoard(int slot, bool on)
{
    MemApiLock lock(m_api);
    if (CPrmCtrl* map = voiceMap(memory()))
        map->SelectPlugInBoard(slot, on);
}

void Companion::initPluginBoardData()
{
    MemApiLock lock(m_api);
    if (CPrmCtrl* map = voiceMap(memory())) {
        map->InitPlugInBoardData();
        map->SelectPlugInBoard(-1, true);
    }
}

void Companion::setPluginBoardCheck(bool on)
{
    MemApiLock lock(m_api);
    if (CPrmCtrl* map = voiceMap(memory()))
        map->SetPlugInBoardsFlag(on);
}

// ---- monitor voice, flush, MIDI suppression

bool Companion::setMonitorVoice(int bank, int voice, void* handle, bool force)
{
    if (!force && bank == m_monitorBank && voice == m_monitorVoice && handle == m_monitorHandle)
        return false;
    m_monitorBank = bank;
    m_monitorVoice = voice;
    m_monitorHandle = handle;
    return bank != -2;
}

void Companion::getMonitorVoice(int& bank, int& voice, void*& handle)
{
    bank = m_monitorBank;
    voice = m_monitorVoice;
    handle = m_monitorHandle;
}

void Companion::flush(bool compare)
{
    if (MemApiLock lock(m_api); CPrmCtrl* map = voiceMap(memory())) {
        std::vector<std::array<unsigned char, 3>> blocks;
        for (unsigned char n = 0; n < 4; ++n)
            blocks.push_back({0x44, n, 0x00});
        blocks.push_back({0x4A, (unsigned char)(getCurrDrumKeyChannel() & 0x7F), 0x00});
        for (const auto& adrs : blocks) {
            PRMINFO info;
            if (!map->GetPrmInfo(0, adrs.data(), info))
                continue;
            unsigned char* bytes = nullptr;
            unsigned char size = 0;
            if (map->GetData(0, adrs.data(), bytes, size) && bytes)
                map->ResetLink(0, adrs.data(), bytes, size, short(info.link));
        }
    }
    emit editBufferLoaded(compare ? -2 : -1, compare ? -2 : -1);
    NotifyAll();
}

void Companion::suppressMIDI(bool on)
{
    MemApiLock lock(m_api);
    CPrmCtrl* map = voiceMap(memory());
    if (!map)
        return;
    m_midiSuppression += on ? 1 : -1;
    if (m_midiSuppression < 0)
        return;
    map->SuppressMIDI(m_midiSuppression >= 1);
}

QString Companion::voiceNameAndCategory(short msb, short lsb, short number, QString& category)
{
    CSynthMemory* model = memory();
    if (!model)
        return QString();
    QString name;
    int kind = 0, m = 0, l = 0, bank = 0;
    MemApiLock lock(m_api);
    for (int n = 0; model->GetDisplayBankInfo(n, name, kind, m, l, bank); ++n) {
        if (m != msb || l != lsb)
            continue;
        if (kind == 1)
            return voiceNameCategory(short(bank), number, category);
        category = QString();
        CPrmCtrl* map = voiceMap(model);
        return map && bank >= 0 && number >= 0 ? map->GetStrTblKeyData(unsigned(bank), unsigned(number)) : QString();
    }
    return QString();
}

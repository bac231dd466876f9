#include "console/model/SynthMemory.h"
#include "console/bulk/Bulk.h"
#include "console/libfile/LibraryFile.h"
#include "console/model/ModelLogging.h"
#include "console/model/PrmCtrl.h"
#include "console/model/VceMem.h"
#include "console/model/VoiceBanks.h"
#include "genericeditor/interfaces/HostInterfaces.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>
#include <cstring>
#include <mutex>

namespace {

constexpr int kMaxParamBytes = 16;

CSynthMemory::FailureReporter& failureReporter()
{
    static CSynthMemory::FailureReporter reporter;
    return reporter;
}

// Scopes of BoxesAfter open on this thread.
thread_local int t_boxesHeld = 0;

// Boxes open at once only on the GUI thread outside a BoxesAfter scope; else they
// wait for its loop.
bool showBoxesNow(QCoreApplication* app)
{
    return QThread::currentThread() == app->thread() && t_boxesHeld == 0;
}

// The start-up's message boxes go by one name, by which a host with nobody at the
// program knows them (they are modal and come during its connect).
void showStartupBox(QMessageBox::Icon icon, const QString& title, const QString& text)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("StartupWarning"));
    box.exec();
}

void showCritical(const QString& title, const QString& text)
{
    showStartupBox(QMessageBox::Critical, title, text);
}

// The three address bytes of an indexed parameter; false for numbers outside a byte.
bool indexedAddress(int element, int channel, int parameter, unsigned char* adrs)
{
    if (element < 0 || element > 255 || channel < 0 || channel > 255 || parameter < 0 || parameter > 255)
        return false;
    adrs[0] = (unsigned char)element;
    adrs[1] = (unsigned char)channel;
    adrs[2] = (unsigned char)parameter;
    return true;
}

int joinBytes(const unsigned char* bytes, int size)
{
    return CPrmCtrl::GetCnvData(size, bytes);
}

// The voice being edited lives in the voice map's edit buffer: loading a voice, compare
// and store work there. The multi map describes the same blocks, so that an indexed
// parameter of that voice has its range and texts and its changes reach the
// instrument; its bytes are taken from, and kept in, the voice map.
CPrmCtrl* editVoiceMap(CPrmCtrl* voice, const unsigned char* adrs, unsigned char size)
{
    PRMINFO info;
    return voice && voice->GetPrmInfo(0, adrs, info) && info.size == size ? voice : nullptr;
}

// Connects a bulk engine's signals to the slots of the same role on the receiver;
// direct, so the receiver runs on the thread that feeds the engine.
void connectReceive(CBulk* bulk, QObject* receiver)
{
    if (!bulk || !receiver)
        return;
    const auto type = Qt::ConnectionType(Qt::DirectConnection | Qt::UniqueConnection);
    QObject::connect(bulk, SIGNAL(bulkRcvProgressChanged(int)), receiver, SLOT(onRcvProgressChanged(int)), type);
    QObject::connect(bulk, SIGNAL(bulkRcvErrorOccurred(int)), receiver, SLOT(OnRcvErrorOccured(int)), type);
    QObject::connect(bulk, SIGNAL(bulkRecieved()), receiver, SLOT(onRcvBulk()), type);
}

void connectSend(CBulk* bulk, QObject* receiver)
{
    if (!bulk || !receiver)
        return;
    const auto type = Qt::ConnectionType(Qt::DirectConnection | Qt::UniqueConnection);
    QObject::connect(bulk, SIGNAL(bulkSendProgressChanged(int,int)), receiver,
                     SLOT(onSendProgressChanged(int,int)), type);
    QObject::connect(bulk, SIGNAL(bulkSendFailed()), receiver, SLOT(onSendFailed()), type);
}

} // namespace

CSynthMemory::CSynthMemory(IMemAPI* api) : m_api(api) { InitDefaultSettings(); }

CSynthMemory::CSynthMemory(IMemAPI* api, const QString& multiTemplate, const QString& voiceTemplate)
    : m_api(api), m_multiTemplate(multiTemplate), m_voiceTemplate(voiceTemplate)
{
    InitDefaultSettings();
}

CSynthMemory::~CSynthMemory()
{
    deleteMaps();
}

void CSynthMemory::setFailureReporter(FailureReporter reporter)
{
    failureReporter() = std::move(reporter);
}

void CSynthMemory::reportFailure(const QString& text)
{
    const QString title = QStringLiteral("TOVAR-VANTREL Quillon");
    qCCritical(lcModel) << text;
    if (failureReporter()) {
        failureReporter()(title, text);
        return;
    }
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    // Message boxes open only on the GUI thread.
    if (showBoxesNow(app))
        showCritical(title, text);
    else
        QMetaObject::invokeMethod(app, [title, text] { showCritical(title, text); }, Qt::QueuedConnection);
}

void CSynthMemory::reportStartupWarning(const QString& title, const QString& text)
{
    reportStartupWarnings({{title, text}});
}

void CSynthMemory::reportStartupWarnings(const QList<QPair<QString, QString>>& warnings)
{
    for (const auto& w : warnings)
        qCWarning(lcModel) << w.first << w.second;
    if (failureReporter()) {
        for (const auto& w : warnings)
            failureReporter()(w.first, w.second);
        return;
    }
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    // One call for all of them: boxes posted one by one would each open inside the
    // loop of the box before, over it.
    const auto show = [warnings] {
        for (const auto& w : warnings)
            showStartupBox(QMessageBox::Warning, w.first, w.second);
    };
    if (showBoxesNow(app))
        show();
    else
        QMetaObject::invokeMethod(app, show, Qt::QueuedConnection);
}

CSynthMemory::BoxesAfter::BoxesAfter()
{
    ++t_boxesHeld;
}

CSynthMemory::BoxesAfter::~BoxesAfter()
{
    --t_boxesHeld;
}

void CSynthMemory::deleteMaps()
{
    m_streamFiles.reset();
    delete m_multi;
    m_multi = nullptr;
    delete m_voice;
    m_voice = nullptr;
    delete m_banks;
    m_banks = nullptr;
    m_sending = nullptr;
}

void CSynthMemory::InitDefaultSettings()
{
    // A second run must not leave the first run's maps (and their surface manager) alive.
    deleteMaps();
    m_banks = new CVoiceBanks;

    m_multi = new CPrmCtrl(m_api);
    const bool multiBuilt = m_multiTemplate.isEmpty() ? m_multi->CreatePrmCtrl(0)
                                                      : m_multi->CreatePrmCtrl(0, m_multiTemplate);
    if (!multiBuilt) {
        qCCritical(lcModel) << m_multi->ErrorText();
        reportFailure(QStringLiteral("Failed creating memory map!\n - Check your Vexmoor folder is installed correctly"));
        // A half-built map is no map: every operation then answers neutrally.
        delete m_multi;
        m_multi = nullptr;
        return;
    }
    m_voice = new CPrmCtrl(m_api);
    const bool voiceBuilt = m_voiceTemplate.isEmpty() ? m_voice->CreatePrmCtrl(1)
                                                      : m_voice->CreatePrmCtrl(1, m_voiceTemplate);
    if (!voiceBuilt) {
        qCCritical(lcModel) << m_voice->ErrorText();
        reportFailure(
            QStringLiteral("Failed creating voice memory map!\n - Check your Vexmoor folder is installed correctly"));
        delete m_voice;
        m_voice = nullptr;
        return;
    }
    m_multi->SetVoiceMap(m_voice);
    m_voice->SetPlugInBoardsFlag(false);
    m_voice->SetMaster(m_multi);
    m_multi->ResetLink();

    m_banks->SetPresetNameMap(m_multi);
    if (!m_banks->InitSettings(m_voice))
        qCWarning(lcModel) << "voice bank table not read";
    m_multi->RemoteCtrl().m_pVoiceBanks = m_banks;

    // Banks of type 2 start with initial voices.
    if (CVceMem* voices = m_voice->VceMem()) {
        for (int c = 0; c < voices->GetVoiceMemCategoryNum(); ++c) {
            const VCEMEM_CATEGORYINFO info = voices->GetVoiceMemCategoryInfo(c);
            if (info.templateNo != 2)
                continue;
            for (int v = 0; v < info.voiceNum; ++v)
                m_voice->InitVoice(short(c), short(v));
        }
    }
    m_sending = m_multi;
}

// ---- ports and device settings

void CSynthMemory::SetMIDI(TMIDIProxyInOut* io, int port)
{
    if (m_multi)
        m_multi->SetMIDI(io, port);
    if (m_voice)
        m_voice->SetMIDI(io, port);
}

void CSynthMemory::setDeviceID(int id)
{
    if (m_multi)
        m_multi->setDeviceID((unsigned char)(id & 0xFF));
    if (m_voice)
        m_voice->setDeviceID((unsigned char)(id & 0xFF));
}

void CSynthMemory::SetMidiCh(int channel)
{
    if (m_multi)
        m_multi->SetMidiCh((unsigned char)(channel & 0xFF));
    if (m_voice)
        m_voice->SetMidiCh((unsigned char)(channel & 0xFF));
}

// ---- indexed parameters

int CSynthMemory::GetIndParam(int element, int channel, int parameter) const
{
    if (!m_multi)
        return 0;
    if (element == kPartStatusElement) {
        switch (parameter) {
        case 0: return m_multi->IsMuteStatus(channel) ? 1 : 0;
        case 1: return m_multi->IsSoloStatus(channel) ? 1 : 0;
        case 2: return m_multi->IsInsertStatus(channel) ? 1 : 0;
        default: return 0;
        }
    }
    if (element == kPartSwitchElement)
        return m_multi->IsPartSwitchStatus(channel, parameter) ? 1 : 0;
    unsigned char adrs[3];
    if (!indexedAddress(element, channel, parameter, adrs))
        return 0;
    unsigned char* bytes = nullptr;
    unsigned char size = 0;
    if (!m_multi->GetData(0, adrs, bytes, size) || !bytes || size == 0 || size > kMaxParamBytes)
        return 0;
    unsigned char* edited = nullptr;
    unsigned char editedSize = 0;
    if (CPrmCtrl* voice = editVoiceMap(m_voice, adrs, size);
        voice && voice->GetData(0, adrs, edited, editedSize) && edited && editedSize == size)
        bytes = edited;
    unsigned char data[kMaxParamBytes] = {};
    if (!m_multi->MidiToData(0, adrs, bytes, data))
        return 0;
    return joinBytes(data, size);
}

bool CSynthMemory::SetIndParamAndDirty(int element, int channel, int parameter, int value, unsigned int tag)
{
    if (!m_multi)
        return false;
    if (element == kPartStatusElement) {
        switch (parameter) {
        case 0: m_multi->SetMuteStatus(channel, value != 0, true); break;
        case 1: m_multi->SetSoloStatus(channel, value != 0, true); break;
        case 2: m_multi->SetInsertStatus(channel, value != 0); break;
        default: break;
        }
        return true;
    }
    if (element == kPartSwitchElement) {
        m_multi->SetPartSwitchStatus(channel, parameter, value != 0);
        return true;
    }
    return SetIndParamAndDirtyInternal(element, channel, parameter, value, tag);
}

bool CSynthMemory::SetIndParamAndDirtyInternal(int element, int channel, int parameter, int value,
                                               unsigned int tag)
{
    unsigned char adrs[3];
    PRMINFO info;
    if (!m_multi || !indexedAddress(element, channel, parameter, adrs) || !m_multi->GetPrmInfo(0, adrs, info))
        return false;
    const int size = info.size;
    if (size <= 0 || size > kMaxParamBytes)
        return false;
    unsigned char data[kMaxParamBytes] = {};
    CPrmCtrl::GetData(value, data, size);
    unsigned char midi[kMaxParamBytes] = {};
    if (!m_multi->DataToMidi(0, adrs, data, midi))
        return false;
    // A parameter of the voice being edited is stored, linked and sent by the voice map
    // (its MIDI suppression holds); the multi map's copy follows without a message.
    CPrmCtrl* voice = editVoiceMap(m_voice, adrs, (unsigned char)size);
    CPrmCtrl* owner = voice ? voice : m_multi;
    PRMINFO ownInfo;
    if (!owner->GetPrmInfo(0, adrs, ownInfo))
        return false;
    bool linked = false;
    if (!owner->SetData(0, adrs, midi, linked, LINK_ON, MIDI_ON, false, (unsigned char)tag))
        return false;
    if (voice) {
        bool ignored = false;
        m_multi->SetData(0, adrs, midi, ignored, LINK_OFF, MIDI_OFF, false, (unsigned char)tag);
    }
    if (linked && !owner->ResetLink(0, adrs, midi, (unsigned char)size, short(ownInfo.link)))
        return false;
    // Writing a part's bank select or program number copies the chosen voice into the part.
    m_multi->CheckTriggerAddres(0, adrs, 3, size, midi, false);
    return true;
}

int CSynthMemory::IndParamBound(int element, int channel, int parameter, bool maximum) const
{
    if (element == kPartStatusElement || element == kPartSwitchElement)
        return maximum ? 1 : 0;
    unsigned char adrs[3];
    PRMINFO info;
    if (!m_multi || !indexedAddress(element, channel, parameter, adrs) || !m_multi->GetPrmInfo(0, adrs, info)
        || info.size == 0 || info.size > kMaxParamBytes)
        return 0;
    unsigned char data[kMaxParamBytes] = {};
    const bool ok = maximum ? m_multi->MidiToDataMax(0, adrs, data) : m_multi->MidiToDataMin(0, adrs, data);
    return ok ? joinBytes(data, info.size) : 0;
}

int CSynthMemory::GetIndParamMin(int element, int channel, int parameter) const
{
    return IndParamBound(element, channel, parameter, false);
}

int CSynthMemory::GetIndParamMax(int element, int channel, int parameter) const
{
    return IndParamBound(element, channel, parameter, true);
}

bool CSynthMemory::SetIndParamDirty(int element, int channel, int parameter, unsigned int flag)
{
    if (element == kPartStatusElement || element == kPartSwitchElement)
        return true;
    unsigned char adrs[3];
    if (!m_multi || !indexedAddress(element, channel, parameter, adrs))
        return false;
    return m_multi->SetParamDirtyFlag(0, adrs, (unsigned char)flag);
}

int CSynthMemory::GetParamDirtyFlag(int element, int index) const
{
    if (element == kPartStatusElement || element == kPartSwitchElement)
        return -1;
    return m_multi ? m_multi->GetParamDirtyFlag(element, index) : 0;
}

int CSynthMemory::GetParamDirtyFlag(int index, const unsigned char* flags) const
{
    return flags && index >= 0 ? flags[index] : 0;
}

int CSynthMemory::GetBlkAndParamDirtyFlag(unsigned int block, unsigned int& blockFlags,
                                          unsigned char*& paramFlags) const
{
    blockFlags = 0;
    paramFlags = nullptr;
    if (!m_multi || block > unsigned(INT32_MAX))
        return 0;
    unsigned char flag = 0;
    const int count = m_multi->GetBlkAndParamDirtyFlag(int(block), flag, paramFlags);
    blockFlags = flag;
    return count;
}

int CSynthMemory::GetNumElements() const { return m_multi ? m_multi->GetBlkCount() : 0; }
int CSynthMemory::GetNumParams(int element) const { return m_multi ? m_multi->GetBlkParamCount(element) : 0; }

int CSynthMemory::GetParamAddress(unsigned int block, int index, unsigned char* address) const
{
    return m_multi && address && m_multi->GetParamAddress(block, index, address) ? 1 : 0;
}

bool CSynthMemory::GetDisplayString(int element, int channel, int parameter, QString& text, int value) const
{
    unsigned char adrs[3];
    PRMINFO info;
    if (!m_multi || !indexedAddress(element, channel, parameter, adrs) || !m_multi->GetPrmInfo(0, adrs, info)
        || info.size == 0 || info.size > kMaxParamBytes)
        return false;
    unsigned char data[kMaxParamBytes] = {};
    CPrmCtrl::GetData(value, data, info.size);
    return m_multi->GetValToStr(0, adrs, data, text);
}

bool CSynthMemory::GetParameterNameString(int element, int channel, int parameter, QString& name) const
{
    unsigned char adrs[3];
    PRMINFO info;
    if (!m_multi || !indexedAddress(element, channel, parameter, adrs) || !m_multi->GetPrmInfo(0, adrs, info))
        return false;
    name = info.name.trimmed();
    if (info.dispStyle == 0xFFFF)
        name.clear();
    // A part whose voice element is switched to its alternative form hides eight names.
    if (element == 0x4A && parameter <= 7 && GetIndParam(0x47, channel, 1) == 1)
        name.clear();
    return true;
}

bool CSynthMemory::GetWidgetWindowState(int element, int channel, int parameter, bool& active, bool& flag) const
{
    flag = m_compareMode;
    if (element == kPartSwitchElement && parameter == 11) {
        element = kPartElement;
        parameter = 39;
    }
    unsigned char adrs[3];
    PRMINFO info;
    if (!m_multi || !indexedAddress(element, channel, parameter, adrs) || !m_multi->GetPrmInfo(0, adrs, info))
        return false;
    active = info.dispStyle < 0xFFFF;
    return true;
}

// ---- voices and banks

namespace {
bool categoryInfo(CPrmCtrl* voice, int category, VCEMEM_CATEGORYINFO& info)
{
    if (!voice || !voice->VceMem() || category < 0 || category >= voice->VceMem()->GetVoiceMemCategoryNum())
        return false;
    info = voice->VceMem()->GetVoiceMemCategoryInfo(category);
    return true;
}
} // namespace

int CSynthMemory::GetBankType(int category) const
{
    VCEMEM_CATEGORYINFO info;
    return categoryInfo(m_voice, category, info) ? int(info.templateNo) : -1;
}

bool CSynthMemory::GetBankName(int category, QString& name) const
{
    VCEMEM_CATEGORYINFO info;
    name = categoryInfo(m_voice, category, info) ? QString::fromLatin1(info.name) : QString();
    return true;
}

bool CSynthMemory::IsBankEditable(int category) const
{
    VCEMEM_CATEGORYINFO info;
    return categoryInfo(m_voice, category, info) && info.edit != 0;
}

bool CSynthMemory::BoardVoiceName(int table, int voice, QString& name, QString& kind) const
{
    if (!m_banks || !m_voice || !m_banks->GetTableVoiceName(table, voice, name))
        return false;
    // Board voices carry no category: shown as category 0 of the category column is.
    const LIBHDRDATA column = m_voice->Hdr().GetHdrData(0, 2);
    const unsigned char none[kMaxParamBytes] = {};
    if (column.adrsLen == 0 || !m_voice->GetValToStr(0, column.address, none, kind))
        kind.clear();
    return true;
}

bool CSynthMemory::GetVoiceNameInBank(int category, int voice, QString& text) const
{
    VCEMEM_CATEGORYINFO info;
    QString name, kind;
    if (!categoryInfo(m_voice, category, info) && BoardVoiceName(category, voice, name, kind)) {
        text = QString::asprintf("%3d ", voice + 1) + kind + QLatin1Char(' ') + name + QLatin1Char(' ');
        return true;
    }
    if (!categoryInfo(m_voice, category, info) || voice < 0 || voice >= info.voiceNum)
        return false;
    const int header = info.templateNo;
    text = m_voice->GetLibItemName(header, short(category), 1, voice) + QLatin1Char(' ')
           + m_voice->GetLibItemName(header, short(category), 2, voice) + QLatin1Char(' ')
           + m_voice->GetLibItemName(header, short(category), 0, voice) + QLatin1Char(' ');
    return true;
}

bool CSynthMemory::GetVoiceNameInBank(int category, int voice, QString& name, QString& kind) const
{
    VCEMEM_CATEGORYINFO info;
    if (!categoryInfo(m_voice, category, info))
        return BoardVoiceName(category, voice, name, kind);
    if (voice < 0 || voice >= info.voiceNum)
        return false;
    name = m_voice->GetLibItemName(info.templateNo, short(category), 0, voice);
    kind = m_voice->GetLibItemName(info.templateNo, short(category), 2, voice);
    return true;
}

bool CSynthMemory::SetVoiceName(int category, int voice, const QString& name)
{
    return m_voice && m_voice->SetVoiceName(short(category), short(voice), name);
}

bool CSynthMemory::GetShortBankName(int msb, int lsb, QString& name) const
{
    int index = 0;
    return m_banks && m_banks->GetBankNameID(msb, lsb, name, index);
}

bool CSynthMemory::GetDisplayBankInfo(int index, QString& name, int& kind, int& msb, int& lsb, int& bank) const
{
    QString second;
    int table = 0;
    if (!m_banks || !m_banks->GetBankByID(index, kind, msb, lsb, name, second, &table))
        return false;
    if (kind == 0)
        name = second;
    bank = table;
    return true;
}

bool CSynthMemory::GetVoiceNameString(int, int voice, int msb, int lsb, QString& text) const
{
    return m_banks && m_banks->GetVoiceName(msb, lsb, voice, text);
}

void CSynthMemory::PartBank(int part, int& msb, int& lsb) const
{
    msb = GetIndParam(kPartElement, part, 0);
    lsb = GetIndParam(kPartElement, part, 1);
    int table = 0;
    if (!m_banks || !m_multi || m_banks->GetBankTableID(msb, lsb, table) || m_multi->CopyPrmInfo().GetBankCount() == 0)
        return;
    // A pair the bank table does not know plays the first bank of the copy rules, the
    // bank a multi dump puts such a part back to.
    const BANK_INFO first = m_multi->CopyPrmInfo().GetBankInfo(0);
    msb = first.msb;
    lsb = first.lsb;
}

bool CSynthMemory::GetBankTableID(int part, int& table) const
{
    int msb = 0, lsb = 0;
    PartBank(part, msb, lsb);
    return m_banks && m_banks->GetBankTableID(msb, lsb, table);
}

bool CSynthMemory::GetBankNameString(int part, QString& name) const
{
    int msb = 0, lsb = 0;
    PartBank(part, msb, lsb);
    return GetShortBankName(msb, lsb, name);
}

bool CSynthMemory::GetVoiceShortNameString(int part, int voice, QString& name) const
{
    int msb = 0, lsb = 0;
    PartBank(part, msb, lsb);
    return m_banks && m_banks->GetVoiceNameShort(msb, lsb, voice, name);
}

bool CSynthMemory::GetVoiceNameString(int part, int voice, QString& text) const
{
    int msb = 0, lsb = 0;
    PartBank(part, msb, lsb);
    return m_banks && m_banks->GetVoiceName(msb, lsb, voice, text);
}

bool CSynthMemory::GetVoiceBulkReceiveName(int index, QString& name) const
{
    name.clear();
    CBulk* bulk = m_voice ? m_voice->Bulk() : nullptr;
    if (!bulk || index < 0 || index >= bulk->GetBulkReqCategorySize())
        return false;
    name = bulk->GetBulkReqCategoryName(index);
    return true;
}

bool CSynthMemory::GetVoiceBulkSendName(int index, QString& name) const
{
    name.clear();
    CBulk* bulk = m_voice ? m_voice->Bulk() : nullptr;
    if (!bulk || index < 0 || index >= bulk->GetBulkOutCategorySize())
        return false;
    name = bulk->GetBulkOutCategoryName(index);
    return true;
}

bool CSynthMemory::CopyVoiceToEditBuffer(int category, int voice)
{
    if (!m_voice || !m_voice->CopyToEditBuff(short(category), short(voice), false))
        return false;
    m_voice->SetEditBufferOrigin(short(category), short(voice));
    m_voice->SetEditBufferBankType(short(GetBankType(category)));
    return true;
}

bool CSynthMemory::CopyEditBufferToVoice(int category, int voice)
{
    return m_voice && m_voice->CopyFromEditBuff(short(category), short(voice));
}

bool CSynthMemory::MoveVoicesInBank(int category, int first, int last, int destination)
{
    VCEMEM_CATEGORYINFO info;
    if (!categoryInfo(m_voice, category, info))
        return false;
    const int count = last - first + 1;
    // The run and its target stay inside the category.
    if (first < 0 || count < 1 || destination < 0 || last >= info.voiceNum || destination + count > info.voiceNum)
        return false;
    return m_voice->MoveLibItem(short(category), short(first), short(destination), short(count));
}

bool CSynthMemory::InitVoice(int category, int voice)
{
    return m_voice && m_voice->InitVoice(short(category), short(voice));
}

const unsigned char* CSynthMemory::GetInitVoiceData(int category, unsigned long& size) const
{
    size = 0;
    if (!m_voice)
        return nullptr;
    int voiceSize = 0;
    if (m_voice->GetVoiceMem(short(category), 0, &voiceSize) && voiceSize > 0)
        size = (unsigned long)voiceSize;
    return m_voice->GetInitVoiceData(short(category));
}

bool CSynthMemory::GetDataForClipboard(int category, int first, int last, QByteArray& image) const
{
    VCEMEM_CATEGORYINFO info;
    if (first < 0 || first > last || !categoryInfo(m_voice, category, info) || last >= info.voiceNum
        || category > 255 || last > 255)
        return false;
    int voiceSize = 0;
    if (!m_voice->GetVoiceMem(short(category), short(first), &voiceSize) || voiceSize <= 0)
        return false;
    const int count = last - first + 1;
    QByteArray out(count * voiceSize + 4, '\0');
    out[0] = 'u';
    out[1] = char(category);
    out[2] = char(first);
    out[3] = char(last);
    for (int v = first; v <= last; ++v) {
        int size = 0;
        const unsigned char* bytes = m_voice->GetVoiceMem(short(category), short(v), &size);
        if (!bytes || size != voiceSize)
            return false;
        std::memcpy(out.data() + 4 + (v - first) * voiceSize, bytes, size_t(voiceSize));
    }
    image = out;
    return true;
}

bool CSynthMemory::SetDataFromClipboard(int category, int start, const QByteArray& image)
{
    VCEMEM_CATEGORYINFO info;
    if (image.size() < 4 || image.at(0) != 'u' || !categoryInfo(m_voice, category, info) || start < 0)
        return false;
    const int first = static_cast<signed char>(image.at(2));
    const int last = static_cast<signed char>(image.at(3));
    if (first > last)
        return false;
    int voiceSize = 0;
    if (!m_voice->GetVoiceMem(short(category), short(start), &voiceSize) || voiceSize <= 0)
        return false;
    if (image.size() != (last - first + 1) * voiceSize + 4)
        return false;
    CVceMem* voices = m_voice->VceMem();
    const auto* bytes = reinterpret_cast<const unsigned char*>(image.constData()) + 4;
    // Bounded by the target category: a paste near its end stores what fits.
    for (int i = 0; i <= last - first && start + i < info.voiceNum; ++i)
        voices->CopyVoiceMem(category, bytes + i * voiceSize, voiceSize, category, start + i);
    return true;
}

namespace {

// The voice edit buffer as bytes: the current image of every block of the voice map,
// in block order.
QByteArray editBufferImage(const CPrmCtrl& voice)
{
    QByteArray image;
    const CEditorBlk& blocks = voice.EditorBlk();
    for (int i = 0; i < blocks.GetBlkCount(); ++i) {
        const BLK b = blocks.GetBlkAt(i);
        if (b.curImage && b.memSize > 0)
            image.append(reinterpret_cast<const char*>(b.curImage), b.memSize);
    }
    return image;
}

// Writes an image of editBufferImage back; an image of another size (none taken, or
// taken from other blocks) writes nothing.
bool restoreEditBufferImage(CPrmCtrl& voice, const QByteArray& image)
{
    const CEditorBlk& blocks = voice.EditorBlk();
    qsizetype total = 0;
    for (int i = 0; i < blocks.GetBlkCount(); ++i) {
        const BLK b = blocks.GetBlkAt(i);
        if (b.curImage && b.memSize > 0)
            total += b.memSize;
    }
    if (total == 0 || image.size() != total)
        return false;
    const char* from = image.constData();
    for (int i = 0; i < blocks.GetBlkCount(); ++i) {
        const BLK b = blocks.GetBlkAt(i);
        if (!b.curImage || b.memSize <= 0)
            continue;
        std::memcpy(b.curImage, from, size_t(b.memSize));
        from += b.memSize;
    }
    return true;
}

} // namespace

void CSynthMemory::getVoiceParameterData()
{
    if (m_multi && m_multi->VceMem())
        m_multi->VceMem()->CopyTempBuff(0, &m_multi->ByteBuffer());
    if (m_voice)
        m_voice->ByteBuffer() = editBufferImage(*m_voice);
}

void CSynthMemory::resetVoiceParameterData()
{
    // The voice edit buffer as it was, with the states its links give.
    if (m_voice && restoreEditBufferImage(*m_voice, m_voice->ByteBuffer()))
        m_voice->ResetLink();
    if (m_voice)
        m_voice->ByteBuffer().clear();
    if (!m_multi || !m_multi->VceMem())
        return;
    m_multi->VceMem()->CopyToTempBuff(0, &m_multi->ByteBuffer());
    m_multi->ByteBuffer().clear();
    // Reading each part's program number with the re-send flag set sends its voice again.
    for (int part = 0; part < 16; ++part) {
        m_multi->SetResendFlag(true);
        const unsigned char adrs[3] = {0x37, (unsigned char)part, 0x02};
        unsigned char* bytes = nullptr;
        unsigned char size = 0;
        m_multi->GetData(0, adrs, bytes, size);
    }
    m_multi->SetResendFlag(false);
}

void CSynthMemory::deleteVoiceParameterData()
{
    if (m_multi)
        m_multi->ByteBuffer().clear();
    if (m_voice)
        m_voice->ByteBuffer().clear();
}

int CSynthMemory::presetVoicesLoaded() const
{
    return m_voice && m_voice->IsPresetVoiceLoaded() ? 1 : 0;
}

// ---- bulk

bool CSynthMemory::requestMultiBulk(QObject* receiver, int interval)
{
    CBulk* bulk = m_multi ? m_multi->Bulk() : nullptr;
    if (!bulk)
        return false;
    connectReceive(bulk, receiver);
    m_multi->CopyFromEditBuff(0, 0);
    m_multi->ResetSoloMuteMode();
    bulk->MultiReq(interval);
    return true;
}

bool CSynthMemory::requestEditBuffBulk(QObject* receiver, int interval)
{
    // The edit buffer lives in the voice map: its engine is the one that stores it.
    CBulk* bulk = m_voice ? m_voice->Bulk() : nullptr;
    if (!bulk)
        return false;
    connectReceive(bulk, receiver);
    bulk->TovarEditBuffBulkReq(interval);
    return true;
}

bool CSynthMemory::requestUserVoiceBulk(int category, QObject* receiver, int interval)
{
    CBulk* bulk = m_voice ? m_voice->Bulk() : nullptr;
    if (!bulk || category < 0)
        return false;
    connectReceive(bulk, receiver);
    bulk->BulkReq(category, interval);
    return true;
}

bool CSynthMemory::requestPresetVoiceBulk(QObject* receiver, int interval)
{
    CBulk* bulk = m_voice ? m_voice->Bulk() : nullptr;
    if (!bulk)
        return false;
    connectReceive(bulk, receiver);
    bulk->PresetBulkReq(0, interval);
    return true;
}

void CSynthMemory::stopBulkRequest()
{
    if (m_multi && m_multi->Bulk())
        m_multi->Bulk()->StopRequests();
    if (m_voice && m_voice->Bulk())
        m_voice->Bulk()->StopRequests();
}

bool CSynthMemory::sendMultiBulk(QObject* receiver)
{
    CBulk* bulk = m_multi ? m_multi->Bulk() : nullptr;
    if (!bulk)
        return false;
    connectSend(bulk, receiver);
    m_sending = m_multi;
    m_multi->CopyFromEditBuff(0, 0);
    return bulk->BulkOutMulti();
}

bool CSynthMemory::sendUserVoiceBulk(int category, QObject* receiver)
{
    CBulk* bulk = m_voice ? m_voice->Bulk() : nullptr;
    if (!bulk || category < 0)
        return false;
    connectSend(bulk, receiver);
    m_sending = m_voice;
    return bulk->BulkOutCategory(category);
}

bool CSynthMemory::sendMultipleBulkHeader(QObject*)
{
    CBulk* bulk = m_voice ? m_voice->Bulk() : nullptr;
    if (!bulk)
        return false;
    bulk->BulkOutMultipleBulkHeader();
    return true;
}

bool CSynthMemory::sendMultipleBulkFooter(QObject* receiver)
{
    CBulk* bulk = m_voice ? m_voice->Bulk() : nullptr;
    if (!bulk)
        return false;
    connectSend(bulk, receiver);
    bulk->BulkOutMultipleBulkFooter();
    return true;
}

bool CSynthMemory::sendIdentityReqBulk(QObject* receiver)
{
    CBulk* bulk = m_voice ? m_voice->Bulk() : nullptr;
    if (!bulk)
        return false;
    if (receiver)
        QObject::connect(bulk, SIGNAL(identityReplyRecieved()), receiver, SLOT(onRcvIdentityReply()),
                         Qt::ConnectionType(Qt::DirectConnection | Qt::UniqueConnection));
    bulk->IdentityReq();
    return true;
}

bool CSynthMemory::BulkDumpVoice(int category, int voice, QObject* receiver)
{
    CBulk* bulk = m_voice ? m_voice->Bulk() : nullptr;
    if (!bulk || category < 0 || voice < 0)
        return false;
    connectSend(bulk, receiver);
    m_sending = m_voice;
    return bulk->BulkOutLibVce(short(category), short(voice));
}

bool CSynthMemory::BulkDumpImportLibraryVoice(CLibraryFile* library, int category, int voice, QObject* receiver)
{
    CBulk* bulk = m_voice ? m_voice->Bulk() : nullptr;
    if (!bulk || !library || category < 0 || voice < 0)
        return false;
    connectSend(bulk, receiver);
    m_sending = m_voice;
    return bulk->BulkOutLibFileVce(library, short(category), short(voice));
}

bool CSynthMemory::BulkDumpEditBuffer(QObject* receiver, int category)
{
    CBulk* bulk = m_voice ? m_voice->Bulk() : nullptr;
    const int bankType = GetBankType(category);
    if (!bulk || bankType < 0)
        return false;
    connectSend(bulk, receiver);
    m_sending = m_voice;
    return bulk->BulkOutEditBufVce(short(bankType), 0, 0, short(category));
}

bool CSynthMemory::sendEditBufferBulk(QObject* receiver)
{
    if (!m_voice || !m_voice->VceMem())
        return false;
    short bankType = 0, category = 0, voice = 0;
    m_voice->GetEditBufferInfo(bankType, category, voice);
    if (bankType < 0)
        bankType = 0;
    const int count = m_voice->VceMem()->GetVoiceMemCategoryNum();
    for (int c = 0; c < count; ++c)
        if (GetBankType(c) == bankType)
            return BulkDumpEditBuffer(receiver, c);
    // No category of that type: nothing to send.
    return false;
}

bool CSynthMemory::continueBulkSend()
{
    const bool multi = m_multi && m_multi->Bulk() && m_multi->Bulk()->ContinueSend();
    const bool voice = m_voice && m_voice->Bulk() && m_voice->Bulk()->ContinueSend();
    return multi || voice;
}

void CSynthMemory::parseBulkResponse(const void* data, int length, bool addStartByte)
{
    if (!m_multi || !m_voice || !data || length <= 0)
        return;
    QByteArray copy;
    const unsigned char* message = static_cast<const unsigned char*>(data);
    int size = length;
    if (addStartByte) {
        copy.reserve(length + 1);
        copy.append(char(0xF0));
        copy.append(static_cast<const char*>(data), length);
        message = reinterpret_cast<const unsigned char*>(copy.constData());
        size = int(copy.size());
    }
    if (CBulk* bulk = m_multi->Bulk())
        bulk->MidiRecieve(message, size);
    if (CBulk* bulk = m_voice->Bulk())
        bulk->MidiRecieve(message, size);
}

void CSynthMemory::parseRemoteControl(const void* data, int length, bool, unsigned char** changed)
{
    if (changed)
        *changed = nullptr;
    if (!m_multi || !data || length <= 0)
        return;
    const auto* bytes = static_cast<const unsigned char*>(data);
    const unsigned char b0 = bytes[0];
    const unsigned char b1 = length > 1 ? bytes[1] : 0;
    const unsigned char b2 = length > 2 ? bytes[2] : 0;
    unsigned char* address = nullptr;
    m_multi->RemoteCtrl().SetReceiveMsg(b0, b1, b2, true, &address);
    if (changed)
        *changed = address;
}

bool CSynthMemory::connectRemoteNotifier(QObject* receiver, const char* slot)
{
    if (!m_multi || !receiver || !slot)
        return false;
    // A plain signature gets the slot code the toolkit expects.
    QByteArray member(slot);
    if (!member.isEmpty() && member.at(0) != '1' && member.at(0) != '2')
        member.prepend('1');
    return bool(QObject::connect(&m_multi->RemoteCtrl(), SIGNAL(openGuiWindow(int,int,int)), receiver,
                                 member.constData(),
                                 Qt::ConnectionType(Qt::DirectConnection | Qt::UniqueConnection)));
}

// ---- documents and files

struct CSynthMemory::StreamFiles
{
    std::mutex use;
    std::unique_ptr<CLibraryFile> voice;
    std::unique_ptr<CLibraryFile> multi;
};

// The voice map's and the multi map's library files for one stream operation: the
// memory's kept pair, whose templates and voice layouts were read on first use, or a
// pair of its own while another operation holds the kept one (or for a chunked
// container, whose files keep state of their own).
class StreamFilesUse
{
public:
    StreamFilesUse(CSynthMemory& memory, const QString& path)
    {
        CSynthMemory::StreamFiles& kept = keptFiles(memory);
        if (kept.use.try_lock()) {
            m_kept = &kept;
            if (!kept.voice)
                kept.voice = std::make_unique<CLibraryFile>(memory.m_voice, QStringLiteral("saveViaStream"));
            if (!kept.multi)
                kept.multi = std::make_unique<CLibraryFile>(memory.m_multi, QStringLiteral("saveViaStream"));
            if (!kept.voice->IsZUTLFormat() && !kept.multi->IsZUTLFormat()) {
                voice = kept.voice.get();
                multi = kept.multi.get();
                return;
            }
            kept.use.unlock();
            m_kept = nullptr;
        }
        m_ownVoice = std::make_unique<CLibraryFile>(memory.m_voice, path);
        m_ownMulti = std::make_unique<CLibraryFile>(memory.m_multi, path);
        voice = m_ownVoice.get();
        multi = m_ownMulti.get();
    }
    ~StreamFilesUse()
    {
        if (m_kept)
            m_kept->use.unlock();
    }
    StreamFilesUse(const StreamFilesUse&) = delete;
    StreamFilesUse& operator=(const StreamFilesUse&) = delete;

    CLibraryFile* voice = nullptr;
    CLibraryFile* multi = nullptr;

private:
    // Made on first use; two first uses at once make one.
    static CSynthMemory::StreamFiles& keptFiles(CSynthMemory& memory)
    {
        static std::mutex making;
        std::lock_guard<std::mutex> lock(making);
        if (!memory.m_streamFiles)
            memory.m_streamFiles = std::make_unique<CSynthMemory::StreamFiles>();
        return *memory.m_streamFiles;
    }

    CSynthMemory::StreamFiles* m_kept = nullptr;
    std::unique_ptr<CLibraryFile> m_ownVoice;
    std::unique_ptr<CLibraryFile> m_ownMulti;
};

void CSynthMemory::afterDocumentLoad(bool keepSoloMute)
{
    m_multi->CopyToEditBuff(0, 0, false);
    m_multi->ResetLink();
    m_multi->RemoteCtrl().Refresh(15);
    if (!keepSoloMute)
        m_multi->ResetSoloMuteMode();
}

bool CSynthMemory::saveViaStream(QDataStream& stream)
{
    if (!m_multi || !m_voice)
        return false;
    m_multi->CopyFromEditBuff(0, 0);
    StreamFilesUse files(*this, QStringLiteral("saveViaStream"));
    if (!files.voice->LibrarySave(&stream))
        return false;
    return files.multi->LibrarySave(&stream) && stream.status() == QDataStream::Ok;
}

namespace {

// Every stored voice of a map, category by category, handed to fn(bytes of the voice).
template <typename Fn>
void eachStoredVoice(CPrmCtrl* map, Fn fn)
{
    CVceMem* voices = map->VceMem();
    if (!voices)
        return;
    for (int c = 0; c < voices->GetVoiceMemCategoryNum(); ++c)
        voices->ForEachStoredVoice(c, fn);
}

constexpr int kStatusParts = 16;

} // namespace

CSynthMemory::Snapshot CSynthMemory::takeSnapshot()
{
    Snapshot snapshot;
    takeSnapshot(snapshot);
    return snapshot;
}

void CSynthMemory::takeSnapshot(Snapshot& snapshot)
{
    // The voices' bytes are all written below: their storage keeps its old bytes until
    // then rather than being cleared first.
    snapshot.sizes.clear();
    snapshot.partStatus.clear();
    if (!m_multi || !m_voice) {
        snapshot.voices.clear();
        return;
    }
    m_multi->CopyFromEditBuff(0, 0);
    size_t total = 0;
    for (CPrmCtrl* map : {m_voice, m_multi})
        eachStoredVoice(map, [&](const unsigned char*, int size) {
            snapshot.sizes.push_back(size);
            total += size_t(size);
        });
    snapshot.voices.resize(total);
    unsigned char* at = snapshot.voices.data();
    for (CPrmCtrl* map : {m_voice, m_multi})
        eachStoredVoice(map, [&at](const unsigned char* voice, int size) {
            std::memcpy(at, voice, size_t(size));
            at += size;
        });
    for (int part = 0; part < kStatusParts; ++part)
        snapshot.partStatus.push_back(char((m_multi->IsMuteStatus(part) ? 1 : 0) | (m_multi->IsSoloStatus(part) ? 2 : 0)));
}

bool CSynthMemory::FitsSnapshot(const Snapshot& snapshot) const
{
    if (!m_multi || !m_voice || snapshot.partStatus.size() != size_t(kStatusParts))
        return false;
    // Only the maps it was taken from: every voice where it was, of its size.
    size_t count = 0;
    size_t total = 0;
    bool fits = true;
    for (CPrmCtrl* map : {m_voice, m_multi})
        eachStoredVoice(map, [&](const unsigned char*, int size) {
            fits = fits && count < snapshot.sizes.size() && snapshot.sizes[count] == size;
            ++count;
            total += size_t(size);
        });
    return fits && count == snapshot.sizes.size() && total == snapshot.voices.size();
}

bool CSynthMemory::putSnapshot(const Snapshot& snapshot)
{
    if (!FitsSnapshot(snapshot))
        return false;
    const unsigned char* from = snapshot.voices.data();
    for (CPrmCtrl* map : {m_voice, m_multi})
        eachStoredVoice(map, [&from](unsigned char* voice, int size) {
            std::memcpy(voice, from, size_t(size));
            from += size;
        });
    for (int part = 0; part < kStatusParts; ++part) {
        m_multi->SetMuteStatus(part, snapshot.partStatus[size_t(part)] & 1, false);
        m_multi->SetSoloStatus(part, snapshot.partStatus[size_t(part)] & 2, false);
    }
    afterDocumentLoad(true);
    return true;
}

bool CSynthMemory::holdsSnapshot(const Snapshot& snapshot)
{
    if (!FitsSnapshot(snapshot))
        return false;
    m_multi->CopyFromEditBuff(0, 0);
    const unsigned char* from = snapshot.voices.data();
    bool same = true;
    for (CPrmCtrl* map : {m_voice, m_multi})
        eachStoredVoice(map, [&](const unsigned char* voice, int size) {
            same = same && std::memcmp(voice, from, size_t(size)) == 0;
            from += size;
        });
    for (int part = 0; same && part < kStatusParts; ++part)
        same = snapshot.partStatus[size_t(part)]
               == char((m_multi->IsMuteStatus(part) ? 1 : 0) | (m_multi->IsSoloStatus(part) ? 2 : 0));
    return same;
}

bool CSynthMemory::loadViaStream(QDataStream& stream)
{
    if (!m_multi || !m_voice)
        return false;
    // Both images are read and checked before either is applied, so a stream that
    // fails part way leaves the banks and the multi as they were.
    // The images are read into storage each thread keeps from load to load.
    thread_local QByteArray voiceImage;
    thread_local QByteArray multiImage;
    bool ok = false;
    bool muteSolo = false;
    {
        StreamFilesUse files(*this, QStringLiteral("saveViaStream"));
        ok = files.voice->LibraryLoad(&stream, &voiceImage) && stream.status() == QDataStream::Ok;
        ok = ok && files.multi->LibraryLoad(&stream, &multiImage) && stream.status() == QDataStream::Ok;
        if (ok) {
            ok = files.voice->LibraryLoad(reinterpret_cast<const unsigned char*>(voiceImage.constData()),
                                          voiceImage.size())
                 && files.multi->LibraryLoad(reinterpret_cast<const unsigned char*>(multiImage.constData()),
                                             multiImage.size());
        }
        muteSolo = ok && files.multi->IsMuteSoloApplied();
    }
    afterDocumentLoad(muteSolo);
    return ok;
}

bool CSynthMemory::loadIStream(const StreamRead& read)
{
    if (!m_multi || !m_voice || !read)
        return false;
    bool ok = false;
    {
        StreamFilesUse files(*this, QStringLiteral("loadIStream"));
        const int voiceSize = files.voice->GetFileSize();
        const int multiSize = files.multi->GetFileSize();
        ok = voiceSize > 0 && multiSize > 0;
        // Read into storage each thread keeps from load to load.
        thread_local QByteArray voiceImage;
        thread_local QByteArray multiImage;
        if (ok) {
            voiceImage.resize(voiceSize);
            multiImage.resize(multiSize);
            ok = read(voiceImage.data(), uint32_t(voiceSize)) == 0
                 && read(multiImage.data(), uint32_t(multiSize)) == 0;
        }
        if (ok)
            ok = files.voice->LibraryLoad(reinterpret_cast<const unsigned char*>(voiceImage.constData()), voiceSize)
                 && files.multi->LibraryLoad(reinterpret_cast<const unsigned char*>(multiImage.constData()),
                                             multiSize);
    }
    afterDocumentLoad(false);
    return ok;
}

bool CSynthMemory::loadIStream(IStream* stream)
{
    if (!stream)
        return false;
    return loadIStream([stream](void* data, uint32_t n) -> int32_t {
        uint32_t done = 0;
        const int32_t r = stream->Read(data, n, &done);
        return r ? r : (done == n ? 0 : int32_t(0x80000008));
    });
}

bool CSynthMemory::saveFile(const QString& path)
{
    if (!m_multi)
        return false;
    m_multi->CopyFromEditBuff(0, 0);
    CLibraryFile file(m_multi, path);
    return file.LibrarySaveAs();
}

bool CSynthMemory::loadFile(const QString& path)
{
    if (!m_multi)
        return false;
    CLibraryFile file(m_multi, path);
    if (file.OpenLibraryFile(path)) {
        m_multi->CopyToEditBuff(0, 0, false);
        m_multi->ResetLink();
        m_multi->RemoteCtrl().Refresh(15);
        if (!file.IsMuteSoloApplied())
            m_multi->ResetSoloMuteMode();
        m_multi->ClearIrrelevantStatus();
        return true;
    }
    if (file.IsLibraryLoad()) {
        m_multi->RemoteCtrl().Refresh(15);
        return true;
    }
    return false;
}

CLibraryFile* CSynthMemory::GetVoiceImportLibrary(const QString& path)
{
    if (!m_voice)
        return nullptr;
    auto* library = new CLibraryFile(m_voice, path);
    if (!library->OpenLibraryFile2()) {
        delete library;
        return nullptr;
    }
    return library;
}

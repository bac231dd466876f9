#include "PrmCtrl.h"
#include "Mem.h"
#include "ModelLogging.h"
#include "TemplateList.h"
#include "VceMem.h"
#include "console/bulk/Bulk.h"
#include "console/bulk/MidiCtrl.h"
#include "console/libfile/LibraryFile.h"
#include "console/remote/RcParamInfo.h"
#include "memapi/IMemAPI.h"
#include "memapi/MemAPITask_VANTREL_KXE.h"
#include "utilities/ModuleLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <cstring>

namespace {
// A parameter's size is one byte, so this holds any of them.
constexpr int kPrmBytes = 256;
const unsigned char kInsertSwitches[3] = {0x36, 0x00, 0x60};
constexpr unsigned char kPartElement = 0x37;
constexpr unsigned char kPartSwitchBase = 0x1F;
const char kDataFolder[] = "/VEXMOOR/TOVAR-VANTREL";
const char kPresetFile[] = "TOVAR-VANTPRESETS";
} // namespace

QString GetModulePath()
{
    const QString resources = NS_Utilities::moduleLocation(nullptr);
    if (resources.isEmpty())
        return QString();
    return QFileInfo(resources).absolutePath();
}

void StringTrimRight(QString& text)
{
    int n = int(text.size());
    while (n > 0 && text.at(n - 1).isSpace())
        --n;
    text.truncate(n);
}

// ------------------------------------------------------------------ construction

CPrmCtrl::CPrmCtrl(IMemAPI* api)
    : m_bulk(std::make_unique<CBulk>())
    , m_vceMem(std::make_unique<CVceMem>())
    , m_api(api)
{
    Init();
}

// Members go in reverse order of declaration, so the engines that point into the
// editor block and the formats are gone before them.
CPrmCtrl::~CPrmCtrl() = default;

void CPrmCtrl::Init()
{
    m_mode = 0;
    m_templatePath.clear();
    m_bulkOutRunning = false;
    m_resend = false;
    m_boardSelecting = false;
    m_remotePlugIn = false;
    m_remotePorts = false;
}

bool CPrmCtrl::Fail(const QString& text)
{
    m_error = text;
    return false;
}

QString CPrmCtrl::DataFolder() const
{
    return m_modulePath + QLatin1String(kDataFolder);
}

bool CPrmCtrl::CreatePrmCtrl(int mode)
{
    m_modulePath = GetModulePath();
    const QString folder = mode == 1
        ? m_modulePath + QStringLiteral("/Vexmoor/TOVAR-VANTREL/TOVAR-VANTREL(Voice)/")
        : m_modulePath + QStringLiteral("/VEXMOOR/TOVAR-VANTREL/");
    const QString base = mode == 1 ? QStringLiteral("VETOVAR-VANTREL") : QStringLiteral("METOVAR-VANTREL");
    return CreatePrmCtrl(mode, folder + base + QStringLiteral(".tpm"));
}

bool CPrmCtrl::CreatePrmCtrl(int mode, const QString& templatePath)
{
    Init();
    m_mode = mode;
    m_plugInBoards = mode != 1;
    const QFileInfo info(templatePath);
    m_templatePath = templatePath;
    m_baseName = info.completeBaseName();
    m_templateFolder = info.path() + QLatin1Char('/');
    if (m_modulePath.isEmpty())
        m_modulePath = GetModulePath();
    return MakeList();
}

void CPrmCtrl::ClearParts()
{
    m_hdr.DeleteList();
    m_midiFormat.DeleteList();
    m_editorBlk.DeleteList();
    m_blkAdrs.DeleteList();
    m_vceMem = std::make_unique<CVceMem>();
    m_bulk = std::make_unique<CBulk>();
    m_editorBlk.SetPlugInBoards(nullptr);
    m_boards.DeleteList();
    m_dispStyle.DeleteList();
    m_asgnStyle.DeleteList();
    m_copyBlk.DeleteList();
    m_copyPrm.DeleteList();
    m_specialPrm.DeleteList();
}

bool CPrmCtrl::MakeList()
{
    m_error.clear();
    // A second build starts from empty parts, so a failure leaves nothing stale behind.
    ClearParts();
    if (!m_hdr.MakeList(m_templatePath))
        return Fail(m_hdr.ErrorText());
    if (!m_midiFormat.MakeList(m_templatePath))
        return Fail(m_midiFormat.ErrorText());
    m_editorBlk.InitSet(this, &m_midiFormat);
    if (!m_editorBlk.MakeList(m_templatePath))
        return Fail(m_editorBlk.ErrorText());
    m_blkAdrs.InitSet(&m_midiFormat);
    if (!m_blkAdrs.MakeList(m_templatePath))
        return Fail(m_blkAdrs.ErrorText());
    m_vceMem->InitSet(&m_editorBlk, &m_midiFormat, this);
    if (!m_vceMem->MakeList(m_templatePath))
        return Fail(m_vceMem->ErrorText());
    m_bulk->InitSet(this, &m_editorBlk, m_vceMem.get(), &m_midiFormat);
    if (!m_bulk->MakeList(m_templatePath))
        return Fail(m_bulk->ErrorText());
    if (m_plugInBoards) {
        m_boards.MakeList(m_templateFolder, &m_editorBlk);
        m_editorBlk.SetPlugInBoards(&m_boards);
        if (!m_dispStyle.MakeList(m_templatePath, &m_boards))
            return Fail(m_dispStyle.ErrorText());
        if (!m_asgnStyle.MakeList(m_templatePath, &m_boards))
            return Fail(m_asgnStyle.ErrorText());
    }
    m_copyBlk.InitSet(&m_midiFormat, this);
    if (!m_copyBlk.MakeList(m_templatePath))
        return Fail(TemplateFaultText(m_templatePath, QStringLiteral("PrmCopyInfo0"), 0,
                                      QStringLiteral("block copy rules not readable")));
    m_copyPrm.InitSet(&m_midiFormat, this);
    if (!m_copyPrm.MakeList(m_templatePath))
        return Fail(TemplateFaultText(m_templatePath, QStringLiteral("PrmCopyInfo"), 0,
                                      QStringLiteral("copy rules not readable")));
    m_specialPrm.InitSet(&m_midiFormat, this);
    if (!m_specialPrm.MakeList(m_templatePath))
        return Fail(TemplateFaultText(m_templatePath, QStringLiteral("param_special_func"), 0,
                                      QStringLiteral("special parameters not readable")));
    // The library layout indexes images this map writes and reads: a bad offset or size
    // is found here, not later as an empty name or a save without its directory.
    QString libraryFault;
    if (!CLibraryFile::CheckTemplate(this, &libraryFault))
        return Fail(libraryFault);
    if (m_mode == 0)
        m_remote.InitSet(this, 1, DataFolder());
    else
        m_presetVoiceLoaded = LoadPresetVoice();
    return true;
}

QString CPrmCtrl::PresetCacheFile() const
{
    const QString overridden = qEnvironmentVariable("VANTREL_PRESET_CACHE");
    if (!overridden.isEmpty())
        return overridden;
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        return QString();
    return base + QLatin1String(kDataFolder) + QLatin1Char('/') + QLatin1String(kPresetFile);
}

QString CPrmCtrl::InstalledPresetCacheFile() const
{
    if (!qEnvironmentVariable("VANTREL_PRESET_CACHE").isEmpty())
        return QString();
    return DataFolder() + QLatin1Char('/') + QLatin1String(kPresetFile);
}

bool CPrmCtrl::LoadPresetVoice()
{
    // The install folder serves every user of the machine: its copy stands in only
    // until the user has received the preset voices once.
    const QString user = PresetCacheFile();
    if (!user.isEmpty() && QFileInfo::exists(user))
        return LoadPresetVoice(user);
    const QString installed = InstalledPresetCacheFile();
    return !installed.isEmpty() && LoadPresetVoice(installed);
}

bool CPrmCtrl::LoadPresetVoice(const QString& file)
{
    return m_vceMem && m_vceMem->LoadPresetVoiceData(file);
}

void CPrmCtrl::StorePresetVoice()
{
    const QString file = PresetCacheFile();
    if (!file.isEmpty())
        QDir().mkpath(QFileInfo(file).path());
    if (file.isEmpty() || !StorePresetVoice(file))
        qCWarning(lcModel, "preset voice cache not written: %s", qPrintable(file));
    m_presetVoiceLoaded = true;
}

bool CPrmCtrl::StorePresetVoice(const QString& file)
{
    const bool written = m_vceMem && m_vceMem->StorePresetVoiceData(file);
    m_presetVoiceLoaded = true;
    return written;
}

// ------------------------------------------------------------------ ports

TMIDIProxyInOut* CPrmCtrl::MIDI(int port) const
{
    if (m_midiSuppressed || port < 0 || port > 1)
        return nullptr;
    return m_ports[port];
}

void CPrmCtrl::SetMIDI(TMIDIProxyInOut* io, int port)
{
    if (port < 0 || port > 1)
        return;
    m_ports[port] = io;
    // A newly attached surface is brought up to date at once.
    if (port == 1 && io && m_mode == 0)
        m_remote.Refresh(15);
}

int32_t CPrmCtrl::ChangeParam(_RCPARAM_INFO* info)
{
    if (m_mode == 0 && info)
        m_remote.ChangeParam(info);
    return 0;
}

// ------------------------------------------------------------------ parameters

bool CPrmCtrl::GetPrmInfo(short category, const unsigned char* adrs, PRMINFO& info) const
{
    return m_editorBlk.GetPrmInfo(category, adrs, info);
}

int CPrmCtrl::GetCnvData(int n, const unsigned char* bytes)
{
    unsigned v = 0;
    for (int i = 0; bytes && i < n; ++i)
        v = (v << 8) | bytes[i];
    return int(v);
}

void CPrmCtrl::GetData(int value, unsigned char* bytes, int n)
{
    if (bytes && n > 0)
        CAsgnStyle::IntToByte(unsigned(value), bytes, (unsigned char)n);
}

bool CPrmCtrl::SetData(short category, const unsigned char* adrs, const unsigned char* data, bool& linked,
                       LINKFLAG link, MIDIFLAG midi, bool fromSurface, unsigned char dirty)
{
    const bool stored = m_editorBlk.SetData(category, adrs, data, linked, link, midi, fromSurface, dirty);
    // The rules compare whole addresses of the written category (3 bytes for the edit memory).
    const int len = m_midiFormat.GetAdrLen(category);
    if (adrs && len > 0)
        m_specialPrm.CheckSpParam(category, adrs, len);
    return stored;
}

bool CPrmCtrl::GetData(short category, const unsigned char* adrs, unsigned char*& bytes, unsigned char& size)
{
    if (!m_editorBlk.GetData(category, adrs, bytes, size))
        return false;
    if (m_resend)
        RunTrigger(category, adrs, 3, size, bytes, false, true);
    return true;
}

bool CPrmCtrl::MidiToData(short category, const unsigned char* adrs, const unsigned char* in, unsigned char* out) const
{
    PRMINFO info;
    if (!GetPrmInfo(category, adrs, info))
        return false;
    return m_master->m_asgnStyle.MidiToData(short(info.assignStyle), in, out, info.size);
}

bool CPrmCtrl::DataToMidi(short category, const unsigned char* adrs, const unsigned char* in, unsigned char* out) const
{
    PRMINFO info;
    if (!GetPrmInfo(category, adrs, info))
        return false;
    return m_master->m_asgnStyle.DataToMidi(short(info.assignStyle), in, out, info.size);
}

bool CPrmCtrl::MidiToDataMin(short category, const unsigned char* adrs, unsigned char* out) const
{
    PRMINFO info;
    if (!GetPrmInfo(category, adrs, info) || !info.minimum)
        return false;
    return m_master->m_asgnStyle.MidiToDataMin(short(info.assignStyle), info.minimum, out, info.size);
}

bool CPrmCtrl::MidiToDataMax(short category, const unsigned char* adrs, unsigned char* out) const
{
    PRMINFO info;
    if (!GetPrmInfo(category, adrs, info) || !info.maximum)
        return false;
    return m_master->m_asgnStyle.MidiToDataMax(short(info.assignStyle), info.maximum, out, info.size);
}

bool CPrmCtrl::GetValToStr(short category, const unsigned char* adrs, const unsigned char* data, QString& out) const
{
    PRMINFO info;
    if (!data || !GetPrmInfo(category, adrs, info) || info.size == 0)
        return false;
    if (m_dispStyle.GetDispStyle(short(info.dispStyle), data, info.size, out, &m_editorBlk))
        return true;
    return m_master != this
        && m_master->m_dispStyle.GetDispStyle(short(info.dispStyle), data, info.size, out, &m_editorBlk);
}

bool CPrmCtrl::GetValToStr(short category, const unsigned char* adrs, const unsigned char* data, char* out,
                           int outSize) const
{
    QString text;
    if (!out || outSize <= 0 || !GetValToStr(category, adrs, data, text))
        return false;
    const QByteArray latin = text.toLatin1();
    CMem::SetChar(latin.constData(), out, outSize);
    return true;
}

QString CPrmCtrl::GetStrTblKeyData(unsigned table, unsigned value) const
{
    const CDispStyle& styles = m_master->m_dispStyle;
    const DSOBJ* t = styles.Table(int(table));
    if (!t)
        return QString();
    unsigned char b[4];
    CAsgnStyle::IntToByte(value, b, 4);
    const int n = t->keyLength ? t->keyLength : 1;
    const int m = n > 4 ? 4 : n;
    // The key as CMem::GetByteToStr spells it, in place: voice lists ask for every name.
    static const char digits[] = "0123456789ABCDEF";
    QChar key[8];
    for (int i = 0; i < m; ++i) {
        const unsigned char byte = b[4 - m + i];
        key[2 * i] = QLatin1Char(digits[byte >> 4]);
        key[2 * i + 1] = QLatin1Char(digits[byte & 0x0F]);
    }
    return styles.TableText(int(table), QString::fromRawData(key, 2 * m));
}

// ------------------------------------------------------------------ block queries

int CPrmCtrl::GetBlkParamCount(int block) const
{
    return block >= 0 && block < m_editorBlk.GetBlkCount() ? m_editorBlk.GetBlkAt(block).paramCount : 0;
}

unsigned char CPrmCtrl::GetBlkDirtyFlag(int block) const
{
    const BLK b = m_editorBlk.GetBlkAt(block);
    return b.blockDirty ? *b.blockDirty : 0;
}

unsigned char CPrmCtrl::GetParamDirtyFlag(int block, int index) const
{
    const BLK b = m_editorBlk.GetBlkAt(block);
    return b.dirty && index >= 0 && index < b.memSize ? b.dirty[index] : 0;
}

int CPrmCtrl::GetBlkAndParamDirtyFlag(int block, unsigned char& blockFlag, unsigned char*& flags) const
{
    if (block < 0 || block >= m_editorBlk.GetBlkCount())
        return 0;
    const BLK b = m_editorBlk.GetBlkAt(block);
    blockFlag = b.blockDirty ? *b.blockDirty : 0;
    flags = b.dirty;
    return b.paramCount;
}

bool CPrmCtrl::SetParamDirtyFlag(short category, const unsigned char* adrs, unsigned char flag)
{
    return m_editorBlk.SetParamDirtyFlag(category, adrs, flag);
}

// ------------------------------------------------------------------ library list columns

QString CPrmCtrl::GetLibItemName(int header, short category, int column, int index) const
{
    if (column < 0 || column >= m_hdr.GetHdrNum(header) || !m_vceMem)
        return QString();
    const LIBHDRDATA c = m_hdr.GetHdrData(header, column);
    if (c.nameFlag) {
        QString name = m_vceMem->GetVoiceName(category, index);
        if (m_editorBlk.GetVoiceNameTerminator() == 32)
            StringTrimRight(name);
        return name;
    }
    if (c.adrsLen != 0) {
        unsigned char* bytes = nullptr;
        int count = 0, size = 0;
        if (!m_vceMem->GetData(category, index, c.address, bytes, count, size) || !bytes || count <= 0
            || count > kPrmBytes)
            return QString();
        unsigned char data[kPrmBytes] = {};
        QString text;
        if (MidiToData(0, c.address, bytes, data)) {
            if (GetValToStr(0, c.address, data, text))
                return text;
        } else {
            std::memcpy(data, bytes, size_t(count));
        }
        int value = GetCnvData(count, data);
        if (m_vceMem->IsMemoryAddress(category, &c))
            value -= m_copyBlk.GetMemoryOffsetSize(category);
        return QString::number(value);
    }
    const int width = c.numberWidth;
    if (width <= 0 || width > 4)
        return QString();
    unsigned char b[4] = {};
    GetData(index, b, width);
    QString text;
    if (m_master->m_dispStyle.GetDispStyle(short(c.dispStyle), b, (unsigned char)width, text, &m_editorBlk))
        return text;
    return QString::number(index);
}

bool CPrmCtrl::GetLibItemData(int header, short category, int column, int index, QByteArray& out) const
{
    if (column < 0 || column >= m_hdr.GetHdrNum(header) || !m_vceMem)
        return false;
    const LIBHDRDATA c = m_hdr.GetHdrData(header, column);
    if (c.nameFlag)
        return false;
    if (c.adrsLen != 0) {
        unsigned char* bytes = nullptr;
        int count = 0, size = 0;
        if (!m_vceMem->GetData(category, index, c.address, bytes, count, size) || !bytes || count <= 0
            || count > kPrmBytes)
            return false;
        unsigned char data[kPrmBytes] = {};
        if (!MidiToData(0, c.address, bytes, data))
            return false;
        out = QByteArray(reinterpret_cast<const char*>(data), count);
        return true;
    }
    const int width = c.numberWidth;
    if (width <= 0 || width > 4)
        return false;
    unsigned char b[4] = {};
    GetData(index, b, width);
    out = QByteArray(reinterpret_cast<const char*>(b), width);
    return true;
}

// ------------------------------------------------------------------ voice memory forwards

int CPrmCtrl::GetLibCateNum() const
{
    return m_vceMem ? m_vceMem->GetVoiceMemCategoryNum() : 0;
}

VCEMEM_CATEGORYINFO CPrmCtrl::GetLibCateInfo(int category) const
{
    return m_vceMem ? m_vceMem->GetVoiceMemCategoryInfo(category) : VCEMEM_CATEGORYINFO();
}

std::vector<VCEMEM_CATEGORYINFO> CPrmCtrl::GetLibCateInfoAll() const
{
    std::vector<VCEMEM_CATEGORYINFO> all;
    for (int c = 0; c < GetLibCateNum(); ++c)
        all.push_back(GetLibCateInfo(c));
    return all;
}

const BULKOUTITEM* CPrmCtrl::GetBulkOutEditBuffItemInfo(short item) const
{
    return m_bulk ? m_bulk->GetBulkOutEditBuffItemInfo(item) : nullptr;
}

bool CPrmCtrl::CopyToEditBuff(short category, short voice, bool all)
{
    return m_vceMem && m_vceMem->CopyToEditBuff(category, voice, all);
}

bool CPrmCtrl::CopyFromEditBuff(short category, short voice)
{
    return m_vceMem && m_vceMem->CopyFromEditBuff(category, voice);
}

bool CPrmCtrl::MoveLibItem(short category, short from, short to, short count)
{
    return m_vceMem && m_vceMem->MoveVoiceMem(category, from, to, count);
}

bool CPrmCtrl::CopyVoiceMem(short srcCategory, short srcVoice, short dstCategory, short dstVoice)
{
    return m_vceMem && m_vceMem->CopyVoiceMem(srcCategory, srcVoice, dstCategory, dstVoice);
}

unsigned char* CPrmCtrl::GetVoiceMem(short category, short voice, int* size)
{
    return m_vceMem ? m_vceMem->GetVoiceMem(category, voice, size) : nullptr;
}

const unsigned char* CPrmCtrl::GetInitVoiceData(short category)
{
    return m_vceMem ? m_vceMem->GetInitVoiceData(category) : nullptr;
}

bool CPrmCtrl::SetVoiceName(short category, short voice, const QString& name)
{
    return m_vceMem && m_vceMem->SetVoiceName(category, voice, name);
}

bool CPrmCtrl::InitVoice(short category, short voice)
{
    if (m_vceMem)
        m_vceMem->InitVoiceMem(category, voice);
    return true;
}

// ------------------------------------------------------------------ plug-in boards

void CPrmCtrl::SelectPlugInBoard(int board, bool entering)
{
    // Boards are read by the multi map only; the voice map's callers reach them there.
    if (!m_plugInBoards && m_master != this) {
        m_master->SelectPlugInBoard(board, entering);
        return;
    }
    const bool wasSelecting = m_boardSelecting;
    m_boardSelecting = entering;
    if (!entering && wasSelecting && board != -1) {
        if (auto* blocks = m_boards.GetPlugInBoardBlk(board)) {
            for (auto& b : *blocks) {
                if (!b)
                    continue;
                for (int i = 0; i < m_editorBlk.GetBlkCount(); ++i) {
                    const BLK own = m_editorBlk.GetBlkAt(i);
                    if (own.name != b->view.name || !own.curImage)
                        continue;
                    const size_t n = std::min(size_t(std::max(own.memSize, 0)), b->cur.size());
                    std::memcpy(b->cur.data(), own.curImage, n);
                    break;
                }
            }
        }
    }
    m_boards.SetSelectedPlugInBoardNo(board);
}

void CPrmCtrl::InitPlugInBoardData()
{
    if (!m_plugInBoards && m_master != this) {
        m_master->InitPlugInBoardData();
        return;
    }
    m_boards.InitPlugInBoardData();
}

// ------------------------------------------------------------------ edit-buffer origin

int CPrmCtrl::GetEditBufferInfo(short& bankType, short& category, short& voice) const
{
    bankType = m_editBankType;
    if (m_editCategory != short(0xFFFF)) {
        category = m_editCategory;
        voice = m_editVoice;
        return 0;
    }
    if (m_editBankType != -1) {
        const int c = m_vceMem ? m_vceMem->FindCategoryByTemplate(m_editBankType) : -1;
        if (c >= 0) {
            category = short(c);
            voice = 0;
            return 1;
        }
    }
    bankType = category = voice = 0;
    return -1;
}

// ------------------------------------------------------------------ changed-address queue

void CPrmCtrl::SetChangeWaker(std::function<void()> waker)
{
    QMutexLocker lock(&m_changedMutex);
    m_waker = std::move(waker);
}

int CPrmCtrl::PendingChangeCount() const
{
    QMutexLocker lock(&m_changedMutex);
    return m_pending;
}

void CPrmCtrl::EditorAddressChanged(const EditorAddressChange& change)
{
    const unsigned key = (unsigned(change.element) << 20) | ((unsigned(change.parameter) & 0xFFF) << 8)
        | (unsigned(change.channel) & 0xFF);
    std::function<void()> wake;
    {
        QMutexLocker lock(&m_changedMutex);
        auto it = m_changed.find(key);
        if (it != m_changed.end() && it.value())
            return;  // already pending: nobody is woken twice
        m_changed[key] = true;
        ++m_pending;
        wake = m_waker;
    }
    // The worker is fetched and woken after the queue lock is released: the memory-API
    // lock comes before the queue's in the lock order, never after it.
    if (wake) {
        wake();
        return;
    }
    if (m_api) {
        if (MemAPITask_VANTREL_KXE* task = m_api->MAPI_memApiTaskObject(nullptr))
            task->alert();
    }
}

bool CPrmCtrl::GetEditorAddressChange(int& element, int& channel, int& parameter)
{
    QMutexLocker lock(&m_changedMutex);
    if (m_pending <= 0 || m_changed.isEmpty())
        return false;
    // Round robin: continue after the key taken last, wrapping to the first.
    auto it = m_taken ? m_changed.upperBound(m_lastTaken) : m_changed.begin();
    for (int visited = 0; visited < m_changed.size(); ++visited) {
        if (it == m_changed.end())
            it = m_changed.begin();
        if (it.value()) {
            it.value() = false;
            --m_pending;
            const unsigned key = it.key();
            element = int(key >> 20);
            parameter = int((key >> 8) & 0xFFF);
            channel = int(key & 0xFF);
            m_lastTaken = key;
            m_taken = true;
            return true;
        }
        ++it;
    }
    return false;
}

// ------------------------------------------------------------------ voice-select trigger

bool CPrmCtrl::CheckTriggerAddres(short category, const unsigned char* adrs, int adrsLen, int size,
                                  const unsigned char* value, bool flag)
{
    return RunTrigger(category, adrs, adrsLen, size, value, flag, false);
}

bool CPrmCtrl::RunTrigger(short category, const unsigned char* adrs, int adrsLen, int size,
                          const unsigned char* value, bool flag, bool resend)
{
    // Cleared on every run, finished or not: a flag left set would re-send the voice of
    // every later trigger read.
    m_resend = false;
    if (!adrs || !value || size <= 0)
        return false;
    const int part = m_copyPrm.CheckTriggerAddres(category, adrs, adrsLen);
    if (part < 0)
        return false;
    const short cat = short(m_copyPrm.GetRepeatCategory());
    const unsigned char* msbAdrs = m_copyPrm.GetBankMSB(part);
    const unsigned char* lsbAdrs = m_copyPrm.GetBankLSB(part);
    unsigned char* msbBytes = nullptr;
    unsigned char* lsbBytes = nullptr;
    unsigned char msbSize = 0, lsbSize = 0;
    if (!msbAdrs || !lsbAdrs || !m_editorBlk.GetData(cat, msbAdrs, msbBytes, msbSize)
        || !m_editorBlk.GetData(cat, lsbAdrs, lsbBytes, lsbSize))
        return false;
    // Joined over the trigger's size, never past a parameter's own bytes.
    const auto msb = (unsigned char)GetCnvData(std::min<int>(size, msbSize), msbBytes);
    const auto lsb = (unsigned char)GetCnvData(std::min<int>(size, lsbSize), lsbBytes);
    const int program = GetCnvData(size, value);
    const int voiceCategory = m_copyPrm.GetCategoryNo(msb, lsb);
    const int set = m_copyPrm.GetCopyParamInfoIndex(msb, lsb);
    if (voiceCategory < 0 || set < 0)
        return false;
    std::vector<PRM_ADDRESS> sources, destinations;
    const int len = m_midiFormat.GetAdrLen(cat);
    if (!m_copyPrm.GetPrmCopyAddress(set, part, len, &sources, &destinations))
        return false;
    for (size_t i = 0; i < sources.size() && i < destinations.size(); ++i)
        ParamCopy(sources[i], destinations[i], voiceCategory, program, flag, resend);
    return true;
}

void CPrmCtrl::ParamCopy(const PRM_ADDRESS& src, const PRM_ADDRESS& dst, int voiceCategory, int voice, bool flag,
                         bool resend)
{
    if (!m_voiceMap || dst.address.size() < 3)
        return;
    const auto* to = reinterpret_cast<const unsigned char*>(dst.address.constData());
    QueueChange(to[0], to[1], to[2]);
    if (resend) {
        unsigned char* bytes = nullptr;
        unsigned char size = 0;
        BLK blk;
        if (!m_editorBlk.GetData(short(dst.category), to, bytes, size) || !m_editorBlk.GetBlk(short(dst.category), to, blk))
            return;
        CMidiCtrl ctrl(this, 0);
        ctrl.ParamChange(blk.midiFormat, to, bytes, short(size), -1);
        return;
    }
    CVceMem* voices = m_voiceMap->VceMem();
    unsigned char* bytes = nullptr;
    int count = 0, spacing = 0;
    PRMINFO info;
    if (!voices || !GetPrmInfo(short(dst.category), to, info)
        || !voices->GetData(voiceCategory, voice, reinterpret_cast<const unsigned char*>(src.address.constData()),
                            bytes, count, spacing)
        || !bytes)
        return;
    // The store copies the destination's size: never more than the stored voice holds.
    if (count < info.size) {
        qCWarning(lcModel) << "voice copy: source parameter shorter than its destination";
        return;
    }
    bool linked = false;
    SetData(short(dst.category), to, bytes, linked, LINK_OFF, MIDI_OFF, false, flag ? 1 : 0);
}

bool CPrmCtrl::CopyParamSet()
{
    const short cat = short(m_copyPrm.GetRepeatCategory());
    const int len = m_midiFormat.GetAdrLen(cat);
    bool reset = false;
    for (int part = 0; part < m_copyPrm.GetPartCount(); ++part) {
        const unsigned char* trigger = m_copyPrm.GetTrigger(part);
        unsigned char* program = nullptr;
        unsigned char programSize = 0;
        if (!trigger || !m_editorBlk.GetData(cat, trigger, program, programSize))
            return false;
        const unsigned char* msbAdrs = m_copyPrm.GetBankMSB(part);
        const unsigned char* lsbAdrs = m_copyPrm.GetBankLSB(part);
        unsigned char *msbBytes = nullptr, *lsbBytes = nullptr;
        unsigned char msbSize = 0, lsbSize = 0;
        if (!msbAdrs || !lsbAdrs || !m_editorBlk.GetData(cat, msbAdrs, msbBytes, msbSize)
            || !m_editorBlk.GetData(cat, lsbAdrs, lsbBytes, lsbSize))
            continue;
        const auto msb = (unsigned char)GetCnvData(std::min<int>(programSize, msbSize), msbBytes);
        const auto lsb = (unsigned char)GetCnvData(std::min<int>(programSize, lsbSize), lsbBytes);
        if (m_copyPrm.GetCategoryNo(msb, lsb) >= 0 || m_copyPrm.GetBankCount() == 0)
            continue;
        const BANK_INFO first = m_copyPrm.GetBankInfo(0);
        GetData(first.msb, msbBytes, msbSize);
        GetData(first.lsb, lsbBytes, lsbSize);
        GetData(0, program, programSize);
        BLK blk;
        CMidiCtrl ctrl(this, 0);
        if (m_editorBlk.GetBlk(cat, msbAdrs, blk))
            ctrl.ParamChange(blk.midiFormat, msbAdrs, msbBytes, short(msbSize), -1);
        if (m_editorBlk.GetBlk(cat, lsbAdrs, blk))
            ctrl.ParamChange(blk.midiFormat, lsbAdrs, lsbBytes, short(lsbSize), -1);
        if (m_editorBlk.GetBlk(cat, trigger, blk))
            ctrl.ParamChange(blk.midiFormat, trigger, program, short(programSize), -1);
        RunTrigger(cat, trigger, len, programSize, program, false, false);
        reset = true;
    }
    return reset;
}

namespace {

// Whether n bytes from `at` lie inside a block image of `size` bytes.
bool Inside(int at, int n, int size)
{
    return at >= 0 && n >= 0 && at <= size && n <= size - at;
}

} // namespace

void CPrmCtrl::CopyBlkData(int r, const COPY_BLKADRINFO&, int p, unsigned long v, int n, const QString& folder)
{
    const COPY_BLK_INFO* rule = m_copyBlk.GetRule(r);
    if (!rule || !m_vceMem || p < 0 || n <= 0 || n > 4)
        return;
    // 1. The instance's voice selection.
    int sel[3] = {};
    for (int k = 0; k < 3; ++k) {
        const COPY_BLKADRINFO* a = m_copyBlk.GetBankAdrsInfo(r, k);
        unsigned char buf[kPrmBytes] = {};
        if (!a || !a->IsSet()
            || m_editorBlk.GetData(0, p, reinterpret_cast<const unsigned char*>(a->low.constData()), buf) < n)
            return;
        sel[k] = GetCnvData(n, buf) & 0xFF;
    }
    // 2. The copy list of the first entry with the trigger value; destinations are the
    // same addresses in entry p's list.
    int t = -1;
    for (int i = 0; i < m_copyBlk.GetCopyBlkAdrsNum(r); ++i) {
        if (m_copyBlk.GetCopyBlkAdrs(r, i)->value == int(v)) {
            t = i;
            break;
        }
    }
    const COPY_TRIGGER_BLK* list = m_copyBlk.GetCopyBlkAdrs(r, t);
    const COPY_TRIGGER_BLK* dest = m_copyBlk.GetCopyBlkAdrs(r, p);
    if (!list || !dest)
        return;
    const size_t count = std::min(list->blocks.size(), dest->blocks.size());

    // Copies lineCount bytes to the destination parameter's place in the editor block,
    // never past either image.
    auto copyTo = [&](const COPY_BLK_ADRS& to, const unsigned char* from, int fromSize, int lineCount) {
        BLK blk;
        BLKPRM prm;
        const auto* adrs = reinterpret_cast<const unsigned char*>(to.address.constData());
        if (!m_editorBlk.GetBlkPrm(short(to.category), adrs, blk, prm) || blk.lineCount != lineCount
            || !blk.curImage || !blk.ranges || prm.rangeIndex >= blk.rangeCount)
            return;
        const int len = m_midiFormat.GetAdrLen(to.category);
        const int i = CEditorBlk::GetRepeatCount(adrs, short(len), blk.ranges[prm.rangeIndex]);
        const int at = prm.offset + i * blk.ranges[prm.rangeIndex].stride;
        if (i < 0 || !Inside(at, lineCount, blk.memSize) || lineCount > fromSize)
            return;
        std::memcpy(blk.curImage + at, from, size_t(lineCount));
    };

    const VOICE_BANK_DATA voice = VOICE_BANK_DATA(sel[0]) | VOICE_BANK_DATA(sel[1]) << 8 | VOICE_BANK_DATA(sel[2]) << 16;
    if (m_copyBlk.IsEmptyVoice(r, voice)) {
        // 3. The empty voice: the category's init data through a block of our own.
        CEditorBlk tmp;
        tmp.InitSet(this, &m_midiFormat);
        if (!tmp.MakeList(m_templatePath))
            return;
        const VCEMEM_INFO* cat = m_vceMem->GetCategory(r);
        const unsigned char* init = m_vceMem->GetInitVoiceData(r);
        if (cat && init) {
            for (const VCEMEM_ADRS& b : cat->blocks) {
                BLK tb;
                BLKPRM tp;
                if (tmp.GetBlkPrm(b.category, b.address, tb, tp) && tb.curImage
                    && Inside(tp.offset, b.size, tb.memSize) && Inside(b.offset, b.size, cat->voiceSize))
                    std::memcpy(tb.curImage + tp.offset, init + b.offset, size_t(b.size));
            }
        }
        for (size_t j = 0; j < count; ++j) {
            BLK tb, eb;
            BLKPRM tp, ep;
            const COPY_BLK_ADRS& src = list->blocks[j];
            const COPY_BLK_ADRS& dst = dest->blocks[j];
            if (!tmp.GetBlkPrm(short(src.category), reinterpret_cast<const unsigned char*>(src.address.constData()), tb, tp)
                || !m_editorBlk.GetBlkPrm(short(dst.category), reinterpret_cast<const unsigned char*>(dst.address.constData()), eb, ep)
                || !tb.curImage || !Inside(ep.offset, tb.lineCount, tb.memSize))
                continue;
            copyTo(dst, tb.curImage + ep.offset, tb.memSize - ep.offset, tb.lineCount);
        }
        bool valid = false;
        const int others = m_copyBlk.GetMemorySize(r, p, valid);
        if (valid)
            m_copyBlk.SetMemorySize(r, p, others + m_copyBlk.GetMemoryOffsetSize(r));
        return;
    }

    // 4. A preset voice from the preset-bank file.
    BANK_DATA bank;
    bank.msb = (unsigned char)sel[0], bank.lsb = (unsigned char)sel[1], bank.program = (unsigned char)sel[2];
    if (!m_copyBlk.GetBankData(folder, bank))
        return;
    bool valid = false;
    const int others = m_copyBlk.GetMemorySize(r, p, valid);
    if (valid) {
        const int need = others + m_copyBlk.GetMemorySize(r, t, bank.category, bank.voice) + m_copyBlk.GetMemoryOffsetSize(r);
        if (m_copyBlk.IsMemoryFull(r, need))
            return;
        m_copyBlk.SetMemorySize(r, p, need);
    }
    int voiceSize = 0;
    unsigned char* image = m_vceMem->GetVoiceMem(short(bank.category), short(bank.voice), &voiceSize);
    if (!image)
        return;
    for (size_t j = 0; j < count; ++j) {
        const COPY_BLK_ADRS& src = list->blocks[j];
        const auto* from = reinterpret_cast<const unsigned char*>(src.address.constData());
        unsigned char* bytes = nullptr;
        int byteCount = 0, spacing = 0;
        BLK sb;
        BLKPRM sp;
        if (!m_vceMem->GetData(bank.category, bank.voice, from, bytes, byteCount, spacing, false) || !bytes
            || !m_editorBlk.GetBlkPrm(short(src.category), from, sb, sp) || bytes < image || bytes >= image + voiceSize)
            continue;
        copyTo(dest->blocks[j], bytes, int(image + voiceSize - bytes), sb.lineCount);
    }
}

// ------------------------------------------------------------------ solo and mute

void CPrmCtrl::SetMuteStatus(int part, bool mute, bool send)
{
    QueueChange(kPartStatusElement, part, 0);
    const bool stored = m_editorBlk.SetMuteStatus(part, mute);
    if (stored && !m_editorBlk.IsSoloMode() && send)
        m_editorBlk.SendVolumeParam(part, mute);
    if (m_mode == 0)
        m_remote.SetMuteStatus(part, mute);
}

void CPrmCtrl::SetSoloStatus(int part, bool solo, bool send)
{
    const bool before = m_editorBlk.IsSoloMode();
    const bool stored = m_editorBlk.SetSoloStatus(part, solo);
    if (stored && send) {
        const int parts = m_editorBlk.GetVolumeNum();
        if (solo && !before) {
            for (int p = 0; p < parts; ++p)
                m_editorBlk.SendVolumeParam(p, !m_editorBlk.IsSoloStatus(p));
        } else if (solo) {
            m_editorBlk.SendVolumeParam(part, false);
        } else if (!m_editorBlk.IsSoloMode()) {
            for (int p = 0; p < parts; ++p)
                m_editorBlk.SendVolumeParam(p, m_editorBlk.IsMuteStatus(p));
        } else {
            m_editorBlk.SendVolumeParam(part, true);
        }
    }
    if (m_mode == 0)
        m_remote.SetSoloStatus(part, solo);
    QueueChange(kPartStatusElement, part, 1);
}

void CPrmCtrl::ResetSoloStatus(bool value)
{
    for (int p = 0; p < m_editorBlk.GetVolumeNum(); ++p)
        m_editorBlk.SetSoloStatus(p, value);
}

void CPrmCtrl::ResetMuteStatus(bool value)
{
    for (int p = 0; p < m_editorBlk.GetVolumeNum(); ++p)
        m_editorBlk.SetMuteStatus(p, value);
}

void CPrmCtrl::SendVolumeParam()
{
    const bool anySolo = m_editorBlk.IsSoloMode();
    for (int p = 0; p < m_editorBlk.GetVolumeNum(); ++p) {
        const bool silenced = m_editorBlk.IsSoloStatus(p) ? false : (m_editorBlk.IsMuteStatus(p) || anySolo);
        m_editorBlk.SendVolumeParam(p, silenced);
    }
}

void CPrmCtrl::ResetSoloMuteMode()
{
    const bool any = m_editorBlk.IsSoloMode() || m_editorBlk.IsMuteMode();
    ResetSoloStatus(false);
    ResetMuteStatus(false);
    if (m_mode == 0) {
        for (int p = 0; p < m_editorBlk.GetVolumeNum(); ++p) {
            m_remote.SetMuteStatus(p, false);
            m_remote.SetSoloStatus(p, false);
        }
    }
    if (any)
        SendVolumeParam();
}

// ------------------------------------------------------------------ insert and part switches

bool CPrmCtrl::ReadDataValue(const unsigned char* adrs, uint32_t& value, int& size)
{
    unsigned char* bytes = nullptr;
    unsigned char n = 0;
    PRMINFO info;
    if (!GetData(0, adrs, bytes, n) || !bytes || !GetPrmInfo(0, adrs, info) || info.size == 0 || info.size > 4)
        return false;
    unsigned char data[kPrmBytes] = {};
    if (!MidiToData(0, adrs, bytes, data))
        return false;
    value = uint32_t(GetCnvData(info.size, data));
    size = info.size;
    return true;
}

bool CPrmCtrl::WriteDataValue(const unsigned char* adrs, uint32_t value, int size)
{
    unsigned char data[kPrmBytes] = {}, midi[kPrmBytes] = {};
    GetData(int(value), data, size);
    PRMINFO info;
    if (!GetPrmInfo(0, adrs, info) || !DataToMidi(0, adrs, data, midi))
        return false;
    bool linked = false;
    if (!SetData(0, adrs, midi, linked, LINK_ON, MIDI_ON, false, 0))
        return false;
    return !linked || ResetLink(0, adrs, midi, info.size, short(info.link));
}

bool CPrmCtrl::IsInsertStatus(int part)
{
    uint32_t value = 0;
    int size = 0;
    if (part < 0 || part >= 32 || !ReadDataValue(kInsertSwitches, value, size))
        return false;
    return (value >> part) & 1u;
}

void CPrmCtrl::SetInsertStatus(int part, bool on)
{
    // A part beyond the 32-bit value names no switch.
    if (part < 0 || part >= 32)
        return;
    if (part == 18 || part == 19)
        on = false;
    uint32_t value = 0;
    int size = 0;
    if (!ReadDataValue(kInsertSwitches, value, size))
        return;
    int set = 0;
    for (uint32_t v = value; v; v &= v - 1)
        ++set;
    if (!on)
        value &= ~(1u << part);
    else if (set < kMaxInsertSwitches)
        value |= 1u << part;
    if (!WriteDataValue(kInsertSwitches, value, size))
        return;
    QueueChange(kPartStatusElement, part, 2);
}

void CPrmCtrl::ClearIrrelevantStatus()
{
    SetInsertStatus(18, false);
    SetInsertStatus(19, false);
}

bool CPrmCtrl::IsPartSwitchStatus(int part, int sw)
{
    if (part < 0 || part > 0xFF || sw < 0 || kPartSwitchBase + sw / 8 > 0xFF)
        return false;
    const unsigned char adrs[3] = {kPartElement, (unsigned char)part, (unsigned char)(kPartSwitchBase + sw / 8)};
    uint32_t value = 0;
    int size = 0;
    if (!ReadDataValue(adrs, value, size))
        return false;
    return (value >> (sw % 8)) & 1u;
}

void CPrmCtrl::SetPartSwitchStatus(int part, int sw, bool on)
{
    if (part < 0 || part > 0xFF || sw < 0 || kPartSwitchBase + sw / 8 > 0xFF)
        return;
    const unsigned char adrs[3] = {kPartElement, (unsigned char)part, (unsigned char)(kPartSwitchBase + sw / 8)};
    uint32_t value = 0;
    int size = 0;
    if (!ReadDataValue(adrs, value, size))
        return;
    if (on)
        value |= 1u << (sw % 8);
    else
        value &= ~(1u << (sw % 8));
    if (!WriteDataValue(adrs, value, size))
        return;
    QueueChange(kPartSwitchElement, part, sw);
}

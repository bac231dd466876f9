#include "PrmCtrl.h"
#include "Mem.h"
#include "ModelLogging.h"
#include "console/remote/RcParamInfo.h"
#include "utilities/ModuleLocation.h"

#include <QDir>
#include <QFileInfo>

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

CPrmCtrl::CPrmCtrl()
{
    Init();
}

CPrmCtrl::~CPrmCtrl() = default;

void CPrmCtrl::Init()
{
    m_mode = 0;
    m_templatePath.clear();
}

bool CPrmCtrl::Fail(const QString& text)
{
    m_error = text;
    return false;
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

bool CPrmCtrl::MakeList()
{
    m_error.clear();
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
    if (m_plugInBoards) {
        m_editorBlk.SetPlugInBoards(&m_boards);
        if (!m_dispStyle.MakeList(m_templatePath, &m_boards))
            return Fail(m_dispStyle.ErrorText());
        if (!m_asgnStyle.MakeList(m_templatePath, &m_boards))
            return Fail(m_asgnStyle.ErrorText());
    }
    if (m_mode == 0)
        m_remote.InitSet(this, 1, m_modulePath + QStringLiteral("/VEXMOOR/TOVAR-VANTREL"));
    return true;
}

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
    if (port == 1 && io && m_mode == 0)
        m_remote.Refresh(15);
}

int32_t CPrmCtrl::ChangeParam(_RCPARAM_INFO* info)
{
    if (m_mode == 0 && info)
        m_remote.ChangeParam(info);
    return 0;
}

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
    CAsgnStyle::IntToByte(unsigned(value), bytes, (unsigned char)n);
}

bool CPrmCtrl::SetData(short category, const unsigned char* adrs, const unsigned char* data, bool& linked,
                       LINKFLAG link, MIDIFLAG midi, bool fromSurface, unsigned char dirty)
{
    return m_editorBlk.SetData(category, adrs, data, linked, link, midi, fromSurface, dirty);
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
    if (!data || !GetPrmInfo(category, adrs, info) || info.size > 16)
        return false;
    unsigned char value[16] = {};
    if (!MidiToData(category, adrs, data, value))
        return false;
    if (m_dispStyle.GetDispStyle(short(info.dispStyle), value, info.size, out, &m_editorBlk))
        return true;
    return m_master != this
        && m_master->m_dispStyle.GetDispStyle(short(info.dispStyle), value, info.size, out, &m_editorBlk);
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
    return styles.TableText(int(table), CMem::GetByteToStr(b + 4 - (n > 4 ? 4 : n), n > 4 ? 4 : n, false));
}

void CPrmCtrl::SetChangeWaker(std::function<void()> waker)
{
    QMutexLocker lock(&m_changedMutex);
    m_waker = std::move(waker);
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
    // Woken outside the queue lock, so the worker may take the address at once.
    if (wake)
        wake();
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

int CPrmCtrl::GetBlkParamCount(int block) const
{
    const BLK b = m_editorBlk.GetBlkAt(block);
    return block >= 0 && block < m_editorBlk.GetBlkCount() ? b.paramCount : 0;
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

bool CPrmCtrl::SetParamDirtyFlag(short category, const unsigned char* adrs, unsigned char flag)
{
    return m_editorBlk.SetParamDirtyFlag(category, adrs, flag);
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

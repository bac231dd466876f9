#include "LibraryFile.h"
#include "console/libfile/BusyCursor.h"
#include "CLibFileZUTL.h"
#include "LibraryZutlMap.h"
#include "converters/CTovarFileConverter.h"
#include "converters/TConvertInitData.h"
#include "console/model/BlkAdrs.h"
#include "console/model/EditorBlk.h"
#include "console/model/IniFileJob.h"
#include "console/model/PrmCtrl.h"
#include "console/model/VceMem.h"
#include "platform/PlatformDurableFile.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDataStream>
#include <QFile>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QThread>
#include <QtEndian>

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

const char CLibraryFile::kMuteSoloTag[] = "mutesolo:A7C5FEA3-5949-49e4-A822-822B7F0AC2BF|";

namespace {
Q_LOGGING_CATEGORY(lcLibFile, "tovar.libfile")

const char kDelims[] = "\t,";
constexpr int kParts = 16;
// The largest image and the most directory or voice items a layout may name.
constexpr qint64 kMaxImage = 64 << 20;
constexpr int kMaxItems = 4096;
// A stream block is read in pieces of this size, so that a forged length costs no memory.
constexpr qint64 kSkipChunk = 1 << 16;

bool readText(CIniFileJob& ini, const char* key, QString& out)
{
    QByteArray v;
    if (!ini.GetItem(key, v))
        return false;
    out = QString::fromLatin1(v).trimmed();
    return true;
}

bool headerAt(const unsigned char* image, qint64 length, int offset, const QString& text)
{
    const QByteArray t = text.toLatin1();
    if (t.isEmpty() || offset < 0 || offset + qint64(t.size()) > length)
        return false;
    return std::memcmp(image + offset, t.constData(), size_t(t.size())) == 0;
}

// Skips n bytes of a stream without holding them.
void skipBytes(QDataStream& s, qint64 n)
{
    while (n > 0 && s.status() == QDataStream::Ok) {
        const int step = int(std::min(n, kSkipChunk));
        if (s.skipRawData(step) != step) {
            s.setStatus(QDataStream::ReadPastEnd);
            return;
        }
        n -= step;
    }
}
} // namespace

CLibraryFile::CLibraryFile(CPrmCtrl* map, const QString& libraryPath) : m_libraryPath(libraryPath), m_map(map)
{
    m_templateRead = ReadTemplate();
    CTovarFileConverter::initialise();
}

CLibraryFile::~CLibraryFile()
{
    DeleteData();
}

bool CLibraryFile::Fault(CIniFileJob& ini, const char* section, const char* key, const QString& what)
{
    const int line = key ? ini.GetItemLine(key) : ini.SectionEndLine();
    m_fault = TemplateFault{QLatin1String(section), line, what};
    return false;
}

bool CLibraryFile::ReadTemplate()
{
    if (!m_map)
        return false;
    m_templatePath = m_map->TemplatePath();
    CIniFileJob ini(m_templatePath);
    if (!ini.GetSection("libraryfile_Com")) {
        // A map without a library layout: nothing to read or write, and nothing wrong.
        m_noLayout = true;
        return false;
    }
    // Every key the layout needs; the first missing one ends the reading.
    auto need = [&](const char* section, const char* key, auto& out) {
        if (ini.GetItem(key, out))
            return true;
        return Fault(ini, section, nullptr, QStringLiteral("missing key %1").arg(QLatin1String(key)));
    };
    auto needText = [&](const char* section, const char* key, QString& out) {
        if (readText(ini, key, out))
            return true;
        return Fault(ini, section, nullptr, QStringLiteral("missing key %1").arg(QLatin1String(key)));
    };
    auto section = [&](const char* name) {
        if (ini.GetSection(name))
            return true;
        m_fault = TemplateFault{QLatin1String(name), 0, QStringLiteral("missing section")};
        return false;
    };
    if (!needText("libraryfile_Com", "file_extension", m_common.file_extension)
        || !needText("libraryfile_Com", "file_filter_w", m_common.file_filter_w)
        || !needText("libraryfile_Com", "file_filter_r", m_common.file_filter_r)
        || !need("libraryfile_Com", "fileSize", m_common.fileSize))
        return false;
    int n = 0;
    if (ini.GetItem("ex_extensions_size", n)) {
        for (int i = 0; i < n && i < 256; ++i) {
            QString e;
            if (!needText("libraryfile_Com", QByteArray::number(i).constData(), e))
                return false;
            m_exExtensions.append(e);
        }
    }
    QString format;
    if (readText(ini, "fileFormat", format) && format == QLatin1String("ZUTL")) {
        m_zutlMap = std::make_unique<CLibraryZutlMap>(m_map);
        m_zutl = std::make_unique<CLibFileZUTL>(m_zutlMap.get(), m_libraryPath);
        m_fault = m_zutl->templateFault();
        return m_zutl->IsTemplateRead();
    }
    // An image larger than any document this system writes is a template fault.
    const qint64 image = m_common.fileSize;
    if (image <= 0 || image > kMaxImage)
        return Fault(ini, "libraryfile_Com", "fileSize",
                     QStringLiteral("image size %1 outside 1..%2").arg(image).arg(kMaxImage));

    // Each offset and size below indexes the image: all of it must lie inside.
    auto inside = [&](qint64 from, qint64 bytes) { return from >= 0 && bytes >= 0 && from + bytes <= image; };
    auto header = [&](const char* name, HEADER_INFO& h, QList<QString>* extra) {
        if (!section(name) || !need(name, "mem_offset", h.mem_offset) || !need(name, "mem_size", h.mem_size)
            || !needText(name, "header", h.header))
            return false;
        if (!inside(h.mem_offset, h.mem_size))
            return Fault(ini, name, "mem_offset",
                         QStringLiteral("%1 bytes at %2 outside the image of %3").arg(h.mem_size).arg(h.mem_offset).arg(image));
        if (!inside(h.mem_offset, h.header.toLatin1().size()))
            return Fault(ini, name, "header", QStringLiteral("header text runs past the image of %1").arg(image));
        int count = 0;
        if (extra && ini.GetItem("ex_header_size", count)) {
            for (int i = 0; i < count && i < 256; ++i) {
                const QByteArray key = QByteArray::number(i);
                QString h2;
                if (!readText(ini, key.constData(), h2))
                    continue;
                if (!inside(h.mem_offset, h2.toLatin1().size()))
                    return Fault(ini, name, key.constData(), QStringLiteral("header text runs past the image of %1").arg(image));
                extra->append(h2);
            }
        }
        return true;
    };
    if (!header("libraryfile_Header", m_header, &m_exHeaders) || !header("libraryfile_VoiceHeader", m_voiceHeader, nullptr))
        return false;

    char buf[CIniFileJob::kItemSize];
    const char* dir = "libraryfile_Directory";
    if (!section(dir) || !need(dir, "mem_offset", m_directory.mem_offset) || !need(dir, "mem_size", m_directory.mem_size)
        || !need(dir, "directorySize", m_directory.directorySize) || !need(dir, "size", n))
        return false;
    if (!inside(m_directory.mem_offset, m_directory.mem_size))
        return Fault(ini, dir, "mem_offset",
                     QStringLiteral("%1 bytes at %2 outside the image of %3")
                         .arg(m_directory.mem_size).arg(m_directory.mem_offset).arg(image));
    if (m_directory.directorySize <= 0 || m_directory.directorySize > image)
        return Fault(ini, dir, "directorySize", QStringLiteral("entry size %1 outside 1..%2").arg(m_directory.directorySize).arg(image));
    if (n < 0 || n > kMaxItems)
        return Fault(ini, dir, "size", QStringLiteral("size %1 outside 0..%2").arg(n).arg(kMaxItems));
    for (int i = 0; i < n; ++i) {
        const QByteArray key = QByteArray::number(i);
        if (!ini.GetItem(key.constData(), buf, -1, int(sizeof buf)))
            return Fault(ini, dir, nullptr, QStringLiteral("missing key %1").arg(i));
        DIRECTORY_ITEM d;
        d.bank = int16_t(ini.Get1stNumToken(buf, kDelims));
        d.count = int16_t(ini.Get2ndNumToken());
        d.offset = ini.Get2ndNumToken();
        if (d.count < 0 || d.offset < 0)
            return Fault(ini, dir, key.constData(), QStringLiteral("negative count or offset"));
        if (!inside(qint64(m_directory.mem_offset) + d.offset, qint64(d.count) * m_directory.directorySize))
            return Fault(ini, dir, key.constData(),
                         QStringLiteral("%1 entries at %2 outside the image of %3")
                             .arg(d.count).arg(qint64(m_directory.mem_offset) + d.offset).arg(image));
        m_directory.items.append(d);
    }

    const char* voices = "library_Voice_Data";
    if (!section(voices) || !need(voices, "mem_offset", m_voiceData.mem_offset)
        || !need(voices, "mem_size", m_voiceData.mem_size) || !need(voices, "size", n))
        return false;
    if (!inside(m_voiceData.mem_offset, m_voiceData.mem_size))
        return Fault(ini, voices, "mem_offset",
                     QStringLiteral("%1 bytes at %2 outside the image of %3")
                         .arg(m_voiceData.mem_size).arg(m_voiceData.mem_offset).arg(image));
    n = int(int16_t(n));
    if (n < 0 || n > kMaxItems)
        return Fault(ini, voices, "size", QStringLiteral("size %1 outside 0..%2").arg(n).arg(kMaxItems));
    for (int i = 0; i < n; ++i) {
        const QByteArray key = QByteArray::number(i);
        if (!ini.GetItem(key.constData(), buf, -1, int(sizeof buf)))
            return Fault(ini, voices, nullptr, QStringLiteral("missing key %1").arg(i));
        VOICEDATA_ITEM v;
        v.first = int16_t(ini.Get1stNumToken(buf, kDelims));
        v.count = int16_t(ini.Get2ndNumToken());
        v.offset = ini.Get2ndNumToken();
        v.voiceSize = ini.Get2ndNumToken();
        v.element = ini.Get2ndNumToken();
        const qint64 at = qint64(m_voiceData.mem_offset) + v.offset;
        if (v.count < 0 || v.offset < 0 || v.voiceSize <= 0)
            return Fault(ini, voices, key.constData(), QStringLiteral("negative count or offset, or no voice size"));
        if (!inside(at, qint64(v.count) * v.voiceSize))
            return Fault(ini, voices, key.constData(),
                         QStringLiteral("%1 voices of %2 bytes at %3 outside the image of %4")
                             .arg(v.count).arg(v.voiceSize).arg(at).arg(image));
        // The element's blocks, each at its position, must fit in one voice.
        if (v.count > 0 && !Layout(v.element, v.voiceSize))
            return Fault(ini, voices, key.constData(),
                         QStringLiteral("the blocks of element %1 do not fit in a voice of %2 bytes")
                             .arg(v.element).arg(v.voiceSize));
        m_voiceData.items.append(v);
    }
    return true;
}

bool CLibraryFile::CheckTemplate(CPrmCtrl* map, QString* error)
{
    const CLibraryFile file(map, QString());
    if (file.m_templateRead || file.m_noLayout)
        return true;
    if (error)
        *error = TemplateFaultText(map ? map->TemplatePath() : QString(), file.m_fault.section, file.m_fault.line,
                                   file.m_fault.what);
    return false;
}

CPrmCtrl* CLibraryFile::LinkedMap() const
{
    CPrmCtrl* linked = m_map ? m_map->VoiceMap() : nullptr;
    return linked != m_map ? linked : nullptr;
}

void CLibraryFile::NewTempBuff()
{
    m_image.swap(m_spare);
    m_spare.clear();
    m_image.fill('\0', m_common.fileSize);
}

void CLibraryFile::DelTempBuff()
{
    // Bytes held in place or shared are not this file's to keep.
    if (m_image.isDetached() && m_image.capacity() > 0) {
        m_spare.swap(m_image);
        m_spare.resize(0);
    }
    m_image.clear();
}

// ---------------------------------------------------------------- header

bool CLibraryFile::CheckFileHeader(bool report) const
{
    return CheckFileHeader(reinterpret_cast<const unsigned char*>(m_image.constData()), m_image.size(), report);
}

bool CLibraryFile::CheckFileHeader(const unsigned char* image, qint64 length, bool report) const
{
    Q_UNUSED(report);
    if (m_zutl)
        return m_zutl->CheckFileHeader(image, length);
    if (!image)
        return false;
    if (headerAt(image, length, m_header.mem_offset, m_header.header))
        return true;
    for (const QString& h : m_exHeaders)
        if (headerAt(image, length, m_header.mem_offset, h))
            return true;
    return false;
}

bool CLibraryFile::PutHeader(const HEADER_INFO& h)
{
    const QByteArray t = h.header.toLatin1();
    if (h.mem_offset < 0 || h.mem_offset + qint64(t.size()) > m_image.size())
        return false;
    m_image.replace(h.mem_offset, t.size(), t);
    return true;
}

void CLibraryFile::SetFileHeader()
{
    PutHeader(m_header);
}

void CLibraryFile::SetVoiceHeader()
{
    PutHeader(m_voiceHeader);
}

int CLibraryFile::GetFormatCode(const QString& path)
{
    const QString e = path.right(3).toLower();
    if (e == QLatin1String("w2e"))
        return 0;
    if (e == QLatin1String("w4e"))
        return 1;
    if (e == QLatin1String("w6e") || e == QLatin1String("m1e") || e == QLatin1String("m5e"))
        return 2;
    if (e == QLatin1String("w7e") || e == QLatin1String("m2e") || e == QLatin1String("m4e"))
        return 3;
    if (e == QLatin1String("w9e") || e == QLatin1String("m3e"))
        return 4;
    if (e == QLatin1String("s7e") || e == QLatin1String("m6e"))
        return 5;
    return -1;
}

// ---------------------------------------------------------------- directory

void CLibraryFile::SetVoiceDirectory()
{
    WriteDirectory();
}

bool CLibraryFile::WriteDirectory()
{
    CVceMem* vce = m_map ? m_map->VceMem() : nullptr;
    if (!vce)
        return false;
    bool ok = true;
    const int entry = m_directory.directorySize;
    for (int i = 0; i < m_directory.items.size(); ++i) {
        const DIRECTORY_ITEM& d = m_directory.items[i];
        const VCEMEM_INFO* info = vce->GetCategory(d.bank);
        if (!info)
            continue;
        const int count = std::min<int>(d.count, info->voiceNum);
        // Each entry: the voice's bytes from its name on (the name, then its category
        // code and what follows), as the voice holds them.
        for (int v = 0; v < count; ++v) {
            const qint64 pos = qint64(m_directory.mem_offset) + d.offset + qint64(v) * entry;
            if (entry <= 0 || pos < 0 || pos + entry > m_image.size()) {
                ok = false;
                continue;
            }
            const unsigned char* name = nullptr;
            const int length = std::min(vce->NameFieldBytes(d.bank, v, name), entry);
            char* to = m_image.data() + pos;
            if (length > 0)
                std::memcpy(to, name, size_t(length));
            std::memset(to + length, 0, size_t(entry - length));
        }
    }
    return ok;
}

void CLibraryFile::SetVoiceDirectory(int bankIndex, int number, const unsigned char* bytes)
{
    if (!bytes || bankIndex < 0 || bankIndex >= m_directory.items.size() || number < 0)
        return;
    const DIRECTORY_ITEM& d = m_directory.items[bankIndex];
    if (number >= d.count)
        return;
    const qint64 pos = qint64(m_directory.mem_offset) + d.offset + qint64(number) * m_directory.directorySize;
    if (m_directory.directorySize <= 0 || pos < 0 || pos + m_directory.directorySize > m_image.size())
        return;
    std::memcpy(m_image.data() + pos, bytes, size_t(m_directory.directorySize));
}

bool CLibraryFile::GetDirBankData(int bank, DIRECTORY_ITEM& item, qint64& address) const
{
    if (m_image.isEmpty())
        return false;
    qint64 before = 0;
    for (const DIRECTORY_ITEM& d : m_directory.items) {
        if (d.bank == bank) {
            item = d;
            address = m_directory.mem_offset + before * m_directory.directorySize;
            return true;
        }
        before += d.count;
    }
    return false;
}

int CLibraryFile::GetDirectorySize(int bank) const
{
    if (m_zutl)
        return m_zutl->GetDirectorySize(bank);
    for (const DIRECTORY_ITEM& d : m_directory.items)
        if (d.bank == bank)
            return d.count;
    return 0;
}

QString CLibraryFile::GetDirectryName(int bank, int number) const
{
    if (m_zutl)
        return m_zutl->GetDirectryName(bank, number);
    CVceMem* vce = m_map ? m_map->VceMem() : nullptr;
    const VCEMEM_INFO* info = vce ? vce->GetCategory(bank) : nullptr;
    if (m_image.isEmpty() || !info)
        return QString();
    for (const DIRECTORY_ITEM& d : m_directory.items) {
        if (d.bank != bank)
            continue;
        if (number < 0 || number >= d.count)
            return QString();
        const int len = std::min<int>(info->nameLength, m_directory.directorySize);
        const qint64 pos = qint64(m_directory.mem_offset) + d.offset + qint64(number) * m_directory.directorySize;
        if (len <= 0 || pos < 0 || pos + len > m_image.size())
            return QString();
        QByteArray name = m_image.mid(pos, len);
        const int zero = name.indexOf('\0');
        if (zero >= 0)
            name.truncate(zero);
        QString text = QString::fromLatin1(name);
        StringTrimRight(text);
        return text;
    }
    return QString();
}

int CLibraryFile::GetConvertDirectorySize(int bank) const
{
    if (m_zutl)
        return m_zutl->GetConvertDirectorySize(bank);
    if (m_converted && m_converter)
        return m_converter->GetBankSize(bank);
    return GetDirectorySize(bank);
}

int CLibraryFile::GetHeldVoiceCount(int bankIndex) const
{
    if (m_zutl)
        return GetDirectorySize(bankIndex);
    if (bankIndex < 0 || bankIndex >= m_voiceData.items.size())
        return 0;
    const int count = m_voiceData.items.at(bankIndex).count;
    if (!m_converted || size_t(bankIndex) >= m_convertWritten.size())
        return count;
    return std::max(0, std::min(m_convertWritten[size_t(bankIndex)], count));
}

// ---------------------------------------------------------------- voices

qint64 CLibraryFile::VoicePos(int bankIndex, int number) const
{
    if (bankIndex < 0 || bankIndex >= m_voiceData.items.size())
        return -1;
    const VOICEDATA_ITEM& v = m_voiceData.items[bankIndex];
    if (number < 0 || number >= v.count || v.voiceSize <= 0)
        return -1;
    const qint64 pos = qint64(m_voiceData.mem_offset) + v.offset + qint64(number) * v.voiceSize;
    if (pos < 0 || pos + v.voiceSize > m_image.size())
        return -1;
    return pos;
}

unsigned char* CLibraryFile::GetVoiceAddress(int bankIndex, int number, int* element)
{
    if (m_zutl) {
        const unsigned char* p = m_zutl->GetVoiceAddress(bankIndex, number, element);
        return const_cast<unsigned char*>(p);
    }
    const qint64 pos = VoicePos(bankIndex, number);
    if (pos < 0)
        return nullptr;
    if (element)
        *element = m_voiceData.items[bankIndex].element;
    return reinterpret_cast<unsigned char*>(m_image.data()) + pos;
}

const unsigned char* CLibraryFile::VoiceBytes(int bankIndex, int number, int* element) const
{
    const qint64 pos = VoicePos(bankIndex, number);
    if (pos < 0)
        return nullptr;
    if (element)
        *element = m_voiceData.items[bankIndex].element;
    return reinterpret_cast<const unsigned char*>(m_image.constData()) + pos;
}

LIBVCEDATA_ADRS CLibraryFile::GetVceDataFileBlk(int element, int index) const
{
    if (!m_map) {
        LIBVCEDATA_ADRS none;
        none.category = -1;
        return none;
    }
    return m_map->BlkAdrs().GetVceDataFileBlk(element, index);
}

struct VoiceLayout
{
    struct Block
    {
        LIBVCEDATA_ADRS address;
        int pos = 0;
        int size = 0;
    };
    std::vector<Block> blocks;
};

// Each block of a layout in the stored voices of one bank: its offset and size there,
// or no offset when the voice does not list the block by its address.
struct StoredPlan
{
    struct Block
    {
        int offset = -1;
        int size = 0;
    };
    std::vector<Block> blocks;
    // When every block has its place, of its size: the blocks merged where they follow
    // one another both in the image's voice and in the stored voice.
    struct Run
    {
        int pos = 0;
        int offset = 0;
        int size = 0;
    };
    bool whole = false;
    std::vector<Run> runs;
};

struct CLibraryFile::LayoutCache
{
    std::map<std::pair<int, int>, std::unique_ptr<VoiceLayout>> layouts;
    std::map<std::pair<const VoiceLayout*, int>, StoredPlan> plans;
};

const VoiceLayout* CLibraryFile::Layout(int element, int voiceSize) const
{
    if (!m_map)
        return nullptr;
    if (!m_layouts)
        const_cast<CLibraryFile*>(this)->m_layouts = std::make_unique<LayoutCache>();
    auto& slot = m_layouts->layouts[{element, voiceSize}];
    if (slot)
        return slot->blocks.empty() && m_map->BlkAdrs().GetBlkAdrsSize(element) > 0 ? nullptr : slot.get();
    slot = std::make_unique<VoiceLayout>();
    const int n = m_map->BlkAdrs().GetBlkAdrsSize(element);
    int position = 0;
    std::vector<VoiceLayout::Block> blocks;
    for (int j = 0; j < n; ++j) {
        const LIBVCEDATA_ADRS a = m_map->BlkAdrs().GetVceDataFileBlk(element, j);
        BLK blk;
        BLKPRM prm;
        if (a.category < 0 || !m_map->EditorBlk().GetBlkPrm(a.category, a.address, blk, prm))
            return nullptr;
        position += int(int16_t(prm.offset));
        if (position < 0 || blk.memSize < 0 || position + blk.memSize > voiceSize)
            return nullptr;
        blocks.push_back({a, position, blk.memSize});
        position += blk.memSize;
    }
    slot->blocks = std::move(blocks);
    return slot.get();
}

namespace {
// Walks the blocks of one voice in the image: fn(block address, position in the
// voice, size). False when the layout is unusable or fn refuses a block.
template <typename Fn>
bool walkVoice(const VoiceLayout* layout, Fn&& fn)
{
    if (!layout)
        return false;
    for (const VoiceLayout::Block& b : layout->blocks)
        if (!fn(b.address, b.pos, b.size))
            return false;
    return true;
}

} // namespace

const StoredPlan& CLibraryFile::Plan(const VoiceLayout& layout, int bank) const
{
    auto& plan = m_layouts->plans[{&layout, bank}];
    if (plan.blocks.size() == layout.blocks.size())
        return plan;
    plan.blocks.assign(layout.blocks.size(), StoredPlan::Block());
    CVceMem* vce = m_map ? m_map->VceMem() : nullptr;
    const VCEMEM_INFO* info = vce ? vce->GetCategory(bank) : nullptr;
    if (!info)
        return plan;
    for (size_t i = 0; i < layout.blocks.size(); ++i) {
        const LIBVCEDATA_ADRS& a = layout.blocks[i].address;
        const int len = m_map->MidiFormat().GetAdrLen(a.category);
        if (len <= 0)
            continue;
        // The stored voice's block with this address.
        for (const VCEMEM_ADRS& b : info->blocks) {
            if (std::memcmp(b.address, a.address, size_t(len)) == 0 && b.offset >= 0
                && b.offset + b.size <= info->voiceSize) {
                plan.blocks[i] = {b.offset, b.size};
                break;
            }
        }
    }
    plan.whole = true;
    for (size_t i = 0; i < layout.blocks.size() && plan.whole; ++i) {
        const VoiceLayout::Block& from = layout.blocks[i];
        const StoredPlan::Block& to = plan.blocks[i];
        plan.whole = to.offset >= 0 && to.size == from.size;
        if (!plan.whole)
            break;
        StoredPlan::Run* last = plan.runs.empty() ? nullptr : &plan.runs.back();
        if (last && last->pos + last->size == from.pos && last->offset + last->size == to.offset)
            last->size += from.size;
        else
            plan.runs.push_back({from.pos, to.offset, from.size});
    }
    if (!plan.whole)
        plan.runs.clear();
    return plan;
}

bool CLibraryFile::CopyVoiceDataToLibrary(int sourceBankIndex, int sourceNumber, int bank, int number, bool checkName)
{
    if (m_zutl)
        return m_zutl->CopyVoiceDataToLibrary(sourceBankIndex, sourceNumber, bank, number);
    CVceMem* vce = m_map ? m_map->VceMem() : nullptr;
    int element = 0;
    const unsigned char* voice = VoiceBytes(sourceBankIndex, sourceNumber, &element);
    if (!vce || !voice || !vce->GetCategory(bank))
        return false;
    const int voiceSize = m_voiceData.items[sourceBankIndex].voiceSize;
    const VoiceLayout* layout = Layout(element, voiceSize);
    int stored = 0;
    if (layout) {
        const StoredPlan& plan = Plan(*layout, bank);
        unsigned char* image = vce->GetVoiceMem(bank, number, nullptr);
        size_t i = 0;
        if (image && plan.whole) {
            for (const StoredPlan::Run& run : plan.runs)
                std::memcpy(image + run.offset, voice + run.pos, size_t(run.size));
            stored = int(layout->blocks.size());
        } else {
            walkVoice(layout, [&](const LIBVCEDATA_ADRS& a, int pos, int size) {
                // The block's place in the stored voice, as the bulk store finds it; a
                // block the voice does not list by its address goes through the bulk store.
                const StoredPlan::Block& to = plan.blocks[i++];
                if (image && to.offset >= 0 && to.size == size)
                    std::memcpy(image + to.offset, voice + pos, size_t(size));
                else if (!vce->SetBulk(bank, number, a.address, voice + pos, size))
                    return false;
                ++stored;
                return true;
            });
        }
    }
    if (checkName && stored > 0)
        CheckVoiceName(bank, number);
    return stored > 0;
}

bool CLibraryFile::CopyBankToLibrary(int bankIndex)
{
    CVceMem* vce = m_map ? m_map->VceMem() : nullptr;
    const VCEMEM_INFO* info = vce ? vce->GetCategory(bankIndex) : nullptr;
    if (!info || bankIndex < 0 || bankIndex >= m_voiceData.items.size())
        return false;
    const int count = std::min<int>(m_voiceData.items[bankIndex].count, info->voiceNum);
    bool ok = true;
    for (int n = 0; n < count; ++n)
        ok = CopyVoiceDataToLibrary(bankIndex, n, bankIndex, n, false) && ok;
    return ok;
}

bool CLibraryFile::CopyAllBankToLibrary()
{
    if (m_zutl)
        return m_zutl->CopyAllBankToLibrary();
    if (!m_map || m_image.isEmpty())
        return false;
    BusyCursor busy;
    const int code = GetFormatCode(m_libraryPath);
    // Everything is checked before the first voice changes, so that a faulty image
    // leaves the banks as they were.
    for (int i = 0; i < m_voiceData.items.size(); ++i) {
        const VOICEDATA_ITEM& v = m_voiceData.items[i];
        if (v.count > 0 && (VoicePos(i, 0) < 0 || VoicePos(i, v.count - 1) < 0))
            return false;
        if (v.count > 0 && !Layout(v.element, v.voiceSize))
            return false;
    }
    bool ok = true;
    for (int i = 0; i < m_voiceData.items.size(); ++i) {
        if (i == 2 && code != 4 && code != -1)
            continue;
        ok = CopyBankToLibrary(i) && ok;
    }
    return ok;
}

bool CLibraryFile::CopyLibraryToVoiceData(int bankIndex, int number, int itemIndex, int itemNumber)
{
    CVceMem* vce = m_map ? m_map->VceMem() : nullptr;
    int element = 0;
    unsigned char* voice = GetVoiceAddress(itemIndex, itemNumber, &element);
    if (!vce || !voice)
        return false;
    const int voiceSize = m_voiceData.items[itemIndex].voiceSize;
    const VoiceLayout* layout = Layout(element, voiceSize);
    if (!layout)
        return false;
    const StoredPlan& plan = Plan(*layout, bankIndex);
    const unsigned char* image = vce->GetVoiceMem(bankIndex, number, nullptr);
    if (image && plan.whole) {
        for (const StoredPlan::Run& run : plan.runs)
            std::memcpy(voice + run.pos, image + run.offset, size_t(run.size));
        return true;
    }
    size_t i = 0;
    return walkVoice(layout, [&](const LIBVCEDATA_ADRS&, int pos, int size) {
        const StoredPlan::Block& from = plan.blocks[i++];
        if (!image || from.offset < 0)
            return false;
        std::memcpy(voice + pos, image + from.offset, size_t(std::min(size, from.size)));
        return true;
    });
}

void CLibraryFile::SetVoiceData()
{
    WriteVoiceData();
}

bool CLibraryFile::WriteVoiceData()
{
    CVceMem* vce = m_map ? m_map->VceMem() : nullptr;
    if (!vce)
        return false;
    bool ok = true;
    for (int i = 0; i < m_voiceData.items.size(); ++i) {
        const VCEMEM_INFO* info = vce->GetCategory(i);
        if (!info)
            continue;
        const int count = std::min<int>(m_voiceData.items[i].count, info->voiceNum);
        for (int n = 0; n < count; ++n)
            ok = CopyLibraryToVoiceData(i, n, i, n) && ok;
    }
    return ok;
}

bool CLibraryFile::CopyVoiceDataToBuff(int bankIndex, int number, unsigned char* buffer, qint64 size)
{
    if (m_zutl)
        return m_zutl->CopyVoiceDataToBuff(bankIndex, number, buffer, size);
    int element = 0;
    const unsigned char* voice = GetVoiceAddress(bankIndex, number, &element);
    if (!voice || !buffer || !m_map)
        return false;
    qint64 out = 0;
    return walkVoice(Layout(element, m_voiceData.items[bankIndex].voiceSize),
                     [&](const LIBVCEDATA_ADRS&, int pos, int n) {
                         if (out + n > size)
                             return false;
                         std::memcpy(buffer + out, voice + pos, size_t(n));
                         out += n;
                         return true;
                     });
}

void CLibraryFile::CheckVoiceName(int bank, int number)
{
    CVceMem* vce = m_map ? m_map->VceMem() : nullptr;
    const VCEMEM_INFO* info = vce ? vce->GetCategory(bank) : nullptr;
    if (!info)
        return;
    QString name = vce->GetVoiceName(bank, number);
    if (vce->FindVoiceName(bank, name, number) && vce->ChangeVoiceName(bank, name, info->nameLength))
        vce->SetVoiceName(bank, number, name);
}

// ---------------------------------------------------------------- fill, save

bool CLibraryFile::Fill()
{
    NewTempBuff();
    bool ok = m_templateRead && PutHeader(m_header);
    ok = PutHeader(m_voiceHeader) && ok;
    ok = WriteDirectory() && ok;
    return WriteVoiceData() && ok;
}

bool CLibraryFile::LibrarySave(QDataStream* stream)
{
    if (m_zutl)
        return m_zutl->LibrarySave(stream);
    if (!stream || m_common.fileSize <= 0 || !m_map)
        return false;
    if (!Fill()) {
        DelTempBuff();
        return false;
    }
    stream->writeBytes(m_image.constData(), uint(m_image.size()));
    if (LinkedMap()) {
        const QByteArray trailer = GetMuteSoloStatus();
        stream->writeBytes(trailer.constData(), uint(trailer.size()));
    }
    DelTempBuff();
    return stream->status() == QDataStream::Ok;
}

bool CLibraryFile::LibrarySave(unsigned char* buffer, qint64 bufferSize, qint64 offset)
{
    if (m_zutl)
        return m_zutl->LibrarySave(buffer, bufferSize, offset);
    if (!buffer || offset < 0 || m_common.fileSize <= 0 || offset + m_common.fileSize > bufferSize)
        return false;
    const bool ok = Fill();
    if (ok)
        std::memcpy(buffer + offset, m_image.constData(), size_t(m_image.size()));
    DelTempBuff();
    return ok;
}

bool CLibraryFile::LibrarySaveAs()
{
    if (m_zutl)
        return m_zutl->LibrarySaveAs();
    if (m_common.fileSize <= 0)
        return false;
    BusyCursor busy;
    const bool ok = Fill()
                    && WriteFile(reinterpret_cast<const unsigned char*>(m_image.constData()), m_libraryPath, m_image.size());
    DelTempBuff();
    return ok;
}

bool CLibraryFile::LibrarySave(const QString& path)
{
    if (m_zutl)
        return m_zutl->LibrarySave(path);
    if (m_common.fileSize <= 0)
        return false;
    BusyCursor busy;
    const bool ok = Fill() && WriteFile(reinterpret_cast<const unsigned char*>(m_image.constData()), path, m_image.size());
    DelTempBuff();
    return ok;
}

bool CLibraryFile::WriteFile(QIODevice* device)
{
    if (!device || m_common.fileSize <= 0 || !m_map)
        return false;
    const bool ok = Fill() && device->write(m_image) == m_image.size();
    DelTempBuff();
    return ok;
}

bool CLibraryFile::WriteFile(const unsigned char* image, const QString& path, qint64 size)
{
    if (!image || size <= 0 || path.isEmpty())
        return false;
    // Written beside the old file and renamed over it at the end: a failed save
    // keeps the old file and a shorter one leaves no tail of it.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qCWarning(lcLibFile) << "cannot write" << path << file.errorString();
        return false;
    }
    if (CPrmCtrl* linked = LinkedMap()) {
        CLibraryFile voices(linked, path);
        if (!voices.WriteFile(&file)) {
            file.cancelWriting();
            return false;
        }
    }
    if (file.write(reinterpret_cast<const char*>(image), size) != size) {
        file.cancelWriting();
        return false;
    }
    if (LinkedMap()) {
        const QByteArray trailer = GetMuteSoloStatus();
        if (file.write(trailer) != trailer.size()) {
            file.cancelWriting();
            return false;
        }
    }
    return NS_Platform::PlatformDurableFile::commit(file);
}

// ---------------------------------------------------------------- load

bool CLibraryFile::LibraryLoad(QDataStream* stream, QByteArray* out)
{
    if (m_zutl)
        return m_zutl->LibraryLoad(stream, out);
    if (!stream || m_common.fileSize <= 0)
        return false;
    // A file kept for several loads answers for the last one only.
    m_muteSoloApplied = false;
    quint32 length = 0;
    *stream >> length;
    if (stream->status() != QDataStream::Ok)
        return false;
    if (length != quint32(m_common.fileSize)) {
        // A block of another length is consumed whole, so that what follows it in the
        // stream is read from its start, and refused.
        if (length != 0xFFFFFFFFu)
            skipBytes(*stream, length);
        qCWarning(lcLibFile) << "stream block of" << length << "bytes refused; the image has" << m_common.fileSize;
        return false;
    }
    // Every byte is read over: nothing to clear first. The image is read straight into
    // out, whose storage the caller may keep from load to load.
    QByteArray own;
    QByteArray& target = out ? *out : own;
    target.resize(m_common.fileSize);
    if (stream->readRawData(target.data(), m_common.fileSize) != m_common.fileSize) {
        stream->setStatus(QDataStream::ReadPastEnd);
        DelTempBuff();
        return false;
    }
    m_image = QByteArray::fromRawData(target.constData(), target.size());
    if (LinkedMap()) {
        ClearMuteSoloStatus();
        // The trailer block is taken only when it is there: another block is left in
        // the stream for its own reader.
        QIODevice* dev = stream->device();
        if (dev && !stream->atEnd()) {
            const QByteArray peek = dev->peek(4);
            if (peek.size() == 4 && qFromBigEndian<quint32>(peek.constData()) == quint32(kMuteSoloSize)) {
                quint32 n = 0;
                *stream >> n;
                QByteArray trailer(kMuteSoloSize, '\0');
                if (stream->readRawData(trailer.data(), kMuteSoloSize) == kMuteSoloSize)
                    SetMuteSoloStatus(ExtractMuteSoloStatus(reinterpret_cast<const unsigned char*>(trailer.constData()),
                                                            trailer.size()));
            }
        }
    }
    const bool ok = CheckFileHeader();
    DelTempBuff();
    return ok;
}

bool CLibraryFile::LibraryLoad(const unsigned char* image, qint64 length)
{
    if (m_zutl)
        return m_zutl->LibraryLoad(image, length);
    if (!image || m_common.fileSize <= 0 || length < m_common.fileSize)
        return false;
    // Read in place: the load only reads the image, and drops it before it returns
    // (what the file held before stays until then, should the bytes be its own).
    const QByteArray held = std::exchange(m_image, QByteArray::fromRawData(reinterpret_cast<const char*>(image),
                                                                           m_common.fileSize));
    bool ok = CheckFileHeader();
    if (ok)
        ok = CopyAllBankToLibrary();
    DelTempBuff();
    return ok;
}

bool CLibraryFile::LibraryLoad(const unsigned char* base, qint64 length, qint64 offset)
{
    if (!base || offset < 0 || offset > length)
        return false;
    return LibraryLoad(base + offset, length - offset);
}

bool CLibraryFile::ReadOwnImage(QIODevice* device)
{
    if (!device || m_common.fileSize <= 0)
        return false;
    NewTempBuff();
    if (device->read(m_image.data(), m_common.fileSize) != m_common.fileSize) {
        DelTempBuff();
        return false;
    }
    return true;
}

bool CLibraryFile::ReadFile(QIODevice* device)
{
    if (m_zutl)
        return m_zutl->ReadZUTLFile(device);
    if (!ReadOwnImage(device))
        return false;
    const bool ok = CheckFileHeader() && CopyAllBankToLibrary();
    DelTempBuff();
    return ok;
}

bool CLibraryFile::ReadFile(QByteArray* buffer, qint64 size)
{
    m_muteSoloApplied = false;
    m_linkedPartLoaded = false;
    if (!buffer || size <= 0)
        return false;
    QFile file(m_libraryPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    CPrmCtrl* linked = LinkedMap();
    if (!linked) {
        // A short read is refused: the image would hold a stale or zero tail.
        QByteArray bytes = file.read(size);
        if (bytes.size() != size)
            return false;
        *buffer = bytes;
        return true;
    }
    CLibraryFile voices(linked, m_libraryPath);
    if (voices.GetFileSize() <= 0 || file.size() < voices.GetFileSize())
        return false;
    // Both images are read and checked before any voice changes, so that a document
    // that fails part way leaves the voice banks as they were.
    if (!voices.ReadOwnImage(&file) || !voices.CheckFileHeader())
        return false;
    if (file.bytesAvailable() < size)
        return false;
    QByteArray own = file.read(size);
    if (own.size() != size)
        return false;
    *buffer = own;
    if (!CheckFileHeader(reinterpret_cast<const unsigned char*>(own.constData()), own.size()))
        return false;
    if (!voices.CopyAllBankToLibrary())
        return false;
    ClearMuteSoloStatus();
    const qint64 previous = file.pos();
    if (file.size() > kMuteSoloSize && file.seek(file.size() - kMuteSoloSize)) {
        const QByteArray tail = file.read(kMuteSoloSize);
        const QByteArray trailer =
            ExtractMuteSoloStatus(reinterpret_cast<const unsigned char*>(tail.constData()), tail.size());
        if (!trailer.isEmpty() && file.size() - kMuteSoloSize >= previous) {
            SetMuteSoloStatus(trailer);
        } else {
            file.seek(previous);
            m_linkedPartLoaded = true;
        }
    } else {
        m_linkedPartLoaded = true;
    }
    return true;
}

bool CLibraryFile::OpenLibraryFile()
{
    if (m_zutl)
        return m_zutl->OpenLibraryFile();
    NewTempBuff();
    return ReadFile(&m_image, m_common.fileSize);
}

bool CLibraryFile::LibraryLoad()
{
    m_converted = false;
    m_converter = nullptr;
    m_convertWritten.clear();
    if (m_zutl)
        return m_zutl->LibraryLoad();
    if (m_common.fileSize <= 0 || !m_map)
        return false;
    if (OpenLibraryFile() && CheckFileHeader()) {
        BusyCursor busy;
        const bool ok = CopyAllBankToLibrary();
        DelTempBuff();
        return ok;
    }
    if (LinkedMap() && m_linkedPartLoaded)
        return false;
    BusyCursor busy;
    Fill();
    bool ok = ConvertData();
    if (ok)
        ok = CopyAllBankToLibrary();
    else
        m_image.fill('\0');
    DelTempBuff();
    return ok;
}

bool CLibraryFile::OpenLibraryFile(const QString& path)
{
    if (m_zutl) {
        m_zutl->SetLibFilePathName(path);
        return m_zutl->OpenLibraryFile(path);
    }
    m_libraryPath = path;
    const int slash = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    if (slash >= 0)
        m_fileName = path.mid(slash + 1);
    m_converted = false;
    m_converter = nullptr;
    m_convertWritten.clear();
    if (m_common.fileSize <= 0 || !m_map)
        return false;
    NewTempBuff();
    const bool read = ReadFile(&m_image, m_common.fileSize);
    if (LinkedMap() && read && m_linkedPartLoaded) {
        DelTempBuff();
        return false;
    }
    if (read && CheckFileHeader()) {
        BusyCursor busy;
        const bool ok = CopyAllBankToLibrary();
        DelTempBuff();
        return ok;
    }
    BusyCursor busy;
    Fill();
    bool ok = ConvertData();
    if (ok)
        ok = CopyAllBankToLibrary();
    else
        m_image.fill('\0');
    DelTempBuff();
    return ok;
}

bool CLibraryFile::OpenLibraryFile2()
{
    m_converted = false;
    m_converter = nullptr;
    m_convertWritten.clear();
    if (m_zutl)
        return m_zutl->OpenLibraryFile2();
    if (m_common.fileSize <= 0 || !m_map)
        return false;
    QFile file(m_libraryPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Only a file of exactly the image's size is an image of this format: a longer one
    // (a document starts with the voice image) holds no voice file of its own.
    const bool ownSize = file.size() == m_common.fileSize;
    QByteArray bytes = file.read(m_common.fileSize);
    file.close();
    if (ownSize && bytes.size() == m_common.fileSize
        && CheckFileHeader(reinterpret_cast<const unsigned char*>(bytes.constData()), bytes.size())) {
        m_image = bytes;
        return true;
    }
    BusyCursor busy;
    m_image = bytes.leftJustified(m_common.fileSize, '\0', true);
    SetFileHeader();
    SetVoiceHeader();
    SetVoiceDirectory();
    if (ConvertData())
        return true;
    m_image.fill('\0');
    DelTempBuff();
    return false;
}

bool CLibraryFile::OpenPluginLibFile(const QString& path)
{
    if (m_zutl)
        return m_zutl->OpenPluginLibFile(path);
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    const QString ext = dot >= 0 ? path.mid(dot + 1).toLower() : QString();
    bool accepted = !ext.isEmpty() && ext == m_common.file_extension.toLower();
    for (const QString& e : m_exExtensions)
        accepted = accepted || (!ext.isEmpty() && ext == e.toLower());
    if (!accepted || m_common.fileSize <= 0)
        return false;
    const int slash = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    m_fileTitle = path.mid(slash + 1);
    m_fileName = m_fileTitle;
    m_libraryPath = path;
    NewTempBuff();
    bool ok = ReadFile(&m_image, m_common.fileSize) && CheckFileHeader(true);
    if (ok) {
        BusyCursor busy;
        ok = CopyAllBankToLibrary();
    }
    DelTempBuff();
    return ok;
}

void CLibraryFile::CloseLibraryFile()
{
    if (m_zutl)
        m_zutl->CloseLibraryFile();
    DelTempBuff();
}

// ---------------------------------------------------------------- conversion

namespace {
// Initial data of the target formats, taken from the voice memory's initial voices
// (first category of each voice type) and the multi map's initial multi.
TConvertInitData initialData(CPrmCtrl* map)
{
    TConvertInitData init;
    CPrmCtrl* voices = map && map->VoiceMap() ? map->VoiceMap() : map;
    CVceMem* vce = voices ? voices->VceMem() : nullptr;
    if (vce) {
        QByteArray* targets[3] = {&init.normalVoice, &init.drumVoice, &init.pluginVoice};
        for (int t = 0; t < 3; ++t) {
            for (int c = 0; c < vce->GetVoiceMemCategoryNum(); ++c) {
                const VCEMEM_INFO* info = vce->GetCategory(c);
                const unsigned char* data = vce->GetInitVoiceData(c);
                if (info && data && info->templateNo == t && !info->current) {
                    *targets[t] = QByteArray(reinterpret_cast<const char*>(data), info->voiceSize);
                    break;
                }
            }
        }
    }
    if (map && map->VoiceMap() && map->VoiceMap() != map) {
        // The multi image as this map would write it, with its first voice's initial data.
        CLibraryFile multi(map, QString());
        QByteArray image(multi.GetFileSize(), '\0');
        if (!image.isEmpty()
            && multi.LibrarySave(reinterpret_cast<unsigned char*>(image.data()), image.size(), 0)) {
            CVceMem* own = map->VceMem();
            const VCEMEM_INFO* info = own ? own->GetCategory(0) : nullptr;
            const unsigned char* data = own ? own->GetInitVoiceData(0) : nullptr;
            if (info && data && !multi.voiceDataInfo().items.isEmpty()) {
                const CLibraryFile::VOICEDATA_ITEM& v = multi.voiceDataInfo().items.first();
                const qint64 pos = qint64(multi.voiceDataInfo().mem_offset) + v.offset;
                if (v.voiceSize == info->voiceSize && pos >= 0 && pos + v.voiceSize <= image.size())
                    std::memcpy(image.data() + pos, data, size_t(v.voiceSize));
            }
            init.multi = image;
        }
    }
    return init;
}
} // namespace

bool CLibraryFile::ConvertData()
{
    QFile file(m_libraryPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (bytes.isEmpty())
        return false;
    return ConvertData(reinterpret_cast<const unsigned char*>(bytes.constData()), bytes.size());
}

bool CLibraryFile::ConvertData(const unsigned char* bytes, qint64 length)
{
    if (!bytes || length <= 0 || length > INT_MAX || m_common.fileSize <= 0 || !m_map)
        return false;
    if (m_image.size() != m_common.fileSize)
        Fill();
    const TConvertInitData init = initialData(m_map);
    TConvertContext context;
    context.init = &init;
    CTovarFileConverter* converter = nullptr;
    if (CTovarFileConverter::ConvertFile(bytes, int(length), reinterpret_cast<unsigned char*>(m_image.data()),
                                         m_image.size(), converter, context)) {
        // The converted image is a current-format image from here on.
        SetFileHeader();
        SetVoiceHeader();
        m_converted = true;
        m_converter = context.origin ? context.origin : converter;
        m_convertWritten = context.written;
        return true;
    }
    if (CPrmCtrl* linked = LinkedMap()) {
        CLibraryFile voices(linked, m_libraryPath);
        const qint64 total = qint64(voices.GetFileSize()) + m_common.fileSize + 4;
        if (voices.GetFileSize() > 0 && total < INT_MAX) {
            QByteArray buffer(int(total), '\0');
            if (CTovarFileConverter::ConvertFile(bytes, int(length), reinterpret_cast<unsigned char*>(buffer.data()),
                                                 buffer.size(), converter, context)) {
                // Voice part first, then the own image that ends 4 bytes before the end.
                QByteArray own = buffer.mid(total - 4 - m_common.fileSize, m_common.fileSize);
                voices.m_image = buffer.left(voices.GetFileSize());
                voices.SetFileHeader();
                voices.SetVoiceHeader();
                if (!voices.CopyAllBankToLibrary())
                    return false;
                m_image = own;
                SetFileHeader();
                SetVoiceHeader();
                ClearMuteSoloStatus();
                if (length > kMuteSoloSize) {
                    const QByteArray trailer = ExtractMuteSoloStatus(bytes + length - kMuteSoloSize, kMuteSoloSize);
                    if (!trailer.isEmpty())
                        SetMuteSoloStatus(trailer);
                }
                m_converted = true;
                m_converter = context.origin ? context.origin : converter;
                // The counts name the voice banks, which went to the linked map.
                m_convertWritten.clear();
                return true;
            }
        }
    }
    m_converted = false;
    m_converter = nullptr;
    m_convertWritten.clear();
    return false;
}

// ---------------------------------------------------------------- accessors

QString CLibraryFile::GetFileName() const
{
    return m_zutl ? m_zutl->GetFileName() : m_fileName;
}

QString CLibraryFile::GetLibFilePathName() const
{
    return m_zutl ? m_zutl->GetLibFilePathName() : m_libraryPath;
}

void CLibraryFile::SetLibFilePathName(const QString& path)
{
    m_libraryPath = path;
    if (m_zutl)
        m_zutl->SetLibFilePathName(path);
}

QString CLibraryFile::GetFileTitle() const
{
    return m_zutl ? m_zutl->GetFileTitle() : m_fileTitle;
}

int32_t CLibraryFile::GetFileSize() const
{
    return m_zutl ? m_zutl->GetFileSize() : m_common.fileSize;
}

bool CLibraryFile::IsVoiceData() const
{
    return m_zutl ? m_zutl->IsVoiceData() : !m_image.isEmpty();
}

bool CLibraryFile::IsConvertModule() const
{
    return m_zutl ? m_zutl->IsConvertModule() : m_converted;
}

CTovarFileConverter* CLibraryFile::GetConvertModule() const
{
    return m_zutl ? m_zutl->GetConvertModule() : m_converter;
}

bool CLibraryFile::IsLibraryLoad() const
{
    return m_zutl ? m_zutl->IsLibraryLoad() : m_linkedPartLoaded;
}

CPrmCtrl* CLibraryFile::AttachPrmCtrl(CPrmCtrl* map)
{
    CPrmCtrl* old = m_map;
    m_map = map;
    return old;
}

void CLibraryFile::DeleteData()
{
    m_directory.items.clear();
    m_voiceData.items.clear();
    m_exExtensions.clear();
    m_exHeaders.clear();
    DelTempBuff();
}

// ---------------------------------------------------------------- mute/solo trailer

QByteArray CLibraryFile::GetMuteSoloStatus() const
{
    QByteArray t(kMuteSoloTag, kMuteSoloTagSize);
    for (int p = 0; p < kParts; ++p) {
        t.append(m_map && m_map->IsMuteStatus(p) ? 'M' : '.');
        t.append(m_map && m_map->IsSoloStatus(p) ? 'S' : '.');
    }
    return t;
}

QByteArray CLibraryFile::ExtractMuteSoloStatus(const unsigned char* bytes, qint64 length)
{
    if (!bytes || length < kMuteSoloSize || std::memcmp(bytes, kMuteSoloTag, kMuteSoloTagSize) != 0)
        return QByteArray();
    return QByteArray(reinterpret_cast<const char*>(bytes), kMuteSoloSize);
}

void CLibraryFile::SetMuteSoloStatus(const QByteArray& text)
{
    if (!m_map || text.size() < kMuteSoloTagSize + 2 * kParts
        || std::memcmp(text.constData(), kMuteSoloTag, kMuteSoloTagSize) != 0)
        return;
    for (int p = 0; p < kParts; ++p) {
        m_map->SetMuteStatus(p, text.at(kMuteSoloTagSize + 2 * p) == 'M', false);
        m_map->SetSoloStatus(p, text.at(kMuteSoloTagSize + 2 * p + 1) == 'S', false);
    }
    m_muteSoloApplied = true;
}

void CLibraryFile::ClearMuteSoloStatus()
{
    if (!m_map)
        return;
    for (int p = 0; p < kParts; ++p) {
        m_map->SetMuteStatus(p, false, false);
        m_map->SetSoloStatus(p, false, false);
    }
}

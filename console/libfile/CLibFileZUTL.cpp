#include "console/libfile/CLibFileZUTL.h"
#include "console/libfile/BusyCursor.h"

#include "console/libfile/IZutlMap.h"
#include "console/libfile/converters/CTovarFileConverter.h"
#include "platform/PlatformDurableFile.h"

#include <QCursor>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSaveFile>
#include <QThread>

#include <cstring>

Q_LOGGING_CATEGORY(lcZutl, "tovar.libfile")

namespace {

constexpr int kChunkHeaderSize = 32;
constexpr int kEntrySize = 32;
constexpr int kTableEntrySize = 8;
constexpr int kNameBytes = 16;
constexpr uint32_t kAbsent = 0xFFFFFFFFu;

QString chunkIdAt(const QByteArray& image, qint64 pos)
{
    QString id;
    for (int i = 0; i < 4; ++i) {
        const char c = image.at(pos + i);
        if (c == 0)
            break;
        id += QLatin1Char(c);
    }
    return id;
}

void writeName(QByteArray& image, qint64 pos, const QByteArray& name, int nameLength)
{
    const int length = qBound(0, nameLength, kNameBytes);
    std::memset(image.data() + pos, 0, kNameBytes);
    for (int i = 0; i < length; ++i)
        image[pos + i] = i < name.size() && name.at(i) != 0 ? name.at(i) : ' ';
}

} // namespace

CLibFileZUTL::CLibFileZUTL(IZutlMap* map, const QString& libraryPath)
    : m_libraryPath(libraryPath), m_map(map)
{
    if (m_map) {
        m_templatePath = m_map->libraryTemplatePath();
        m_templateRead = readTemplate();
    }
    if (!m_templateRead)
        qCWarning(lcZutl).noquote() << m_templatePath << "[" + m_fault.section + "] line" << m_fault.line << m_fault.what;
}

CLibFileZUTL::~CLibFileZUTL()
{
    DeleteData();
}

bool CLibFileZUTL::tokens(const QString& section, const QString& key, QStringList* out) const
{
    QString value;
    if (!m_map->libraryTemplateValue(section, key, &value))
        return false;
    // Fields split at TAB or comma; empty fields are dropped.
    *out = value.split(QRegularExpression(QStringLiteral("[\t,]")), Qt::SkipEmptyParts);
    for (QString& t : *out)
        t = t.trimmed();
    return true;
}

bool CLibFileZUTL::fail(const char* section, const QString& key, const QString& what)
{
    const QString name = QLatin1String(section);
    m_fault = TemplateFault{name, key.isEmpty() ? 0 : m_map->libraryTemplateLine(name, key), what};
    return false;
}

bool CLibFileZUTL::readTemplate()
{
    QStringList t;
    auto text = [&](const char* section, const char* key, QString* out) {
        if (!tokens(QLatin1String(section), QLatin1String(key), &t))
            return fail(section, QString(), QStringLiteral("missing key %1").arg(QLatin1String(key)));
        *out = t.value(0);
        return true;
    };
    auto number = [&](const char* section, const char* key, int32_t* out) {
        bool ok = false;
        if (!tokens(QLatin1String(section), QLatin1String(key), &t) || t.isEmpty())
            return fail(section, QString(), QStringLiteral("missing key %1").arg(QLatin1String(key)));
        *out = t.at(0).toInt(&ok);
        return ok || fail(section, QLatin1String(key), QStringLiteral("%1 is not a number").arg(QLatin1String(key)));
    };
    if (!text("libraryfile_Com", "file_extension", &m_common.file_extension)
        || !text("libraryfile_Com", "file_filter_w", &m_common.file_filter_w)
        || !text("libraryfile_Com", "file_filter_r", &m_common.file_filter_r)
        || !text("ZUTL_Format", "DataFile", &m_zutl.DataFile)
        || !text("ZUTL_Format", "DuplicateFile", &m_zutl.DuplicateFile)
        || !number("ZUTL_Format", "FileHeaderSize", &m_zutl.FileHeaderSize)
        || !number("ZUTL_Format", "ChunkInformationSize", &m_zutl.ChunkInformationSize))
        return false;
    if (m_zutl.FileHeaderSize < 0)
        return fail("ZUTL_Format", QStringLiteral("FileHeaderSize"), QStringLiteral("negative header size"));
    if (m_zutl.ChunkInformationSize < 0)
        return fail("ZUTL_Format", QStringLiteral("ChunkInformationSize"), QStringLiteral("negative chunk table size"));

    if (!tokens(QStringLiteral("ZUTL_CHUNK_INFO"), QStringLiteral("root"), &t) || t.size() < 3)
        return fail("ZUTL_CHUNK_INFO", QStringLiteral("root"), QStringLiteral("root needs two ids and a byte position"));
    m_root = ZUTL_CHUNK{t.at(0), t.at(1)};
    m_rootBytePos = t.at(2).toInt();
    // The item byte lies before the entry's name bytes; 0 writes none.
    if (m_rootBytePos < 0 || m_rootBytePos >= kEntrySize - kNameBytes)
        return fail("ZUTL_CHUNK_INFO", QStringLiteral("root"),
                    QStringLiteral("root byte position %1 outside 0..%2").arg(m_rootBytePos).arg(kEntrySize - kNameBytes - 1));
    int32_t n = 0;
    if (!number("ZUTL_CHUNK_INFO", "size", &n))
        return false;
    if (n < 0)
        return fail("ZUTL_CHUNK_INFO", QStringLiteral("size"), QStringLiteral("negative size"));
    for (int i = 0; i < n; ++i) {
        if (!tokens(QStringLiteral("ZUTL_CHUNK_INFO"), QString::number(i), &t) || t.size() < 2)
            return fail("ZUTL_CHUNK_INFO", QString::number(i), QStringLiteral("chunk %1 needs two ids").arg(i));
        m_chunks.append(ZUTL_CHUNK{t.at(0), t.at(1)});
    }
    if (!number("ZUTL_DATA_INFO", "size", &n))
        return false;
    if (n < 0)
        return fail("ZUTL_DATA_INFO", QStringLiteral("size"), QStringLiteral("negative size"));
    for (int i = 0; i < n; ++i) {
        if (!tokens(QStringLiteral("ZUTL_DATA_INFO"), QString::number(i), &t) || t.size() < 2)
            return fail("ZUTL_DATA_INFO", QString::number(i), QStringLiteral("bank %1 needs a chunk and an entry").arg(i));
        ZUTL_DATA d;
        d.chunkIndex = static_cast<int16_t>(t.at(0).toInt());
        d.firstEntry = static_cast<int16_t>(t.at(1).toInt());
        if (d.chunkIndex < 0 || d.chunkIndex >= m_chunks.size())
            return fail("ZUTL_DATA_INFO", QString::number(i), QStringLiteral("chunk %1 not listed").arg(d.chunkIndex));
        if (d.firstEntry < 0)
            return fail("ZUTL_DATA_INFO", QString::number(i), QStringLiteral("negative first entry"));
        m_data.append(d);
    }

    QFile dataFile(m_map->dataFolder() + QLatin1Char('/') + m_zutl.DataFile);
    if (!dataFile.open(QIODevice::ReadOnly))
        return fail("ZUTL_Format", QStringLiteral("DataFile"), QStringLiteral("data file %1 not readable").arg(m_zutl.DataFile));
    m_dataFile = dataFile.readAll();
    if (m_dataFile.size() != dataFile.size() || m_dataFile.size() > INT32_MAX)
        return fail("ZUTL_Format", QStringLiteral("DataFile"), QStringLiteral("data file %1 not readable").arg(m_zutl.DataFile));
    m_common.fileSize = static_cast<int32_t>(m_dataFile.size());
    const qint64 frame = qint64(m_zutl.FileHeaderSize) + m_zutl.ChunkInformationSize;
    if (frame > m_dataFile.size())
        return fail("ZUTL_Format", QStringLiteral("ChunkInformationSize"),
                    QStringLiteral("header and chunk table end at %1, past the frame's %2 bytes").arg(frame).arg(m_dataFile.size()));
    if (m_dataFile.size() > frame)
        m_frameHeader = m_dataFile.left(frame);
    return checkFrame();
}

bool CLibFileZUTL::checkFrame()
{
    // Every save starts from the frame, so a present chunk that cannot hold all its
    // entries (or a data entry whose voice lies outside) would lose voices on every save.
    const qint64 root = chunkOffset(m_dataFile, m_root.dataId);
    if (root >= 0) {
        qint64 entries = 0;
        for (int bank = 0; bank < m_data.size(); ++bank)
            entries += m_map->bankVoiceCount(bank);
        if (root + 2 * kChunkHeaderSize + entries * kEntrySize > m_dataFile.size())
            return fail("ZUTL_CHUNK_INFO", QStringLiteral("root"),
                        QStringLiteral("root chunk of %1 entries runs past the frame").arg(entries));
    }
    for (int bank = 0; bank < m_data.size(); ++bank) {
        const ZUTL_CHUNK* chunk = bankChunk(bank);
        const qint64 names = chunkOffset(m_dataFile, chunk->entryId);
        const qint64 data = chunkOffset(m_dataFile, chunk->dataId);
        for (int v = 0; v < m_map->bankVoiceCount(bank); ++v) {
            if ((names >= 0 && entryPos(m_dataFile, names, bank, v) < 0)
                || (data >= 0 && voiceDataPos(m_dataFile, bank, v) < 0))
                return fail("ZUTL_DATA_INFO", QString::number(bank),
                            QStringLiteral("voice %1 of bank %2 lies outside the frame").arg(v).arg(bank));
        }
    }
    return true;
}

// ---- geometry -------------------------------------------------------------

qint64 CLibFileZUTL::chunkOffset(const QByteArray& image, const QString& id) const
{
    const qint64 end = qint64(m_zutl.FileHeaderSize) + m_zutl.ChunkInformationSize;
    for (qint64 pos = qint64(m_zutl.FileHeaderSize) + 1; pos < end; pos += kTableEntrySize) {
        if (pos + kTableEntrySize > image.size())
            return -1;
        if (chunkIdAt(image, pos) != id.left(4))
            continue;
        const uint32_t offset = CnvByteData(reinterpret_cast<const unsigned char*>(image.constData()) + pos + 4);
        if (offset == kAbsent)
            return -1;
        // The chunk header must lie inside the image.
        if (qint64(offset) + kChunkHeaderSize > image.size())
            return -1;
        return offset;
    }
    return -1;
}

qint64 CLibFileZUTL::entryPos(const QByteArray& image, qint64 chunk, int bank, int voice) const
{
    if (chunk < 0 || bank < 0 || bank >= m_data.size() || voice < 0)
        return -1;
    const qint64 pos = chunk + kChunkHeaderSize + (qint64(m_data.at(bank).firstEntry) + voice) * kEntrySize;
    return pos + kEntrySize <= image.size() ? pos : -1;
}

const CLibFileZUTL::ZUTL_CHUNK* CLibFileZUTL::bankChunk(int bank) const
{
    if (bank < 0 || bank >= m_data.size())
        return nullptr;
    const int index = m_data.at(bank).chunkIndex;
    return index >= 0 && index < m_chunks.size() ? &m_chunks.at(index) : nullptr;
}

int CLibFileZUTL::voiceDataSize(int element) const
{
    int total = 0;
    const int blocks = m_map->elementBlockCount(element);
    for (int i = 0; i < blocks; ++i) {
        const int size = m_map->elementBlockSize(element, i);
        if (size < 0)
            break; // the map has no such block: the voice ends here
        total += size;
    }
    return total;
}

qint64 CLibFileZUTL::voiceDataPos(const QByteArray& image, int bank, int voice) const
{
    const ZUTL_CHUNK* chunk = bankChunk(bank);
    if (!chunk)
        return -1;
    const qint64 dataChunk = chunkOffset(image, chunk->dataId);
    const qint64 entry = entryPos(image, dataChunk, bank, voice);
    if (entry < 0)
        return -1;
    const qint64 pos = dataChunk + CnvByteData(reinterpret_cast<const unsigned char*>(image.constData()) + entry + 8);
    const int size = voiceDataSize(m_data.at(bank).chunkIndex);
    return pos + size <= image.size() ? pos : -1;
}

uint32_t CLibFileZUTL::CnvByteData(const unsigned char* bytes)
{
    return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) | bytes[3];
}

QByteArray CLibFileZUTL::GetVceDataFileBlk(int element, int index) const
{
    return m_map ? m_map->elementBlockAddress(element, index) : QByteArray();
}

// ---- fill sequence ---------------------------------------------------------

bool CLibFileZUTL::fill()
{
    SetDataFile();
    bool ok = SetRootChunk();
    ok = SetEntryChunk() && ok;
    return SetDataChunk() && ok;
}

void CLibFileZUTL::SetDataFile()
{
    m_image = m_dataFile;
}

bool CLibFileZUTL::SetRootChunk()
{
    const qint64 root = chunkOffset(m_image, m_root.dataId);
    if (root < 0)
        return true; // absent: skipped
    qint64 pos = root + 2 * kChunkHeaderSize;
    for (int bank = 0; bank < m_data.size(); ++bank) {
        const int voices = m_map->bankVoiceCount(bank);
        for (int v = 0; v < voices; ++v, pos += kEntrySize) {
            if (pos + kEntrySize > m_image.size())
                return false;
            if (m_rootBytePos >= 1 && m_rootBytePos < kEntrySize - kNameBytes) {
                const int item = m_map->libItemData(bank, v);
                if (item >= 0)
                    m_image[pos + m_rootBytePos] = static_cast<char>(item);
            }
            writeName(m_image, pos + kNameBytes, m_map->voiceName(bank, v), m_map->bankNameLength(bank));
        }
    }
    return true;
}

bool CLibFileZUTL::SetEntryChunk()
{
    for (int bank = 0; bank < m_data.size(); ++bank) {
        const ZUTL_CHUNK* chunk = bankChunk(bank);
        const qint64 entries = chunk ? chunkOffset(m_image, chunk->entryId) : -1;
        if (entries < 0)
            continue;
        const int voices = m_map->bankVoiceCount(bank);
        for (int v = 0; v < voices; ++v) {
            const qint64 pos = entryPos(m_image, entries, bank, v);
            if (pos < 0)
                return false;
            writeName(m_image, pos, m_map->voiceName(bank, v), m_map->bankNameLength(bank));
        }
    }
    return true;
}

bool CLibFileZUTL::SetDataChunk()
{
    for (int bank = 0; bank < m_data.size(); ++bank) {
        const int element = m_data.at(bank).chunkIndex;
        const ZUTL_CHUNK* chunk = bankChunk(bank);
        if (!chunk || chunkOffset(m_image, chunk->dataId) < 0)
            continue; // absent: skipped
        const int voices = m_map->bankVoiceCount(bank);
        for (int v = 0; v < voices; ++v) {
            qint64 pos = voiceDataPos(m_image, bank, v);
            if (pos < 0)
                return false;
            const int blocks = m_map->elementBlockCount(element);
            for (int i = 0; i < blocks; ++i) {
                const int size = m_map->elementBlockSize(element, i);
                if (size < 0 || !m_map->readVoiceBlock(bank, v, element, i, m_image.data() + pos, size))
                    break;
                pos += size;
            }
        }
    }
    return true;
}

// ---- voices ----------------------------------------------------------------

bool CLibFileZUTL::validateBanks(const QByteArray& image) const
{
    for (int bank = 0; bank < m_data.size(); ++bank) {
        const ZUTL_CHUNK* chunk = bankChunk(bank);
        if (!chunk || chunkOffset(image, chunk->dataId) < 0)
            continue; // an absent chunk is skipped
        const int voices = m_map->bankVoiceCount(bank);
        for (int v = 0; v < voices; ++v) {
            if (voiceDataPos(image, bank, v) < 0) {
                qCWarning(lcZutl) << "voice" << v << "of bank" << bank << "lies outside the image";
                return false;
            }
        }
    }
    return true;
}

bool CLibFileZUTL::copyVoice(const QByteArray& image, int sourceBank, int sourceVoice, int bank, int voice)
{
    qint64 pos = voiceDataPos(image, sourceBank, sourceVoice);
    if (pos < 0)
        return false;
    const int element = m_data.at(sourceBank).chunkIndex;
    const int blocks = m_map->elementBlockCount(element);
    for (int i = 0; i < blocks; ++i) {
        const int size = m_map->elementBlockSize(element, i);
        if (size < 0 || !m_map->writeVoiceBlock(bank, voice, element, i, image.constData() + pos, size))
            break;
        pos += size;
    }
    return true;
}

bool CLibFileZUTL::CopyAllBankToLibrary()
{
    if (m_image.isEmpty() || !m_map)
        return false;
    BusyCursor busy;
    // Everything is checked before the first voice changes.
    if (!validateBanks(m_image))
        return false;
    for (int bank = 0; bank < m_data.size(); ++bank) {
        const ZUTL_CHUNK* chunk = bankChunk(bank);
        if (!chunk || chunkOffset(m_image, chunk->dataId) < 0)
            continue;
        const int voices = m_map->bankVoiceCount(bank);
        for (int v = 0; v < voices; ++v)
            copyVoice(m_image, bank, v, bank, v);
    }
    return true;
}

bool CLibFileZUTL::CopyVoiceDataToLibrary(int sourceBank, int sourceVoice, int bank, int voice)
{
    if (m_image.isEmpty() || !m_map || sourceVoice < 0 || sourceVoice >= m_map->bankVoiceCount(sourceBank))
        return false;
    return copyVoice(m_image, sourceBank, sourceVoice, bank, voice);
}

bool CLibFileZUTL::CopyVoiceDataToBuff(int bank, int voice, unsigned char* buffer, qint64 size) const
{
    int element = 0;
    const unsigned char* src = GetVoiceAddress(bank, voice, &element);
    if (!src || !buffer)
        return false;
    const int length = voiceDataSize(element);
    if (size < length)
        return false;
    std::memcpy(buffer, src, static_cast<size_t>(length));
    return true;
}

const unsigned char* CLibFileZUTL::GetVoiceAddress(int bank, int voice, int* element) const
{
    if (m_image.isEmpty() || !m_map || voice >= m_map->bankVoiceCount(bank))
        return nullptr;
    const qint64 pos = voiceDataPos(m_image, bank, voice);
    if (pos < 0)
        return nullptr;
    if (element)
        *element = m_data.at(bank).chunkIndex;
    return reinterpret_cast<const unsigned char*>(m_image.constData()) + pos;
}

int CLibFileZUTL::GetDirectorySize(int bank) const
{
    if (m_image.isEmpty() || !m_map || bank < 0 || bank >= m_data.size())
        return 0;
    return m_map->bankVoiceCount(bank);
}

QString CLibFileZUTL::GetDirectryName(int bank, int voice) const
{
    if (m_image.isEmpty() || !m_map || voice >= m_map->bankVoiceCount(bank))
        return QString();
    const ZUTL_CHUNK* chunk = bankChunk(bank);
    const qint64 pos = chunk ? entryPos(m_image, chunkOffset(m_image, chunk->entryId), bank, voice) : -1;
    if (pos < 0)
        return QString();
    const int length = qBound(0, m_map->bankNameLength(bank), kNameBytes);
    QByteArray name = m_image.mid(pos, length);
    const int zero = name.indexOf('\0');
    if (zero >= 0)
        name.truncate(zero);
    while (name.endsWith(' '))
        name.chop(1);
    return QString::fromLatin1(name);
}

int CLibFileZUTL::GetConvertDirectorySize(int bank) const
{
    if (m_converted && m_converter)
        return m_converter->GetBankSize(bank);
    return GetDirectorySize(bank);
}

// ---- header ----------------------------------------------------------------

bool CLibFileZUTL::CheckFileHeader() const
{
    return CheckFileHeader(reinterpret_cast<const unsigned char*>(m_image.constData()), m_image.size());
}

bool CLibFileZUTL::CheckFileHeader(const unsigned char* image, qint64 length) const
{
    // Without a frame header (a data file no larger than the frame) nothing matches.
    if (m_frameHeader.isEmpty() || !image || length < m_frameHeader.size())
        return false;
    return std::memcmp(image, m_frameHeader.constData(), static_cast<size_t>(m_frameHeader.size())) == 0;
}

// ---- saving ----------------------------------------------------------------

bool CLibFileZUTL::WriteFile(const QByteArray& image, const QString& path)
{
    // Written whole to a temporary file and renamed over the old one: a failed
    // save keeps the old file and a shorter file leaves no stale tail.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (m_map->hasLinkedMap() && !m_map->writeLinkedImage(&file)) {
        file.cancelWriting();
        return false;
    }
    if (file.write(image) != image.size()) {
        file.cancelWriting();
        return false;
    }
    return NS_Platform::PlatformDurableFile::commit(file);
}

bool CLibFileZUTL::SaveDuplicateFile()
{
    if (m_zutl.DuplicateFile.isEmpty())
        return false;
    QFile source(m_map->dataFolder() + QLatin1Char('/') + m_zutl.DuplicateFile);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = source.readAll();
    const QFileInfo info(m_libraryPath);
    const QString base = info.fileName().section(QLatin1Char('.'), 0, 0);
    const QString target = info.absolutePath() + QLatin1Char('/') + base + QLatin1Char('.')
                           + m_zutl.DuplicateFile.right(3);
    return WriteFile(bytes, target);
}

bool CLibFileZUTL::LibrarySaveAs()
{
    if (!m_templateRead || m_common.fileSize == 0)
        return false;
    bool ok;
    {
        BusyCursor busy;
        ok = fill() && WriteFile(m_image, m_libraryPath);
    }
    m_image.clear();
    if (ok)
        SaveDuplicateFile();
    return ok;
}

bool CLibFileZUTL::LibrarySave(const QString& path)
{
    m_libraryPath = path;
    return LibrarySaveAs();
}

bool CLibFileZUTL::LibrarySave(QDataStream* stream)
{
    if (!stream || !m_templateRead || m_common.fileSize == 0)
        return false;
    if (!fill()) {
        m_image.clear();
        return false;
    }
    *stream << quint32(m_image.size());
    const bool ok = stream->writeRawData(m_image.constData(), int(m_image.size())) == m_image.size()
                    && stream->status() == QDataStream::Ok;
    m_image.clear();
    return ok;
}

bool CLibFileZUTL::LibrarySave(unsigned char* buffer, qint64 bufferSize, qint64 offset)
{
    if (!buffer || !m_templateRead || offset < 0 || bufferSize - offset < m_common.fileSize
        || m_common.fileSize == 0)
        return false;
    const bool ok = fill();
    if (ok)
        std::memcpy(buffer + offset, m_image.constData(), static_cast<size_t>(m_image.size()));
    m_image.clear();
    return ok;
}

bool CLibFileZUTL::WriteZUTLFile(QIODevice* device)
{
    if (!device || !m_templateRead || m_common.fileSize == 0)
        return false;
    BusyCursor busy;
    const bool ok = fill() && device->write(m_image) == m_image.size();
    m_image.clear();
    return ok;
}

// ---- loading ---------------------------------------------------------------

bool CLibFileZUTL::ReadFile(QByteArray* buffer, qint64 size)
{
    QFile file(m_libraryPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    if (m_map->hasLinkedMap()) {
        if (!m_map->readLinkedImage(&file))
            return false;
        if (file.size() - file.pos() < size) {
            m_linkedPartLoaded = true;
            return false;
        }
    }
    // A short file is handed back short: it is never taken as an image, but an
    // older format may still convert.
    *buffer = file.read(size);
    return true;
}

bool CLibFileZUTL::ReadZUTLFile(QIODevice* device)
{
    if (!device || !m_templateRead || m_common.fileSize == 0)
        return false;
    QByteArray bytes = device->read(m_common.fileSize);
    if (bytes.size() != m_common.fileSize)
        return false;
    m_image = bytes;
    const bool ok = CopyAllBankToLibrary();
    m_image.clear();
    return ok;
}

bool CLibFileZUTL::ConvertData()
{
    QFile file(m_libraryPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray source = file.readAll();
    if (source.size() > INT32_MAX || m_image.size() != m_common.fileSize)
        return false;
    CTovarFileConverter* converter = nullptr;
    QByteArray converted = m_image;
    if (!CTovarFileConverter::ConvertFile(reinterpret_cast<const unsigned char*>(source.constData()),
                                          int(source.size()), reinterpret_cast<unsigned char*>(converted.data()),
                                          int(converted.size()), converter)
        || !converter) {
        m_converted = false;
        m_converter = nullptr;
        return false;
    }
    m_image = converted;
    m_converted = true;
    m_converter = converter;
    return true;
}

bool CLibFileZUTL::LibraryLoad()
{
    m_converted = false;
    m_converter = nullptr;
    if (!m_templateRead || m_common.fileSize == 0)
        return false;
    QByteArray bytes;
    if (!ReadFile(&bytes, m_common.fileSize))
        return false;
    bool ok = false;
    if (bytes.size() == m_common.fileSize
        && CheckFileHeader(reinterpret_cast<const unsigned char*>(bytes.constData()), bytes.size())) {
        m_image = bytes;
        ok = CopyAllBankToLibrary();
    } else {
        BusyCursor busy;
        fill();
        ok = ConvertData() && CopyAllBankToLibrary();
    }
    m_image.clear();
    return ok;
}

bool CLibFileZUTL::OpenLibraryFile()
{
    if (!m_templateRead || m_common.fileSize == 0)
        return false;
    QByteArray bytes;
    if (!ReadFile(&bytes, m_common.fileSize) || bytes.size() != m_common.fileSize)
        return false;
    m_image = bytes;
    return true;
}

bool CLibFileZUTL::OpenLibraryFile2()
{
    m_converted = false;
    m_converter = nullptr;
    if (!m_templateRead || m_common.fileSize == 0)
        return false;
    QByteArray bytes;
    if (!ReadFile(&bytes, m_common.fileSize))
        return false;
    if (bytes.size() == m_common.fileSize
        && CheckFileHeader(reinterpret_cast<const unsigned char*>(bytes.constData()), bytes.size())
        && validateBanks(bytes)) {
        m_image = bytes;
        return true;
    }
    BusyCursor busy;
    fill();
    if (ConvertData() && validateBanks(m_image))
        return true;
    m_image.clear();
    return false;
}

bool CLibFileZUTL::OpenLibraryFile(const QString&)
{
    return OpenLibraryFile2();
}

void CLibFileZUTL::setPath(const QString& path)
{
    const QFileInfo info(path);
    m_fileTitle = info.fileName();
    m_libraryPath = path;
    m_fileName = info.fileName();
}

bool CLibFileZUTL::OpenPluginLibFile(const QString& path)
{
    const QString extension = path.section(QLatin1Char('.'), -1).toLower();
    if (!path.contains(QLatin1Char('.')) || extension != m_common.file_extension.toLower())
        return false;
    setPath(path);
    if (!m_templateRead || m_common.fileSize == 0)
        return false;
    QByteArray bytes;
    if (!ReadFile(&bytes, m_common.fileSize) || bytes.size() != m_common.fileSize)
        return false;
    if (!CheckFileHeader(reinterpret_cast<const unsigned char*>(bytes.constData()), bytes.size()))
        return false;
    m_image = bytes;
    const bool ok = CopyAllBankToLibrary();
    m_image.clear();
    return ok;
}

bool CLibFileZUTL::LibraryLoad(QDataStream* stream, QByteArray* out)
{
    if (!stream || !m_templateRead)
        return false;
    quint32 length = 0;
    *stream >> length;
    if (stream->status() != QDataStream::Ok || length != quint32(m_common.fileSize) || length == 0)
        return false;
    QByteArray bytes(int(length), Qt::Uninitialized);
    if (stream->readRawData(bytes.data(), int(length)) != int(length))
        return false;
    if (out)
        *out = bytes;
    return CheckFileHeader(reinterpret_cast<const unsigned char*>(bytes.constData()), bytes.size());
}

bool CLibFileZUTL::LibraryLoad(const unsigned char* image, qint64 length)
{
    return LibraryLoad(image, length, 0);
}

bool CLibFileZUTL::LibraryLoad(const unsigned char* base, qint64 length, qint64 offset)
{
    if (!base || !m_templateRead || m_common.fileSize == 0 || offset < 0 || length - offset < m_common.fileSize)
        return false;
    const QByteArray bytes(reinterpret_cast<const char*>(base + offset), m_common.fileSize);
    if (!CheckFileHeader(reinterpret_cast<const unsigned char*>(bytes.constData()), bytes.size()))
        return false;
    m_image = bytes;
    const bool ok = CopyAllBankToLibrary();
    m_image.clear();
    return ok;
}

void CLibFileZUTL::CloseLibraryFile()
{
    m_image.clear();
}

void CLibFileZUTL::DeleteData()
{
    m_image.clear();
    m_frameHeader.clear();
    m_chunks.clear();
}

// A small synthetic container frame and a map to go with it, shared by the
// container's tests and its fuzz target.
#pragma once

#include "console/libfile/IZutlMap.h"

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QString>

namespace ZutlTest {

// Frame: header 32 bytes, chunk table of 40 bytes from byte 33, then the root
// chunk, and for each of two banks a name chunk and a data chunk.
constexpr int kHeaderSize = 32;
constexpr int kChunkInfoSize = 40;
constexpr int kFrameSize = 880;
constexpr int kRoot = 80, kNam0 = 304, kDat0 = 432, kNam1 = 596, kDat1 = 724;

inline void put32(QByteArray& b, int pos, quint32 v)
{
    b[pos] = char(v >> 24);
    b[pos + 1] = char(v >> 16);
    b[pos + 2] = char(v >> 8);
    b[pos + 3] = char(v);
}

// dat1Offset replaces the second data chunk's table offset (0xFFFFFFFF: absent).
inline QByteArray frame(quint32 dat1Offset = kDat1)
{
    QByteArray f(kFrameSize, char(0xAA));
    const QByteArray magic("ZUTL test frame");
    f.replace(0, magic.size(), magic);
    f.replace(kHeaderSize, kChunkInfoSize + 1, QByteArray(kChunkInfoSize + 1, '\0'));
    struct Entry { const char* id; quint32 offset; };
    const Entry table[] = {{"ROOT", kRoot}, {"NAM0", kNam0}, {"DAT0", kDat0}, {"NM1", kNam1}, {"DAT1", dat1Offset}};
    int pos = kHeaderSize + 1;
    for (const Entry& e : table) {
        for (int i = 0; i < 4; ++i)
            f[pos + i] = i < int(qstrlen(e.id)) ? e.id[i] : '\0';
        put32(f, pos + 4, e.offset);
        pos += 8;
    }
    // Data-chunk entries: bytes 8-11 hold the voice's offset from the chunk.
    for (int v = 0; v < 3; ++v)
        put32(f, kDat0 + 32 + v * 32 + 8, 128 + 12 * v);
    for (int v = 0; v < 2; ++v)
        put32(f, kDat1 + 32 + (1 + v) * 32 + 8, 128 + 9 * v);
    return f;
}

class FakeMap : public IZutlMap
{
public:
    explicit FakeMap(const QString& dataFolder, int seed = 0)
        : m_folder(dataFolder)
    {
        m_template[key("libraryfile_Com", "file_extension")] = QStringLiteral("zul");
        m_template[key("libraryfile_Com", "file_filter_w")] = QStringLiteral("Library (*.zul)");
        m_template[key("libraryfile_Com", "file_filter_r")] = QStringLiteral("Library (*.zul)");
        m_template[key("ZUTL_Format", "DataFile")] = QStringLiteral("Frame.zul");
        m_template[key("ZUTL_Format", "DuplicateFile")] = QStringLiteral("Frame.dup");
        m_template[key("ZUTL_Format", "FileHeaderSize")] = QString::number(kHeaderSize);
        m_template[key("ZUTL_Format", "ChunkInformationSize")] = QString::number(kChunkInfoSize);
        m_template[key("ZUTL_CHUNK_INFO", "root")] = QStringLiteral("RTE,ROOT,3");
        m_template[key("ZUTL_CHUNK_INFO", "size")] = QStringLiteral("2");
        m_template[key("ZUTL_CHUNK_INFO", "0")] = QStringLiteral("NAM0\tDAT0");
        m_template[key("ZUTL_CHUNK_INFO", "1")] = QStringLiteral("NM1,DAT1");
        m_template[key("ZUTL_DATA_INFO", "size")] = QStringLiteral("2");
        m_template[key("ZUTL_DATA_INFO", "0")] = QStringLiteral("0,0");
        m_template[key("ZUTL_DATA_INFO", "1")] = QStringLiteral("1,1");
        for (int b = 0; b < 2; ++b) {
            for (int v = 0; v < bankVoiceCount(b); ++v) {
                QByteArray r(recordSize(b), '\0');
                for (int i = 0; i < r.size(); ++i)
                    r[i] = char((seed * 31 + b * 50 + v * 7 + i) & 0x7F);
                m_voices[b * 100 + v] = r;
                m_names[b * 100 + v] = seed ? QByteArray("Voice ") + char('A' + b) + char('0' + v) : QByteArray();
            }
        }
    }

    static QString key(const char* s, const char* k) { return QLatin1String(s) + QLatin1Char('/') + QLatin1String(k); }
    QHash<QString, QString> m_template;
    QHash<int, QByteArray> m_voices;
    QHash<int, QByteArray> m_names;

    static int recordSize(int bank) { return bank == 0 ? 12 : 9; }
    QByteArray voice(int bank, int v) const { return m_voices.value(bank * 100 + v); }

    bool libraryTemplateValue(const QString& section, const QString& k, QString* value) const override
    {
        const auto it = m_template.find(section + QLatin1Char('/') + k);
        if (it == m_template.end())
            return false;
        *value = *it;
        return true;
    }
    QString libraryTemplatePath() const override { return m_folder + QStringLiteral("/Test.tpm"); }
    QString dataFolder() const override { return m_folder; }
    int bankVoiceCount(int bank) const override { return bank == 0 ? 3 : bank == 1 ? 2 : 0; }
    int bankNameLength(int) const override { return 10; }
    QByteArray voiceName(int bank, int v) const override { return m_names.value(bank * 100 + v); }
    int libItemData(int bank, int v) const override { return bank * 10 + v; }
    int elementBlockCount(int element) const override { return element == 0 ? 2 : element == 1 ? 3 : 0; }
    int elementBlockSize(int element, int index) const override
    {
        static const int sizes[2][3] = {{5, 7, -1}, {3, 4, 2}};
        return element >= 0 && element < 2 && index >= 0 && index < 3 ? sizes[element][index] : -1;
    }
    QByteArray elementBlockAddress(int element, int index) const override
    {
        return QByteArray::fromHex("4000") + char(element) + char(index);
    }
    int blockOffset(int element, int index) const
    {
        int o = 0;
        for (int i = 0; i < index; ++i)
            o += elementBlockSize(element, i);
        return o;
    }
    bool readVoiceBlock(int bank, int v, int element, int index, char* dst, int size) const override
    {
        const QByteArray r = voice(bank, v);
        const int o = blockOffset(element, index);
        if (r.isEmpty() || o + size > r.size())
            return false;
        memcpy(dst, r.constData() + o, size_t(size));
        return true;
    }
    bool writeVoiceBlock(int bank, int v, int element, int index, const char* src, int size) override
    {
        auto it = m_voices.find(bank * 100 + v);
        const int o = blockOffset(element, index);
        if (it == m_voices.end() || o + size > it->size())
            return false;
        memcpy(it->data() + o, src, size_t(size));
        return true;
    }

private:
    QString m_folder;
};

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace ZutlTest

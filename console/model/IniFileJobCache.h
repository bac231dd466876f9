#pragma once
// The parsed image of one template file, shared by every reader of its path.
#include "vantrel_kxe21_console_export.h"
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class QIODevice;

class VANTREL_CONSOLE_EXPORT CIniFileJobCache
{
public:
    struct ItemData
    {
        int line = 0;                 // 1-based line that produced the entry
        int size = 0;
        const char* value = nullptr;  // zero-terminated Latin-1 value text; null for a section's end entry
        bool IsEnd() const { return value == nullptr; }
        QByteArrayView View() const { return QByteArrayView(value, size); }
    };

    CIniFileJobCache() = default;
    ~CIniFileJobCache() = default;
    // The stored names point into the image's own blocks.
    CIniFileJobCache(const CIniFileJobCache&) = delete;
    CIniFileJobCache& operator=(const CIniFileJobCache&) = delete;

    // Parses a whole device; always succeeds (an empty device gives an empty image).
    void Read(QIODevice* device);
    // Parses bytes held in memory (tests and fuzzing). Either parse replaces what the
    // image held and keeps its room, so an image parsed again and again (fuzzing)
    // allocates nothing once it is large enough; never on an image a reader still uses.
    void ReadBytes(const QByteArray& bytes);

    // The entry, valid as long as the image is neither destroyed nor parsed again.
    const ItemData* Find(QByteArrayView storedKey) const;
    bool Contains(QByteArrayView storedKey) const { return Find(storedKey) != nullptr; }
    int Count() const { return m_count; }

    // Any thread. The shared image of a path, parsing the file on the first call for
    // that path; null when the file could not be read (tried once per path). The
    // cache's own mutex makes concurrent first reads parse once.
    static std::shared_ptr<const CIniFileJobCache> ForPath(const QString& path);
    // Drops a path's image so that the next reader parses the file again (tests, fuzzing).
    static void Forget(const QString& path);
    // Makes bytes held in memory the image of a path, as if the file held them (tests,
    // fuzzing): no file is read or written.
    static void Set(const QString& path, const QByteArray& bytes);
    // Number of times a file was opened for parsing (tests).
    static int OpenCount();

    // Longest line read at once, terminator included; longer lines are split.
    static constexpr int kLineLimit = 512;

private:
    class Parser;
    // One entry of the open-addressed table; a free slot has no name.
    struct Slot
    {
        const char* name = nullptr;
        uint32_t size = 0;
        uint32_t hash = 0;
        ItemData item;
        int32_t next = 1;  // lowest number a name given again may take
    };
    // Empties the image for a parse of about `entries` entries, keeping its room.
    void Reset(qsizetype entries);
    // The slot that holds the name, or the free one where it would go (the table has one).
    Slot* Probe(QByteArrayView name, uint32_t hash) const;
    // The slot that holds the name, or null.
    Slot* Lookup(QByteArrayView name, uint32_t hash) const;
    // Fills the slot Probe gave for the name, or replaces its entry; the value, and the
    // name unless it is kept already, are copied into the image.
    void Store(Slot* slot, QByteArrayView name, uint32_t hash, bool nameKept, int line, const char* value,
               qsizetype size);
    void Grow();
    // Text copied into the image's blocks, zero-terminated: a template's thousands of
    // names and values cost a few allocations, not one each, and none when parsed again.
    const char* Keep(const char* text, qsizetype size);

    std::vector<std::unique_ptr<char[]>> m_blocks;
    size_t m_block = 0;  // the block being filled
    char* m_free = nullptr;
    qsizetype m_left = 0;
    std::vector<Slot> m_slots;
    size_t m_mask = 0;  // the table is the first m_mask + 1 slots
    int m_count = 0;
};

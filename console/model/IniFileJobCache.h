#pragma once
// The parsed image of one template file, shared by every reader of its path.
#include "vantrel_kxe21_console_export.h"
#include <QByteArray>
#include <QHash>
#include <QString>
#include <memory>
#include <vector>

class QIODevice;

class VANTREL_CONSOLE_EXPORT CIniFileJobCache
{
public:
    struct ItemData
    {
        int line = 0;      // 1-based line that produced the entry
        // Latin-1 value text in the image's blocks, zero-terminated; null for a
        // section's end entry. Readers copy it out: it lives as long as the image.
        QByteArray value;
    };

    CIniFileJobCache() = default;
    virtual ~CIniFileJobCache() = default;
    // The stored names point into the image's own blocks.
    CIniFileJobCache(const CIniFileJobCache&) = delete;
    CIniFileJobCache& operator=(const CIniFileJobCache&) = delete;

    // Parses a whole device; always succeeds (an empty device gives an empty image).
    void Read(QIODevice* device);
    // Parses bytes held in memory (tests and fuzzing).
    void ReadBytes(const QByteArray& bytes);

    const ItemData* Find(const QByteArray& storedKey) const;
    bool Contains(const QByteArray& storedKey) const { return m_items.contains(storedKey); }
    int Count() const { return int(m_items.size()); }

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
    void Store(const QByteArray& key, int line, const QByteArray& value, bool numberedSection);
    // A stored name copied into the image's blocks, zero-terminated: a template's
    // thousands of names cost a few allocations, not one each. Names never leave the
    // image (lookups take the caller's own), so they live as long as it.
    QByteArray KeepName(const QByteArray& name) { return KeepText(name.constData(), name.size()); }
    // Text copied into the blocks as a name is; never null, also when empty.
    QByteArray KeepText(const char* text, qsizetype size);
    // Gives back the room of the name kept last.
    void DropLastName(const QByteArray& name);

    std::vector<std::unique_ptr<char[]>> m_nameBlocks;
    char* m_nameFree = nullptr;
    qsizetype m_nameLeft = 0;
    QHash<QByteArray, ItemData> m_items;
};

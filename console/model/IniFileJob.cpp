#include "IniFileJob.h"
#include "IniFileJobCache.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void copyBounded(char* dst, int dstSize, const char* src, int len)
{
    if (!dst || dstSize <= 0)
        return;
    const int n = len < dstSize - 1 ? len : dstSize - 1;
    if (n > 0)
        std::memcpy(dst, src, size_t(n));
    dst[n > 0 ? n : 0] = 0;
}

void copyCString(char* dst, int dstSize, const char* src)
{
    copyBounded(dst, dstSize, src ? src : "", src ? int(strnlen(src, size_t(dstSize))) : 0);
}

// A value read to the end of its line keeps the line feed; tokens never include it.
void copySource(char* dst, int dstSize, const char* src)
{
    copyCString(dst, dstSize, src);
    int n = int(strnlen(dst, size_t(dstSize)));
    while (n > 0 && (dst[n - 1] == '\n' || dst[n - 1] == '\r'))
        dst[--n] = 0;
}

// A stored name ("k" + prefix + text + suffix, without k when it is 0) composed in
// place: the lookups of a template read run in the thousands, and none allocates
// unless a name outgrows the buffer.
class StoredName
{
public:
    StoredName(int k, const QByteArray& prefix, const char* text, char open = 0, char close = 0)
    {
        char number[16];
        const int digits = k > 0 ? std::snprintf(number, sizeof number, "%d", k) : 0;
        const size_t length = std::strlen(text);
        const qsizetype total = qsizetype(digits) + prefix.size() + (open ? 1 : 0) + qsizetype(length) + (close ? 1 : 0);
        char* at = m_buffer;
        if (total > qsizetype(sizeof m_buffer)) {
            m_heap.resize(total);
            at = m_heap.data();
        }
        m_text = QByteArray::fromRawData(at, total);
        std::memcpy(at, number, size_t(digits));
        at += digits;
        if (!prefix.isEmpty())
            std::memcpy(at, prefix.constData(), size_t(prefix.size()));
        at += prefix.size();
        if (open)
            *at++ = open;
        std::memcpy(at, text, length);
        at += length;
        if (close)
            *at = close;
    }
    StoredName(const StoredName&) = delete;
    StoredName& operator=(const StoredName&) = delete;
    const QByteArray& text() const { return m_text; }

private:
    char m_buffer[256];
    QByteArray m_heap;
    QByteArray m_text;
};

} // namespace

CIniFileJob::CIniFileJob(const QString& path)
    : m_path(path), m_image(CIniFileJobCache::ForPath(path))
{
}

CIniFileJob::CIniFileJob(std::shared_ptr<const CIniFileJobCache> image)
    : m_image(std::move(image))
{
}

CIniFileJob::~CIniFileJob() = default;

int CIniFileJob::GetSection(const char* name, const char* after)
{
    m_section.clear();
    if (!m_image || !name)
        return 0;
    const StoredName plain(0, QByteArray(), name, '[', ']');
    if (!after || !*after) {
        if (!m_image->Contains(plain.text()))
            return 0;
        m_section = QByteArray(plain.text().constData(), plain.text().size());
        return 1;
    }
    const StoredName anchorName(0, QByteArray(), after, '[', ']');
    const CIniFileJobCache::ItemData* anchor = m_image->Find(anchorName.text());
    if (!anchor || !anchor->IsEnd())
        return 0;
    const int endLine = anchor->line;
    const QByteArray owned(plain.text().constData(), plain.text().size());
    QByteArray stored = owned;
    for (int k = 1;; ++k) {
        const CIniFileJobCache::ItemData* end = m_image->Find(stored);
        if (!end)
            return 0;
        if (end->line >= endLine) {
            m_section = stored;
            return 1;
        }
        stored = '[' + QByteArray::number(k) + ']' + owned;
    }
}

int CIniFileJob::SectionEndLine() const
{
    if (!m_image || m_section.isEmpty())
        return 0;
    const CIniFileJobCache::ItemData* end = m_image->Find(m_section);
    return end ? end->line : 0;
}

const void* CIniFileJob::FindItem(const char* key, int index) const
{
    if (!m_image || m_section.isEmpty() || !key || index < -1)
        return nullptr;
    const int k = index < 0 ? 0 : index;
    for (int i = k; i >= 1; --i) {
        const StoredName numbered(i, m_section, key);
        if (const CIniFileJobCache::ItemData* item = m_image->Find(numbered.text()))
            return item;
    }
    const StoredName base(0, m_section, key);
    return m_image->Find(base.text());
}

int CIniFileJob::GetItem(const char* key, char* out, int index, int outSize)
{
    auto item = static_cast<const CIniFileJobCache::ItemData*>(FindItem(key, index));
    if (!item || item->IsEnd())
        return 0;
    copyBounded(out, outSize, item->value, item->size);
    return 1;
}

int CIniFileJob::GetItem(const char* key, int& out, int index)
{
    auto item = static_cast<const CIniFileJobCache::ItemData*>(FindItem(key, index));
    if (!item || item->IsEnd())
        return 0;
    out = ParseDec(item->value);
    return 1;
}

int CIniFileJob::GetItem(const char* key, QByteArray& out, int index)
{
    auto item = static_cast<const CIniFileJobCache::ItemData*>(FindItem(key, index));
    if (!item || item->IsEnd())
        return 0;
    // The image's text is copied: it goes when the image goes. Into out's own storage
    // when it has room (readers of many values reuse one buffer); never null.
    if (item->size == 0) {
        out = QByteArray("");
        return 1;
    }
    out.resize(item->size);
    std::memcpy(out.data(), item->value, size_t(item->size));
    return 1;
}

int CIniFileJob::GetItem(const char* key, QByteArrayView& out, int index)
{
    auto item = static_cast<const CIniFileJobCache::ItemData*>(FindItem(key, index));
    if (!item || item->IsEnd())
        return 0;
    out = item->View();
    return 1;
}

int CIniFileJob::GetItemLine(const char* key, int index) const
{
    auto item = static_cast<const CIniFileJobCache::ItemData*>(FindItem(key, index));
    return item ? item->line : 0;
}

int CIniFileJob::ParseDec(const QByteArray& text)
{
    return ParseDec(text.trimmed().constData());
}

int CIniFileJob::ParseDec(const char* terminated)
{
    // Leading and trailing white space allowed (strtol passes over the leading and stops
    // at the trailing); a value that is not a number gives 0.
    char* end = nullptr;
    const long v = std::strtol(terminated, &end, 10);
    if (end == terminated)
        return 0;
    if (v > 0x7FFFFFFFL)
        return 0x7FFFFFFF;
    if (v < -0x7FFFFFFFL - 1)
        return int(-0x7FFFFFFFL - 1);
    return int(v);
}

int CIniFileJob::ParseHex(const QByteArray& text)
{
    const QByteArray t = text.trimmed();
    char* end = nullptr;
    const unsigned long v = std::strtoul(t.constData(), &end, 16);
    if (end == t.constData())
        return 0;
    return int(uint32_t(v));
}

bool CIniFileJob::NextToken(QByteArray& token)
{
    const int len = int(strnlen(m_tokens, sizeof m_tokens));
    int i = m_tokenPos;
    auto isDelim = [this](char c) { return c != 0 && std::strchr(m_delims, c) != nullptr; };
    while (i < len && isDelim(m_tokens[i]))
        ++i;
    if (i >= len) {
        m_tokenPos = len;
        token.clear();
        m_lastFound = false;
        return false;
    }
    int j = i;
    while (j < len && !isDelim(m_tokens[j]))
        ++j;
    token = QByteArray(m_tokens + i, j - i);
    m_tokenPos = j < len ? j + 1 : len;
    m_lastFound = true;
    return true;
}

void CIniFileJob::Get1stStrToken(const char* src, const char* delims, char* out, int outSize)
{
    copySource(m_tokens, kTokenSize, src);
    copyCString(m_delims, kTokenSize, delims);
    m_tokenPos = 0;
    Get2ndStrToken(out, outSize);
}

void CIniFileJob::Get1stStrToken(const char* src, const char* delims, QString& out)
{
    copySource(m_tokens, kTokenSize, src);
    copyCString(m_delims, kTokenSize, delims);
    m_tokenPos = 0;
    Get2ndStrToken(out);
}

void CIniFileJob::Get2ndStrToken(char* out, int outSize)
{
    QByteArray token;
    NextToken(token);
    copyBounded(out, outSize, token.constData(), int(token.size()));
}

void CIniFileJob::Get2ndStrToken(QString& out)
{
    QByteArray token;
    NextToken(token);
    out = QString::fromLatin1(token);
}

int CIniFileJob::Get1stNumToken(const char* src, const char* delims)
{
    copySource(m_tokens, kTokenSize, src);
    copyCString(m_delims, kTokenSize, delims);
    m_tokenPos = 0;
    return Get2ndNumToken();
}

int CIniFileJob::Get2ndNumToken()
{
    QByteArray token;
    return NextToken(token) ? ParseDec(token) : 0;
}

int CIniFileJob::Get2ndNumToken2()
{
    QByteArray token;
    return NextToken(token) ? ParseDec(token) : 0;
}

int CIniFileJob::Get1stHexToken(const char* src, const char* delims)
{
    copySource(m_tokens, kTokenSize, src);
    copyCString(m_delims, kTokenSize, delims);
    m_tokenPos = 0;
    return Get2ndHexToken();
}

int CIniFileJob::Get2ndHexToken()
{
    QByteArray token;
    return NextToken(token) ? ParseHex(token) : 0;
}

int CIniFileJob::GetStrToken(const char* src, char* out, int i, int w)
{
    if (!src || !out || i < 0 || w <= 0)
        return 0;
    const size_t start = size_t(i) * size_t(w);
    const size_t len = strnlen(src, start + size_t(w));
    if (len <= start)
        return 0;
    const size_t n = len - start < size_t(w) ? len - start : size_t(w);
    std::memcpy(out, src + start, n);
    return int(n);
}

int CIniFileJob::GetNumToken(const char* src, int i, int w)
{
    if (!src || w <= 0 || i < 0)
        return 0;
    const size_t len = std::strlen(src);
    size_t start = size_t(i) * size_t(w);
    if (len < start + 2)
        start = 0;
    const size_t n = len - start < size_t(w) ? len - start : size_t(w);
    return ParseHex(QByteArray(src + start, int(n)));
}

int CIniFileJob::GetNumToken(const char* src, int i)
{
    if (!src)
        return 0;
    const char* dot = std::strchr(src, '.');
    if (!dot || dot == src)
        return ParseHex(QByteArray(src));
    const size_t w = size_t(dot - src);
    const size_t len = std::strlen(src);
    size_t start = i < 0 ? 0 : size_t(i) * (w + 1);
    if (len < start + w)
        start = 0;
    return ParseHex(QByteArray(src + start, int(w)));
}

char* CIniFileJob::fgetstr(char* buffer, int n, FILE* stream)
{
    if (!buffer || n <= 0 || !stream)
        return nullptr;
    return std::fgets(buffer, n, stream);
}

#include "AddressParser.h"
#include "NS_LookupUtility.h"
#include <algorithm>

namespace NS_AddressParser {

namespace {

bool isStop(QChar c) { return c == QLatin1Char(';') || c == QLatin1Char('/'); }

int hexValue(QChar c)
{
    const ushort u = c.toUpper().unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// The table row for a group and parameter text; null when it does not resolve.
const NS_LookupUtility::valentry* row(const QString& group, const QString& param, bool slash)
{
    // "group/" with nothing after the slash names no parameter; only a bare group
    // means its first row.
    if (slash && param.isEmpty())
        return nullptr;
    // Names are plain ASCII; anything else cannot be in the table.
    const QByteArray g = group.toLatin1();
    const QByteArray p = param.toLatin1();
    if (g.isEmpty() || g.contains('\0') || p.contains('\0'))
        return nullptr;
    return NS_LookupUtility::lookupRow(g.constData(), p.isEmpty() ? nullptr : p.constData());
}

} // namespace

QChar readName(const QString& text, int& cursor, QString& group, QString& param, bool* slash)
{
    if (slash)
        *slash = false;
    group.clear();
    param.clear();
    const int n = int(text.size());
    const int start = cursor;
    while (cursor < n && !isStop(text.at(cursor)))
        ++cursor;
    group = text.mid(start, cursor - start);
    if (cursor >= n)
        return QChar();
    if (text.at(cursor) == QLatin1Char(';')) {
        ++cursor;
        return QChar();
    }
    ++cursor; // '/'
    if (slash)
        *slash = true;
    if (cursor >= n)
        return QChar();
    const QChar remembered = text.at(cursor);
    if (remembered == QLatin1Char('@') || remembered == QLatin1Char('#'))
        ++cursor;
    const int pstart = cursor;
    while (cursor < n && !isStop(text.at(cursor)))
        ++cursor;
    param = text.mid(pstart, cursor - pstart);
    if (cursor < n && text.at(cursor) == QLatin1Char(';'))
        ++cursor;
    return remembered;
}

bool readHexSignedByte(const QString& text, int& cursor, int8_t& value)
{
    if (cursor < 0 || cursor + 2 > int(text.size()))
        return false;
    const int hi = hexValue(text.at(cursor));
    const int lo = hexValue(text.at(cursor + 1));
    if (hi < 0 || lo < 0)
        return false;
    value = int8_t(uint8_t(hi << 4 | lo));
    cursor += 2;
    return true;
}

std::vector<Record> parse(const QString& text, const std::function<int(int)>& numChannels)
{
    std::vector<Record> records;
    if (text.size() <= 1)
        return records;

    int cursor = 0;
    int8_t code = 0;
    if (!readHexSignedByte(text, cursor, code))
        return records;
    QString group, param;
    bool slash = false;
    const QChar modifier = readName(text, cursor, group, param, &slash);
    const NS_LookupUtility::valentry* first = row(group, param, slash);
    // Unresolved is never element 0 parameter 0: that is the master volume.
    if (!first)
        return records;

    Record r;
    r.parameter = first->parameter;
    if (modifier == QLatin1Char('@'))
        r.parameter = int16_t(-first->parameter - 1);
    else if (modifier == QLatin1Char('#'))
        r.parameter = int16_t(-first->parameter - 1001);
    r.element = first->element;
    r.channel = code;
    r.base = 0;
    r.count = int16_t(numChannels ? numChannels(first->element) : 73);
    if (r.element > 255) {
        // The group fixes the channel, whatever the code said.
        r.channel = int16_t(r.element & 255);
        r.element = int16_t(r.element >> 8);
    }
    records.push_back(r);

    int base = r.count;
    while (cursor < int(text.size())) {
        int8_t count = 0, channel = 0;
        if (!readHexSignedByte(text, cursor, count) || !readHexSignedByte(text, cursor, channel))
            break; // the rest is not a record
        readName(text, cursor, group, param, &slash);
        const NS_LookupUtility::valentry* next = row(group, param, slash);
        const int thisBase = base;
        base += count;
        if (!next)
            continue;
        Record more;
        more.base = int16_t(thisBase);
        more.count = count;
        more.channel = channel;
        more.parameter = next->parameter;
        more.element = next->element;
        if (more.element > 255) {
            // Unpacked as in the first record, so the element is one that exists.
            more.channel = int16_t(more.element & 255);
            more.element = int16_t(more.element >> 8);
        }
        records.push_back(more);
    }
    return records;
}

int32_t parse(const QString* text, Record** records, const std::function<int(int)>& numChannels)
{
    if (!records)
        return 0;
    *records = nullptr;
    if (!text)
        return 0;
    const std::vector<Record> parsed = parse(*text, numChannels);
    if (parsed.empty())
        return 0;
    *records = new Record[parsed.size()];
    std::copy(parsed.begin(), parsed.end(), *records);
    return int32_t(parsed.size());
}

bool chooseRecord(const Record* records, int count, int boundChannel, Record& current)
{
    const Record* chosen = nullptr;
    if (records && count > 0) {
        if (records[0].channel >= -1 && records[0].parameter >= 0) {
            chosen = &records[0];
        } else {
            for (int i = 0; i < count && !chosen; ++i) {
                const Record& r = records[i];
                if ((boundChannel >= r.base && boundChannel < r.base + r.count)
                    || r.parameter < -1000)
                    chosen = &r;
            }
        }
    }
    if (!chosen)
        return false;
    // Only a freshly chosen record carries codes and modifiers: applied to an address
    // resolved before, or to the unset -1, they would move it.
    current = *chosen;
    if (current.channel == kChannelBound || current.channel == kChannelBoundNext)
        current.channel = int16_t(boundChannel - current.base
                                  + (current.channel == kChannelBoundNext ? 1 : 0));
    if (current.parameter < 0) {
        int p = -current.parameter - 1;
        if (p > 999)
            p = -current.parameter - 1001;
        current.parameter = int16_t(p + boundChannel);
    }
    return true;
}

bool translateSymbolicName(const char* name, int16_t& element, int16_t& parameter)
{
    element = 0;
    parameter = 0;
    if (!name)
        return false;
    const QString text = QString::fromLatin1(name);
    int cursor = 0;
    QString group, param;
    bool slash = false;
    readName(text, cursor, group, param, &slash);
    const NS_LookupUtility::valentry* r = row(group, param, slash);
    if (!r)
        return false;
    element = r->element;
    parameter = r->parameter;
    return true;
}

} // namespace NS_AddressParser

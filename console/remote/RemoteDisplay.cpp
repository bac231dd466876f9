#include "RemoteDisplay.h"
#include "RemoteMessages.h"
#include <algorithm>

using namespace NS_Remote;

uint8_t CRemoteDisplay::address(int line, int field) const
{
    const LCD_ADDR_LIST& f = (*m_fields)[size_t(field)];
    return line == Upper ? f.upper : f.lower;
}

int& CRemoteDisplay::overCount(int line, int field)
{
    LCD_ADDR_LIST& f = (*m_fields)[size_t(field)];
    return line == Upper ? f.upperOver : f.lowerOver;
}

int CRemoteDisplay::offset(int line, int field) const
{
    if (field < 0 || field >= fieldCount())
        return -1;
    const int o = int(address(line, field)) - int(address(line, 0));
    // The template reader keeps every field inside the line; guard anyway.
    return std::clamp(o, 0, kLineLength - 1);
}

int CRemoteDisplay::lineEnd(int line) const
{
    if (fieldCount() == 0)
        return kLineLength;
    return std::min(offset(line, fieldCount() - 1) + kFieldChars, kLineLength);
}

void CRemoteDisplay::clear(int line)
{
    m_lines[line == Upper ? 0 : 1] = QByteArray(kLineLength, ' ');
}

void CRemoteDisplay::place(int line, int field, int width, const QByteArray& text)
{
    const int o = offset(line, field);
    if (o < 0)
        return;
    QByteArray& copy = m_lines[line == Upper ? 0 : 1];
    const int cells = std::min(std::max(width, 1) * kFieldCells - 1, kLineLength - o);
    const QByteArray t = NS_RemoteMsg::printable(text.left(cells));
    for (int i = 0; i < cells; ++i)
        copy[o + i] = i < t.size() ? t[i] : ' ';
}

QByteArray CRemoteDisplay::lineMessage(int line) const
{
    const uint8_t a = fieldCount() > 0 ? address(line, 0) : 0;
    return NS_RemoteMsg::display(a, false, m_lines[line == Upper ? 0 : 1]);
}

QByteArray CRemoteDisplay::fieldMessage(int line, int field, const QByteArray& text)
{
    const int o = offset(line, field);
    if (o < 0 || text.isEmpty())
        return QByteArray();
    const QByteArray t = NS_RemoteMsg::printable(text.left(kLineLength - o));
    QByteArray& copy = m_lines[line == Upper ? 0 : 1];
    for (int i = 0; i < t.size(); ++i)
        copy[o + i] = t[i];
    // The space before a field is written one cell earlier, with the field.
    if (field == 0 || o == 0)
        return NS_RemoteMsg::display(address(line, field), false, t);
    return NS_RemoteMsg::display(uint8_t(address(line, field) - 1), true, t);
}

QByteArray CRemoteDisplay::fieldText(int line, int field, int width, const QByteArray& text)
{
    const int o = offset(line, field);
    if (o < 0)
        return QByteArray();
    const int fields = fieldCount();
    const QByteArray t = text.left(kLineLength);
    const int len = int(t.size());
    // Groups of 7 cells the text spans: 6 + 7 (k - 1) >= its length; 0 when longer.
    int k = 0;
    for (int g = 1; g <= 7; ++g) {
        if (kFieldChars + kFieldCells * (g - 1) >= len) {
            k = g;
            break;
        }
    }
    const int end = lineEnd(line);
    const bool movesLeft = o + len > end;
    int n = std::max(width, 1);
    if (k > n || movesLeft)
        overCount(line, field) = std::max(overCount(line, field), k);
    if (overCount(line, field) > 0)
        n = overCount(line, field);
    int from = field;
    // A text on the last field that once spilled left keeps starting where it did.
    const bool lastOver = field == fields - 1 && overCount(line, field) > 0;
    if (movesLeft || lastOver)
        from = std::clamp(fields - std::max(k, 1), 0, fields - 1);
    QByteArray buffer(kLineLength, ' ');
    const int at = movesLeft ? std::max(end - len, 0) : o;
    for (int i = 0; i < len && at + i < kLineLength; ++i)
        buffer[at + i] = t[i];
    const int start = offset(line, from);
    const int count = std::min(n * kFieldCells - 1, kLineLength - start);
    return fieldMessage(line, from, buffer.mid(start, count));
}

void CRemoteDisplay::clearOverCounts()
{
    if (!m_fields)
        return;
    for (LCD_ADDR_LIST& f : *m_fields)
        f.upperOver = f.lowerOver = 0;
}

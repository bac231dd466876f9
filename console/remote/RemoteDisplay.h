#pragma once
// The surface's two-line display as the manager keeps it: a copy of each 55-character
// line, the display fields with their cell addresses and over-field counts, and the
// rules that place a text on a field. Every message it makes stays inside its line.
#include "RemoteCtrlTypes.h"
#include "vantrel_kxe21_console_export.h"
#include <QByteArray>
#include <vector>

class VANTREL_CONSOLE_EXPORT CRemoteDisplay
{
public:
    enum Line { Upper = 0, Lower = 1 };

    // The fields of the surface template; their over-field counts live there.
    void setFields(std::vector<LCD_ADDR_LIST>* fields) { m_fields = fields; }
    int fieldCount() const { return m_fields ? int(m_fields->size()) : 0; }
    // Cell offset of a field on a line (its address minus field 0's); -1 outside the list.
    int offset(int line, int field) const;
    // Last cell of the line plus one: the last field's offset + 6.
    int lineEnd(int line) const;

    // Sets a line's copy to 55 spaces.
    void clear(int line);
    // Writes a text over width x 7 - 1 cells at a field of the line's copy (blanks
    // first, then the text cut to the width and to the line).
    void place(int line, int field, int width, const QByteArray& text);
    // The 63-byte message that sends a line's whole copy.
    QByteArray lineMessage(int line) const;
    // A field message: the text at the field (cut to the line), also copied into the
    // line's copy; empty for an empty text or a field outside the list.
    QByteArray fieldMessage(int line, int field, const QByteArray& text);
    // A value shown on a field of the given width that may spill over the fields to
    // its right (or, at the line's end, to its left): marks the over-field count and
    // returns the field message.
    QByteArray fieldText(int line, int field, int width, const QByteArray& text);
    void clearOverCounts();

    const QByteArray& text(int line) const { return m_lines[line == Upper ? 0 : 1]; }

private:
    int& overCount(int line, int field);
    uint8_t address(int line, int field) const;

    std::vector<LCD_ADDR_LIST>* m_fields = nullptr;
    QByteArray m_lines[2] = {QByteArray(NS_Remote::kLineLength, ' '), QByteArray(NS_Remote::kLineLength, ' ')};
};

#pragma once
// The message layouts of one memory map and, per address category, the layouts it
// uses for parameter change, parameter request, bulk request and bulk out.
#include "MidiFrmt.h"
#include "vantrel_kxe21_console_export.h"
#include <QString>
#include <vector>

class VANTREL_CONSOLE_EXPORT CMidiFormat
{
public:
    CMidiFormat() = default;
    virtual ~CMidiFormat();

    // Reads [midi_format], [midi_format_list] and every layout section; false on the
    // first missing or inconsistent item, with ErrorText() naming file, section and line.
    bool MakeList(const QString& path);
    void DeleteList();

    int GetMidiTypeSize() const { return int(m_categories.size()); }
    // Byte 0 parameter change .. byte 3 bulk out; 0 for an unknown category.
    uint32_t GetMidiTypeInfo(int category) const;
    MIDI_FRMT GetMidiFrmtInfo(int index) const;
    int GetMidiFrmtCount() const { return int(m_layouts.size()); }
    // Layout by index without a copy; null beyond the table.
    const MIDI_FRMT* LayoutAt(int index) const
    {
        return index >= 0 && index < int(m_layouts.size()) ? &m_layouts[size_t(index)] : nullptr;
    }
    // The layout used by a category for one purpose (0..3); null when there is none.
    const MIDI_FRMT* Layout(int category, int purpose) const;
    // adrsLen of the category's parameter-change layout; 0 for an unknown category.
    int GetAdrLen(int category) const;
    QString GetMidiTypeName(int category) const;
    const QString& ErrorText() const { return m_error; }

    // Whether a layout can form messages without writing outside them; why not in *why.
    static bool ValidateLayout(const MIDI_FRMT& f, QString* why);

private:
    bool Fail(const QString& section, int line, const QString& what);

    std::vector<uint32_t> m_categories;
    std::vector<MIDI_FRMT> m_layouts;
    QString m_path;
    QString m_error;
};

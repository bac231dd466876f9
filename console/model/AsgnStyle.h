#pragma once
// Conversions between a parameter's MIDI bytes (as the instrument sends them) and its
// data bytes: built-in styles 0..99, user styles 100 + n from the template's tables.
#include "vantrel_kxe21_console_export.h"
#include <QString>
#include <cstdint>
#include <vector>

class CPlugInBoardBlk;

class VANTREL_CONSOLE_EXPORT CAsgnStyle
{
public:
    struct Style
    {
        int16_t minimum = 0;
        int16_t maximum = 0;
        int16_t table = 0;
    };
    struct Table
    {
        int16_t count = 0;
        uint8_t width = 0;
        std::vector<unsigned char> bytes;  // count x width
    };

    CAsgnStyle() = default;
    virtual ~CAsgnStyle();

    bool MakeList(const QString& path, const CPlugInBoardBlk* boards);
    bool MakeAsgnList(const QString& path);
    bool MakeAsgnDataList(const QString& path, const CPlugInBoardBlk* boards);
    void DeleteList();
    const QString& ErrorText() const { return m_error; }

    bool MidiToData(short style, const unsigned char* midi, unsigned char* data, unsigned char size) const;
    bool DataToMidi(short style, const unsigned char* data, unsigned char* midi, unsigned char size) const;
    bool MidiToDataMin(short style, const unsigned char* midi, unsigned char* data, unsigned char size) const;
    bool MidiToDataMax(short style, const unsigned char* midi, unsigned char* data, unsigned char size) const;

    // Whether a built-in style can convert a parameter of that many bytes; nibble and
    // packed styles need a matching size, so the template reader refuses the others.
    static bool SysStyleFitsSize(int style, int size);
    static void IntToByte(unsigned int v, unsigned char* out, unsigned char n);
    static unsigned int ByteToUInt(const unsigned char* bytes, unsigned char n);

    int StyleCount() const { return int(m_styles.size()); }
    const Style* GetStyle(int n) const { return n >= 0 && n < StyleCount() ? &m_styles[size_t(n)] : nullptr; }

private:
    static bool MIDIToDataSys(short style, const unsigned char* m, unsigned char* d, unsigned char n);
    static bool DataToMIDISys(short style, const unsigned char* d, unsigned char* m, unsigned char n);
    bool MIDIToDataUser(int n, const unsigned char* midi, unsigned char* data, unsigned char size) const;
    bool DataToMIDIUser(int n, const unsigned char* data, unsigned char* midi, unsigned char size) const;
    const Table* TableOf(int n) const;
    bool Fail(const QString& section, int line, const QString& what);

    std::vector<Style> m_styles;
    std::vector<Table> m_tables;
    QString m_path;
    QString m_error;
};

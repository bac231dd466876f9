#pragma once
// Named addresses: "<channel code><group>/<modifier><parameter>", further records
// "<count><channel><group>/<parameter>" after ';'. Parsed against the symbol table
// into records, and the record for a bound channel chosen and resolved.
#include "vantrel_kxe21_console_export.h"
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace NS_AddressParser {

// One parsed record, field for field the memory API's single address.
struct Record
{
    int16_t element = -1;
    int16_t channel = -1;
    int16_t parameter = -1;
    int16_t base = 0;
    int16_t count = 0;
};

// Channel codes of the first record.
constexpr int16_t kChannelBound = -2;     // FE: the bound channel
constexpr int16_t kChannelBoundNext = -3; // FD: the bound channel plus 1
constexpr int16_t kChannelUnresolved = -1; // FF

// Reads one name from the cursor (see the file comment). Returns the character after
// '/' ('@', '#' or the parameter's first character), 0 when the name ended at ';' or
// the end; *slash tells whether a '/' followed the group. Never reads past the text.
VANTREL_CONSOLE_EXPORT QChar readName(const QString& text, int& cursor, QString& group,
                                      QString& param, bool* slash = nullptr);
// Two hexadecimal digits as a signed byte; false (cursor unchanged) when fewer than
// two remain or one is not a hexadecimal digit.
VANTREL_CONSOLE_EXPORT bool readHexSignedByte(const QString& text, int& cursor, int8_t& value);

// Any thread; no lock. The records of the text; none when the first record does not
// resolve (so a control bound to it stays unbound and hidden) or the text is shorter
// than two characters. A further record that does not resolve is left out; the bases
// of the records after it still count its channels. numChannels gives a first
// record's channel count (73 without it).
VANTREL_CONSOLE_EXPORT std::vector<Record> parse(const QString& text,
                                                 const std::function<int(int)>& numChannels = {});
// The same for a possibly null text, as a new[] array the receiver owns (null when
// nothing resolves); returns the record count.
VANTREL_CONSOLE_EXPORT int32_t parse(const QString* text, Record** records,
                                     const std::function<int(int)>& numChannels = {});

// Picks the record for the bound channel (an absolute first record, else the first
// whose channels contain it or that carries the '#' form) into current and applies
// its channel code and parameter modifier. Returns whether a record was chosen;
// without one, current keeps its earlier address unchanged.
VANTREL_CONSOLE_EXPORT bool chooseRecord(const Record* records, int count, int boundChannel,
                                         Record& current);

// A name without channel digits ("group/param") for a symbol query: the row's
// (packed) element and parameter, or false with both 0 when it does not resolve.
VANTREL_CONSOLE_EXPORT bool translateSymbolicName(const char* name, int16_t& element,
                                                  int16_t& parameter);

} // namespace NS_AddressParser

#pragma once
// Reads one value of a project's preferences or user-interface state from the toolkit's
// stream form. Those records hold flat values only; a container (a list nested
// thousands deep above all, which the toolkit's own reader follows by recursion until
// the stack runs out) or a type the program does not know is refused.
#include <QDataStream>
#include <QVariant>

namespace NS_DocumentValues {

// True with `out` set when the next value is one of the flat types below, written by
// this program's stream version. Otherwise false, with the stream's status set to
// ReadCorruptData for a refused type (ReadPastEnd when the stream ended) and `out`
// untouched. Any thread; no state.
bool readValue(QDataStream& stream, QVariant& out);

// Whether readValue takes values of this type.
bool isFlatType(int typeId);

} // namespace NS_DocumentValues

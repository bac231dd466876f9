#pragma once
// The one stream version of everything this program writes with QDataStream and reads
// back (the project's document, preferences and window state, the preset voice cache),
// whatever toolkit it is built with: a project saved by one build reads the same in
// another.
#include <QDataStream>

namespace NS_Utilities {

constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_0;

// A stream handed in by a caller is read or written at this program's version and
// given back at the caller's.
class TStreamVersionScope
{
public:
    explicit TStreamVersionScope(QDataStream& stream) : m_stream(stream), m_callers(stream.version())
    {
        stream.setVersion(kStreamVersion);
    }
    ~TStreamVersionScope() { m_stream.setVersion(m_callers); }
    TStreamVersionScope(const TStreamVersionScope&) = delete;
    TStreamVersionScope& operator=(const TStreamVersionScope&) = delete;

private:
    QDataStream& m_stream;
    int m_callers;
};

} // namespace NS_Utilities

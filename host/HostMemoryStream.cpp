#include "HostMemoryStream.h"
#include <QString>
#include <cstdio>
#include <cstring>

namespace NS_Host {

int32_t HostMemoryStream::Read(void* buffer, uint32_t length, uint32_t* done)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!buffer && length > 0)
        return NS_MPStatus::invalidArgument;
    const qsizetype left = m_bytes.size() - m_position;
    const qsizetype n = std::min<qsizetype>(left, qsizetype(length));
    if (n > 0)
        std::memcpy(buffer, m_bytes.constData() + m_position, size_t(n));
    m_position += n;
    if (done)
        *done = uint32_t(n);
    return NS_MPStatus::ok;
}

int32_t HostMemoryStream::Write(const void* buffer, uint32_t length, uint32_t* done)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!buffer && length > 0)
        return NS_MPStatus::invalidArgument;
    const qsizetype end = m_position + qsizetype(length);
    if (end > m_bytes.size())
        m_bytes.resize(end);
    if (length > 0)
        std::memcpy(m_bytes.data() + m_position, buffer, length);
    m_position = end;
    if (done)
        *done = length;
    return NS_MPStatus::ok;
}

QByteArray HostMemoryStream::bytes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_bytes;
}

qsizetype HostMemoryStream::position() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_position;
}

void HostMemoryStream::rewind()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_position = 0;
}

int32_t HostProgressHandler::MPProgress(uint32_t, uint32_t value, uint32_t maximum, const uint16_t* text)
{
    const QString message = text ? QString::fromUtf16(reinterpret_cast<const char16_t*>(text)) : QString();
    m_reachedEnd = maximum > 0 && value >= maximum;
    std::fprintf(stderr, "recall: %u/%u %s\n", value, maximum, qPrintable(message));
    return NS_MPStatus::ok;
}

void HostProgressHandler::restart()
{
    m_reachedEnd = false;
    m_finished = false;
    m_status = 0;
}

int32_t HostProgressHandler::MPFinished(uint32_t, int32_t status)
{
    m_status = status;
    m_finished = true;
    return NS_MPStatus::ok;
}

} // namespace NS_Host

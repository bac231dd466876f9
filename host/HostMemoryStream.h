#pragma once
// The project's stream for the component's document: bytes in memory, read from and
// written to the project file by the host.
#include "HostCounted.h"
#include <QByteArray>
#include <mutex>

namespace NS_Host {

class HostMemoryStream : public HostCounted<IStream>
{
public:
    HostMemoryStream() = default;
    explicit HostMemoryStream(const QByteArray& bytes) : m_bytes(bytes) {}

    // A short read reports the bytes there were; reading at the end gives 0 bytes.
    int32_t Read(void* buffer, uint32_t length, uint32_t* done) override;
    int32_t Write(const void* buffer, uint32_t length, uint32_t* done) override;

    QByteArray bytes() const;
    // How far the stream has been read or written.
    qsizetype position() const;
    void rewind();

private:
    mutable std::mutex m_mutex;
    QByteArray m_bytes;
    qsizetype m_position = 0;
};

class HostProgressHandler : public HostCounted<IMPClientProgressHandler>
{
public:
    int32_t MPProgress(uint32_t context, uint32_t value, uint32_t maximum, const uint16_t* text) override;
    int32_t MPFinished(uint32_t context, int32_t status) override;
    int32_t lastStatus() const { return m_status.load(); }
    bool finished() const { return m_finished.load(); }
    // The last step reported: a recall that ran through reports its maximum.
    bool reachedEnd() const { return m_reachedEnd.load(); }
    // A new recall begins: nothing reported yet.
    void restart();

private:
    std::atomic<bool> m_reachedEnd{false};
    std::atomic<int32_t> m_status{0};
    std::atomic<bool> m_finished{false};
};

} // namespace NS_Host

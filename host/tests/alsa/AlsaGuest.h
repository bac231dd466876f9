#pragma once
// What the tests against the kernel's sequencer share: the check that the sequencer is
// there (a failure rather than a skip where VANTREL_REQUIRE_ALSA is set, as in the
// guest the test command boots), the programs of alsa-utils at the other end, a host
// event filter that keeps every message it is given, and a reader of a virtual cable's
// raw side that empties it no faster than a MIDI cable.
#include "host/HostMidiPorts.h"
#include "genericeditor/interfaces/ComponentInterfaces.h"
#include "platform/MidiService.h"
#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <alsa/asoundlib.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace NS_AlsaTest {

using Bytes = std::vector<uint8_t>;

inline bool sequencerHere()
{
    const int fd = ::open("/dev/snd/seq", O_RDWR | O_NONBLOCK);
    if (fd < 0)
        return false;
    ::close(fd);
    return NS_Platform::MidiService::alsaAvailable();
}

inline bool sequencerRequired() { return qEnvironmentVariableIntValue("VANTREL_REQUIRE_ALSA") != 0; }

// First in a test: without the sequencer the test skips, or fails where it must run.
#define VANTREL_NEEDS_ALSA()                                                                   \
    do {                                                                                       \
        if (!NS_AlsaTest::sequencerHere()) {                                                   \
            if (NS_AlsaTest::sequencerRequired())                                              \
                FAIL() << "no ALSA sequencer (/dev/snd/seq) where VANTREL_REQUIRE_ALSA is set"; \
            GTEST_SKIP() << "no ALSA sequencer here (/dev/snd/seq)";                           \
        }                                                                                      \
    } while (false)

// Waits for the condition, turning the toolkit meanwhile; false when it did not come.
// The bounds are generous: the guest's processor is emulated.
inline bool waitFor(const std::function<bool()>& condition, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > ms)
            return condition();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// The sequencer's name of the raw MIDI device hw:<card>,<device> of snd-virmidi, and
// the device's name for amidi.
inline QString virmidiPort(int device) { return QStringLiteral("VirMIDI 0-%1").arg(device); }
inline QString virmidiDevice(int device) { return QStringLiteral("hw:0,%1").arg(device); }

// A program at the other end, ended when the test ends.
class Program
{
public:
    Program(const QString& program, const QStringList& arguments)
    {
        m_process.setProgram(program);
        m_process.setArguments(arguments);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        // Read as it comes, whenever the toolkit turns: a program whose pipe is full
        // would stop reading its MIDI too.
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput,
                         [this] { m_out += m_process.readAllStandardOutput(); });
    }
    ~Program() { stop(); }
    bool start()
    {
        m_process.start();
        return m_process.waitForStarted(30000);
    }
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        ::kill(pid_t(m_process.processId()), SIGCONT);
        m_process.terminate();
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
    }
    bool finish(int ms) { return m_process.waitForFinished(ms) && m_process.exitCode() == 0; }
    void pause() { ::kill(pid_t(m_process.processId()), SIGSTOP); }
    void resume() { ::kill(pid_t(m_process.processId()), SIGCONT); }
    // Everything it printed so far.
    QByteArray output()
    {
        m_out += m_process.readAllStandardOutput();
        return m_out;
    }
    QByteArray errors() { return m_process.readAllStandardError(); }
    QProcess& process() { return m_process; }

private:
    QProcess m_process;
    QByteArray m_out;
};

// Runs a program to its end; false when it failed. Its output goes to `out`.
inline bool runs(const QString& program, const QStringList& arguments, QByteArray* out = nullptr,
                 int ms = 120000)
{
    QProcess p;
    p.start(program, arguments);
    const bool ok = p.waitForFinished(ms) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (out)
        *out = p.readAllStandardOutput() + p.readAllStandardError();
    return ok;
}

inline QByteArray run(const QString& program, const QStringList& arguments)
{
    QByteArray out;
    return runs(program, arguments, &out) ? out : QByteArray();
}

// The bytes of hex text as aseqdump and amidi print them ("F0 43 10 .."), in order.
inline Bytes hexBytes(const QByteArray& text)
{
    Bytes out;
    for (const QByteArray& word : text.simplified().split(' ')) {
        bool ok = false;
        const uint value = word.toUInt(&ok, 16);
        if (ok && word.size() == 2)
            out.push_back(uint8_t(value));
    }
    return out;
}

// The host's number of the port of that name, 0 while it is not listed.
inline int32_t portNumber(const NS_Host::HostMidiPorts& ports, bool output, const QString& name)
{
    for (const NS_Host::HostPort& p : ports.ports(output))
        if (p.name == name)
            return p.number;
    return 0;
}

// One message out of the host's port, as the editor's port bridge sends it.
inline int32_t sendThroughHost(NS_Host::HostMidiPorts& ports, int32_t port, const Bytes& message)
{
    tagMPEVENT e;
    if (!NS_Host::HostMidiPorts::eventOfMessage(message, uint32_t(port), e))
        return NS_MPStatus::invalidArgument;
    const int32_t r = ports.MPOutputEvents(&e, 1);
    if (e.kind == NS_MPEventKind::sysex)
        std::free(e.data.sysex);
    return r;
}

// A system-exclusive message of `size` bytes in all, its data counting up from `seed`.
inline Bytes sysexOf(size_t size, uint8_t seed)
{
    Bytes m(size, 0);
    m.front() = 0xF0;
    for (size_t i = 1; i + 1 < size; ++i)
        m[i] = uint8_t((seed + i * 7 + i / 128) & 0x7F);
    m.back() = 0xF7;
    return m;
}

// The client number `aconnect -l` shows for a client of that name, -1 when none.
inline int clientNumber(const QString& name)
{
    const QByteArray listing = run(QStringLiteral("aconnect"), {QStringLiteral("-l")});
    for (const QByteArray& line : listing.split('\n')) {
        const QString text = QString::fromUtf8(line);
        const QString wanted = QStringLiteral("' [type=");
        if (text.startsWith(QStringLiteral("client ")) && text.contains(QLatin1Char('\'') + name + wanted))
            return text.mid(7, text.indexOf(QLatin1Char(':')) - 7).toInt();
    }
    return -1;
}

// Waits until `items`, guarded by `mutex` and told of by `changed`, holds n, or until
// nothing came for `quietMs`; true when n came.
template <typename Items>
bool waitForCount(std::mutex& mutex, std::condition_variable& changed, const Items& items, size_t n, int quietMs)
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        const size_t before = items.size();
        if (before >= n)
            return true;
        if (!changed.wait_for(lock, std::chrono::milliseconds(quietMs), [&] { return items.size() != before; }))
            return items.size() >= n;
    }
}

// Where two byte strings part: a line for a failure message.
inline std::string difference(const Bytes& got, const Bytes& wanted)
{
    size_t at = 0;
    while (at < got.size() && at < wanted.size() && got[at] == wanted[at])
        ++at;
    if (at == got.size() && at == wanted.size())
        return "equal";
    char line[160];
    std::snprintf(line, sizeof line, "%zu bytes for %zu; they differ from byte %zu (%02X for %02X)", got.size(),
                  wanted.size(), at, at < got.size() ? got[at] : 0, at < wanted.size() ? wanted[at] : 0);
    std::string text = line;
    // Where the 256-byte pieces from there on came from.
    for (size_t p = at / 256 * 256, n = 0; p < got.size() && n < 12; p += 256, ++n) {
        long from = -1;
        for (size_t q = 0; q + 256 <= wanted.size() && from < 0; q += 256)
            if (p + 256 <= got.size() && std::equal(got.begin() + long(p), got.begin() + long(p + 256), wanted.begin() + long(q)))
                from = long(q);
        text += " " + std::to_string(p) + "<-" + std::to_string(from);
    }
    return text;
}

// The whole F0 .. F7 messages of a byte stream; a message cut short by the next F0
// or a status byte is left out.
inline std::vector<Bytes> wholeMessages(const Bytes& stream)
{
    std::vector<Bytes> out;
    Bytes current;
    bool in = false;
    for (uint8_t b : stream) {
        if (b == 0xF0) {
            current.assign(1, b);
            in = true;
        } else if (in && b == 0xF7) {
            current.push_back(b);
            out.push_back(current);
            in = false;
        } else if (in && b < 0x80) {
            current.push_back(b);
        } else if (b < 0xF8) {
            in = false;
        }
    }
    return out;
}

// A plain sequencer client beside the one under test, subscribed to the same port: what
// the kernel handed out, byte for byte, as a reference. Its queue has the kernel's
// largest pool, and it does nothing but keep the bytes.
class SequencerTap
{
public:
    SequencerTap(int client, int port)
    {
        if (snd_seq_open(&m_seq, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0) {
            m_seq = nullptr;
            return;
        }
        snd_seq_set_client_name(m_seq, "Vantrel reference tap");
        snd_seq_set_client_pool_input(m_seq, 2000);
        const int own = snd_seq_create_simple_port(m_seq, "tap", SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_NO_EXPORT,
                                                   SND_SEQ_PORT_TYPE_APPLICATION);
        if (own < 0 || snd_seq_connect_from(m_seq, own, client, port) < 0) {
            snd_seq_close(m_seq);
            m_seq = nullptr;
            return;
        }
        // Room for a whole recall: no copying while a dump comes in.
        m_bytes.reserve(4u << 20);
        m_thread = std::thread([this] { run(); });
    }
    ~SequencerTap()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_seq)
            snd_seq_close(m_seq);
    }
    bool isOpen() const { return m_seq != nullptr; }
    Bytes bytes() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_bytes;
    }
    void clear()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bytes.clear();
        m_overruns = 0;
    }
    int overruns() const { return m_overruns.load(); }
    // Waits until n bytes came, or none came for `quietMs`: the kernel may lose some of
    // what amidi wrote.
    void settle(size_t n, int quietMs)
    {
        for (;;) {
            const size_t before = bytes().size();
            if (before >= n || !waitFor([&] { return bytes().size() != before; }, quietMs))
                return;
        }
    }

private:
    void run()
    {
        // As the backend's own reader: before the threads that make the load.
        sched_param realTime{};
        realTime.sched_priority = 10;
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &realTime);
        pollfd pfd{};
        snd_seq_poll_descriptors(m_seq, &pfd, 1, POLLIN);
        while (!m_stop) {
            poll(&pfd, 1, 50);
            for (;;) {
                snd_seq_event_t* ev = nullptr;
                const int r = snd_seq_event_input(m_seq, &ev);
                if (r == -ENOSPC) {
                    ++m_overruns;
                    continue;
                }
                if (r < 0 || !ev)
                    break;
                if (ev->type != SND_SEQ_EVENT_SYSEX)
                    continue;
                const auto* b = static_cast<const uint8_t*>(ev->data.ext.ptr);
                std::lock_guard<std::mutex> lock(m_mutex);
                m_bytes.insert(m_bytes.end(), b, b + ev->data.ext.len);
            }
        }
    }

    snd_seq_t* m_seq = nullptr;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_overruns{0};
    mutable std::mutex m_mutex;
    Bytes m_bytes;
};

// The host's event filter: keeps the bytes of every message it is given, in order.
class RecordingFilter : public IMPEventFilter
{
public:
    int32_t QueryInterface(const Y_GUID&, void** object) override
    {
        if (object)
            *object = nullptr;
        return NS_MPStatus::noInterface;
    }
    uint32_t AddRef() override { return 1; }
    uint32_t Release() override { return 1; }
    int32_t MPGetSupportedTimeFormats(_MPTIME_FORMAT*, _MPTIME_FORMAT*, uint32_t*) override { return 0; }
    int32_t MPSetTimeFormat(_MPTIME_FORMAT) override { return 0; }
    int32_t MPOnEvents(IMPEventQueue* queue, const tagMPQSTATUS&) override
    {
        std::vector<Bytes> got;
        tagMPEVENT e;
        uint32_t n = 0, more = 0;
        int32_t r = queue->MPGetFirstEvent(&n, &e, &more, NS_MPEventKind::queueMask);
        while (r == 0 && n) {
            got.push_back(NS_Host::HostMidiPorts::bytesOfEvent(e));
            if (e.kind == NS_MPEventKind::sysex)
                std::free(e.data.sysex);
            if (!more)
                break;
            r = queue->MPGetNextEvent(&n, &e, &more, NS_MPEventKind::queueMask);
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        for (Bytes& b : got)
            m_messages.push_back(std::move(b));
        m_changed.notify_all();
        return 0;
    }
    std::vector<Bytes> messages() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_messages;
    }
    size_t count() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_messages.size();
    }
    void clear()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_messages.clear();
    }
    // Waits until n messages came, or until no message came for `quietMs`.
    bool waitFor(size_t n, int quietMs) { return waitForCount(m_mutex, m_changed, m_messages, n, quietMs); }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Bytes> m_messages;
};

// Reads the raw side of a virtual cable as a cable's far end takes the bytes: never
// faster than 3125 bytes a second, from a buffer of 4 KB, as a hardware port buffers.
// What does not fit in the buffer is lost there, as on hardware.
class SlowCableReader
{
public:
    static constexpr double kBytesPerSecond = 3125.0;
    static constexpr size_t kBuffer = 4096;

    explicit SlowCableReader(const QString& device)
    {
        if (snd_rawmidi_open(&m_in, nullptr, device.toLatin1().constData(), SND_RAWMIDI_NONBLOCK) < 0) {
            m_in = nullptr;
            return;
        }
        snd_rawmidi_params_t* params;
        snd_rawmidi_params_alloca(&params);
        snd_rawmidi_params_current(m_in, params);
        snd_rawmidi_params_set_buffer_size(m_in, params, kBuffer);
        snd_rawmidi_params(m_in, params);
        // The kernel keeps what comes for a raw device only once its reader has read:
        // a first read, which finds nothing, opens the way before anything is sent.
        uint8_t first = 0;
        if (snd_rawmidi_read(m_in, &first, 1) == 1)
            m_bytes.push_back(first);
        m_thread = std::thread([this] { run(); });
    }
    ~SlowCableReader()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_in)
            snd_rawmidi_close(m_in);
    }
    bool isOpen() const { return m_in != nullptr; }
    Bytes bytes() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_bytes;
    }
    size_t size() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_bytes.size();
    }
    // Waits until n bytes came, or none came for `quietMs`.
    bool waitFor(size_t n, int quietMs) { return waitForCount(m_mutex, m_changed, m_bytes, n, quietMs); }

private:
    void run()
    {
        const auto start = std::chrono::steady_clock::now();
        size_t taken = size();
        uint8_t buffer[256];
        while (!m_stop) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            size_t allowed = size_t(seconds * kBytesPerSecond);
            while (taken < allowed) {
                const ssize_t n = snd_rawmidi_read(m_in, buffer, std::min(sizeof buffer, allowed - taken));
                if (n <= 0)
                    break;
                taken += size_t(n);
                std::lock_guard<std::mutex> lock(m_mutex);
                m_bytes.insert(m_bytes.end(), buffer, buffer + n);
                m_changed.notify_all();
            }
            // The cable stands idle while nothing waits: the time is not saved up.
            if (taken < allowed)
                taken = allowed;
        }
    }

    snd_rawmidi_t* m_in = nullptr;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    Bytes m_bytes;
};

// What ten runs of amidi into a cable came to.
struct AmidiRuns
{
    std::vector<size_t> messages; // what the host delivered, a run each
    int unchanged = 0;            // runs in which the kernel handed out the file as it is
    int again = 0;                // runs done again: the reference client lost bytes
};

// Sends the file into snd-virmidi's cable `device` with amidi, ten times, and checks that
// the host delivered each time what the kernel handed out, message for message. The
// kernel's raw MIDI write lets snd-virmidi read a buffer's old bytes while amidi's new
// ones are still being copied in, now and then, on more than one processor: what the
// sequencer handed out is what a plain client beside the host got.
inline void amidiTenTimes(int device, const QString& path, const Bytes& file, RecordingFilter& filter,
                          AmidiRuns& seen)
{
    SequencerTap kernel(clientNumber(QStringLiteral("Virtual Raw MIDI 0-%1").arg(device)), 0);
    ASSERT_TRUE(kernel.isOpen());
    const std::vector<Bytes> sent = wholeMessages(file);
    for (int run = 0; run < 10 && seen.again < 10; ++run) {
        filter.clear();
        kernel.clear();
        QByteArray said;
        ASSERT_TRUE(runs(QStringLiteral("amidi"), {QStringLiteral("-p"), virmidiDevice(device), QStringLiteral("-s"), path},
                         &said))
            << said.constData();
        kernel.settle(file.size(), 5000);
        if (kernel.overruns() > 0) {
            ++seen.again;
            --run;
            continue;
        }
        const std::vector<Bytes> handedOut = wholeMessages(kernel.bytes());
        ASSERT_GT(handedOut.size(), sent.size() * 9 / 10) << "run " << run << ": amidi's messages did not go out";
        seen.unchanged += handedOut == sent ? 1 : 0;
        filter.waitFor(handedOut.size(), 20000);
        const std::vector<Bytes> got = filter.messages();
        seen.messages.push_back(got.size());
        ASSERT_EQ(got.size(), handedOut.size()) << "run " << run;
        for (size_t i = 0; i < got.size(); ++i)
            ASSERT_TRUE(got[i] == handedOut[i]) << "run " << run << ", message " << i << ": "
                                                 << difference(got[i], handedOut[i]);
    }
    ASSERT_EQ(seen.messages.size(), 10u) << "the reference client lost bytes in " << seen.again << " runs";
}

// One line of the figures of such runs.
inline void printRuns(const char* what, const AmidiRuns& seen)
{
    std::printf("%s, messages per run:", what);
    for (size_t n : seen.messages)
        std::printf(" %zu", n);
    std::printf(" (the kernel handed out the file unchanged in %d of 10 runs; %d runs again)\n", seen.unchanged,
                seen.again);
}

} // namespace NS_AlsaTest

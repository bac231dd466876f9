#include "platform/AlsaMidiBackend.h"
#include "platform/MidiEndpointPair.h"
#include "platform/MidiService.h"
#include <gtest/gtest.h>
#include <QtGlobal>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <future>
#include <mutex>
#include <thread>
#include <unistd.h>

using namespace NS_Platform;

namespace {

std::unique_ptr<MidiService> openAlsa()
{
    const int fd = ::open("/dev/snd/seq", O_RDWR);
    if (fd < 0)
        return nullptr;
    ::close(fd);
    return MidiService::create("alsa");
}

#define VANTREL_SKIP_WITHOUT(alsa)                                                          \
    do {                                                                                    \
        if (!(alsa) && qEnvironmentVariableIntValue("VANTREL_REQUIRE_ALSA"))                \
            FAIL() << "no ALSA sequencer (/dev/snd/seq) where VANTREL_REQUIRE_ALSA is set"; \
        if (!(alsa))                                                                        \
            GTEST_SKIP() << "no ALSA sequencer here (/dev/snd/seq)";                        \
    } while (false)

} // namespace

TEST(AlsaMidiBackend, LoopsBackThroughAnOwnEndpointPair)
{
    auto alsa = openAlsa();
    VANTREL_SKIP_WITHOUT(alsa);
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<uint8_t> got;
    MidiEndpointPair pair(*alsa, "Vantrel Loop", [&](const MidiPacketList& list, void*) {
        std::lock_guard<std::mutex> lock(mutex);
        for (const MidiPacket& p : list)
            got.insert(got.end(), p.bytes.begin(), p.bytes.end());
        cv.notify_all();
    });
    ASSERT_TRUE(pair.isValid());

    MidiRef client = 0, out = 0;
    ASSERT_EQ(alsa->createClient("MIDI Client", &client), kMidiNoError);
    ASSERT_EQ(alsa->createOutputPort(client, "out", &out), kMidiNoError);
    MidiRef dest = 0;
    for (int i = 0; i < alsa->numberOfDestinations(); ++i)
        if (alsa->endpointName(alsa->destination(i)) == "Vantrel Loop")
            dest = alsa->destination(i);
    ASSERT_NE(dest, 0u);
    MidiPacket p;
    p.bytes = {0x90, 0x3C, 0x64, 0xF0, 0x43, 0x10, 0x01, 0xF7};
    ASSERT_EQ(alsa->send(out, dest, {p}), kMidiNoError);
    std::unique_lock<std::mutex> lock(mutex);
    ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(5), [&] { return got.size() >= 8; }));
    EXPECT_EQ(got, p.bytes);
    lock.unlock();
    alsa->disposeClient(client);
}

TEST(AlsaMidiBackend, AReaderWhosePollFailsEndsSendsFailFromThenOnAndDisposeReturns)
{
    std::atomic<bool> failing{false};
    setAlsaReaderForTesting(
        [&](pollfd* fds, nfds_t count, int timeoutMs) {
            if (failing) {
                errno = EBADF;
                return -1;
            }
            return ::poll(fds, count, timeoutMs);
        },
        0);
    auto alsa = openAlsa();
    setAlsaReaderForTesting({}, 0);
    VANTREL_SKIP_WITHOUT(alsa);
    auto pair = std::make_unique<MidiEndpointPair>(*alsa, "Vantrel Loop", [](const MidiPacketList&, void*) {});
    MidiRef client = 0, out = 0, dest = 0;
    ASSERT_EQ(alsa->createClient("MIDI Client", &client), kMidiNoError);
    ASSERT_EQ(alsa->createOutputPort(client, "out", &out), kMidiNoError);
    for (int i = 0; i < alsa->numberOfDestinations(); ++i)
        if (alsa->endpointName(alsa->destination(i)) == "Vantrel Loop")
            dest = alsa->destination(i);
    ASSERT_NE(dest, 0u);
    failing = true;
    MidiRef other = 0;
    alsa->createClient("Wakes the reader", &other); // its next poll() fails
    // An empty send fails once the reader has ended, and sends nothing before.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (alsa->send(out, dest, {}) == kMidiNoError && std::chrono::steady_clock::now() < until)
        std::this_thread::yield();
    MidiPacket p;
    p.bytes = {0x90, 0x3C, 0x64};
    EXPECT_NE(alsa->send(out, dest, {p}), kMidiNoError) << "sends went on after the reader ended";
    // Disposing does not wait for the reader that has gone.
    std::promise<int32_t> result;
    std::future<int32_t> disposed = result.get_future();
    MidiService* service = alsa.get();
    std::thread([service, client, r = std::move(result)]() mutable { r.set_value(service->disposeClient(client)); })
        .detach();
    if (disposed.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        pair.release(); // they wait for ever: the process ends without them
        alsa.release();
        FAIL() << "disposeClient did not return";
    }
    EXPECT_EQ(disposed.get(), kMidiNoError);
}

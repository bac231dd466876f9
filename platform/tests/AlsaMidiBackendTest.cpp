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

} // namespace

TEST(AlsaMidiBackend, LoopsBackThroughAnOwnEndpointPair)
{
    auto alsa = openAlsa();
    if (!alsa && qEnvironmentVariableIntValue("VANTREL_REQUIRE_ALSA"))
        FAIL() << "no ALSA sequencer (/dev/snd/seq) where VANTREL_REQUIRE_ALSA is set";
    if (!alsa)
        GTEST_SKIP() << "no ALSA sequencer here (/dev/snd/seq)";
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
            errno = EBADF;
            return failing ? -1 : ::poll(fds, count, timeoutMs);
        },
        0);
    auto alsa = openAlsa();
    setAlsaReaderForTesting({}, 0);
    if (!alsa && qEnvironmentVariableIntValue("VANTREL_REQUIRE_ALSA"))
        FAIL() << "no ALSA sequencer (/dev/snd/seq) where VANTREL_REQUIRE_ALSA is set";
    if (!alsa)
        GTEST_SKIP() << "no ALSA sequencer here (/dev/snd/seq)";
    MidiRef client = 0, out = 0, dest = 0, other = 0;
    ASSERT_EQ(alsa->createClient("MIDI Client", &client), kMidiNoError);
    ASSERT_EQ(alsa->createOutputPort(client, "out", &out), kMidiNoError);
    ASSERT_EQ(alsa->createDestination(client, "in", [](const MidiPacketList&, void*) {}, nullptr, &dest), kMidiNoError);
    failing = true;
    alsa->createClient("Wakes the reader", &other); // its next poll() fails
    // An empty send fails once the reader has ended, and sends nothing before.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (alsa->send(out, dest, {}) == kMidiNoError && std::chrono::steady_clock::now() < until)
        std::this_thread::yield();
    EXPECT_NE(alsa->send(out, dest, {MidiPacket{0, {0x90, 0x3C, 0x64}}}), kMidiNoError) << "sends went on";
    // Disposing does not wait for the reader that has gone.
    std::promise<int32_t> result;
    std::future<int32_t> disposed = result.get_future();
    std::thread([service = alsa.get(), client, r = std::move(result)]() mutable {
        r.set_value(service->disposeClient(client));
    }).detach();
    if (disposed.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        alsa.release(); // its threads wait for ever: the process ends without them
        FAIL() << "disposeClient did not return";
    }
    EXPECT_EQ(disposed.get(), kMidiNoError);
}

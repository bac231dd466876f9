#include "platform/MidiEndpointPair.h"
#include "platform/MidiService.h"
#include <gtest/gtest.h>
#include <QtGlobal>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
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

#include "platform/MidiCablePacer.h"
#include <gtest/gtest.h>

using NS_Platform::MidiCablePacer;
using Clock = MidiCablePacer::Clock;
using namespace std::chrono;

namespace {

struct PaceCase
{
    const char* name;
    std::vector<size_t> pieces; // sent one after the other, each at its due time
    milliseconds pauseBefore;   // the sender is idle this long before piece `pauseAt`
    size_t pauseAt;
};

class Pacing : public ::testing::TestWithParam<PaceCase>
{
};

} // namespace

// A sender that sends every piece as soon as it is due: in no stretch of time do more
// bytes leave than the cable carries then, plus the piece under way; and a pause is not
// made up for afterwards.
TEST_P(Pacing, NoStretchCarriesMoreThanTheCable)
{
    const PaceCase& c = GetParam();
    MidiCablePacer pacer;
    Clock::time_point now{};
    std::vector<std::pair<Clock::time_point, size_t>> sent;
    for (size_t i = 0; i < c.pieces.size(); ++i) {
        if (i == c.pauseAt)
            now += c.pauseBefore;
        now = pacer.due(now);
        pacer.sent(c.pieces[i], now);
        sent.emplace_back(now, c.pieces[i]);
    }
    size_t largest = 0;
    for (size_t p : c.pieces)
        largest = std::max(largest, p);
    for (size_t from = 0; from < sent.size(); ++from) {
        size_t bytes = 0;
        for (size_t to = from; to < sent.size(); ++to) {
            bytes += sent[to].second;
            const double window = duration<double>(sent[to].first - sent[from].first).count();
            EXPECT_LE(double(bytes), window * MidiCablePacer::kCableBytesPerSecond + double(largest) + 1.0)
                << "pieces " << from << " to " << to;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, Pacing,
    ::testing::Values(PaceCase{"CablePieces", std::vector<size_t>(64, 256), milliseconds(0), 0},
                      PaceCase{"SmallMessages", std::vector<size_t>(300, 9), milliseconds(0), 0},
                      PaceCase{"PauseInTheMiddle", std::vector<size_t>(40, 256), milliseconds(5000), 20},
                      PaceCase{"MixedSizes", {256, 9, 9, 256, 3, 128, 256, 1, 256, 256}, milliseconds(0), 0}),
    [](const ::testing::TestParamInfo<PaceCase>& info) { return info.param.name; });

TEST(MidiCablePacer, TheFirstBytesLeaveAtOnceAndTheNextWhenTheCableHasCarriedThem)
{
    MidiCablePacer pacer;
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(pacer.due(start), start);
    pacer.sent(3125, start);
    EXPECT_EQ(duration_cast<milliseconds>(pacer.due(start) - start).count(), 1000);
    // Late: due at once, and the cable's time starts from then.
    const Clock::time_point late = start + seconds(3);
    EXPECT_EQ(pacer.due(late), late);
    pacer.sent(625, late);
    EXPECT_EQ(duration_cast<milliseconds>(pacer.due(late) - late).count(), 200);
}

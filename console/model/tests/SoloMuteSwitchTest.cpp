// Solo, mute, insertion and part switches of the multi map: what reaches the
// instrument, what the image keeps and what the views are told.
#include "PrmCtrlTestSupport.h"

#include <gtest/gtest.h>
#include <map>

namespace {

constexpr unsigned char kVolume = 0x0D;

// Part -> value of every part-volume change in the captured messages, in order.
std::vector<std::pair<int, int>> sentVolumes(const CapturePort& port)
{
    std::vector<std::pair<int, int>> out;
    for (const QByteArray& m : port.sent) {
        if (m.size() == 9 && uchar(m[0]) == 0xF0 && uchar(m[4]) == 0x37 && uchar(m[6]) == kVolume)
            out.emplace_back(uchar(m[5]), uchar(m[7]));
    }
    return out;
}

std::map<int, int> lastVolumes(const CapturePort& port)
{
    std::map<int, int> out;
    for (const auto& [part, value] : sentVolumes(port))
        out[part] = value;
    return out;
}

class SoloMuteTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(maps.multiOk) << maps.multi->ErrorText().toStdString();
        map = maps.multi.get();
        for (int p = 0; p < 16; ++p)
            storeVolume(p, 0x10 + p, MIDI_OFF);
        drainChanges(*map);
        maps.port.sent.clear();
    }
    void storeVolume(int part, int value, MIDIFLAG midi)
    {
        const unsigned char adrs[3] = {0x37, (unsigned char)part, kVolume};
        const unsigned char v[1] = {(unsigned char)value};
        bool linked = false;
        ASSERT_TRUE(map->SetData(0, adrs, v, linked, LINK_OFF, midi, false, 0));
    }
    int storedVolume(int part) const
    {
        const unsigned char adrs[3] = {0x37, (unsigned char)part, kVolume};
        unsigned char v[1] = {0xFF};
        return map->GetData(0, adrs, v) ? v[0] : -1;
    }

    RuleMaps maps{QByteArray(readAll(shippedMultiTemplate())), false};
    CPrmCtrl* map = nullptr;
};

} // namespace

TEST_F(SoloMuteTest, SoloSequenceSendsTheVolumesWhileTheImageKeepsTheTrueOnes)
{
    map->SetSoloStatus(2, true, true);
    auto sent = lastVolumes(maps.port);
    ASSERT_EQ(sent.size(), 16u);
    for (int p = 0; p < 16; ++p)
        EXPECT_EQ(sent[p], p == 2 ? 0x12 : 0) << "part " << p;

    maps.port.sent.clear();
    map->SetSoloStatus(5, true, true);
    EXPECT_EQ(sentVolumes(maps.port), (std::vector<std::pair<int, int>>{{5, 0x15}}));

    maps.port.sent.clear();
    map->SetSoloStatus(2, false, true);
    EXPECT_EQ(sentVolumes(maps.port), (std::vector<std::pair<int, int>>{{2, 0}}));

    // A mute while another part is soloed sends nothing and holds after the solo ends.
    maps.port.sent.clear();
    map->SetMuteStatus(7, true, true);
    EXPECT_TRUE(maps.port.sent.isEmpty());
    map->SetSoloStatus(5, false, true);
    sent = lastVolumes(maps.port);
    ASSERT_EQ(sent.size(), 16u);
    for (int p = 0; p < 16; ++p)
        EXPECT_EQ(sent[p], p == 7 ? 0 : 0x10 + p) << "part " << p;

    for (int p = 0; p < 16; ++p)
        EXPECT_EQ(storedVolume(p), 0x10 + p);
    EXPECT_TRUE(map->IsMuteStatus(7));
    EXPECT_FALSE(map->IsSoloMode());

    const auto changes = drainChanges(*map);
    for (Change c : {Change{1, 2, 1}, Change{1, 5, 1}, Change{1, 7, 0}})
        EXPECT_TRUE(containsChange(changes, c)) << c.element << "/" << c.channel << "/" << c.parameter;
}

TEST_F(SoloMuteTest, AVolumeWrittenWhileMutedIsStoredAndSentOnUnmute)
{
    map->SetMuteStatus(4, true, true);
    EXPECT_EQ(sentVolumes(maps.port), (std::vector<std::pair<int, int>>{{4, 0}}));
    maps.port.sent.clear();
    storeVolume(4, 0x33, MIDI_ON);
    EXPECT_TRUE(maps.port.sent.isEmpty());
    EXPECT_EQ(storedVolume(4), 0x33);
    map->SetMuteStatus(4, false, true);
    EXPECT_EQ(sentVolumes(maps.port), (std::vector<std::pair<int, int>>{{4, 0x33}}));

    // Without `send` only the flag changes.
    maps.port.sent.clear();
    map->SetMuteStatus(9, true, false);
    EXPECT_TRUE(maps.port.sent.isEmpty());
    EXPECT_TRUE(map->IsMuteStatus(9));
}

TEST_F(SoloMuteTest, ResetRestoresEveryVolumeOnlyWhenSomethingWasSet)
{
    map->ResetSoloMuteMode();
    EXPECT_TRUE(maps.port.sent.isEmpty());

    map->SetMuteStatus(1, true, true);
    map->SetSoloStatus(3, true, true);
    maps.port.sent.clear();
    drainChanges(*map);
    map->ResetSoloMuteMode();
    const auto sent = lastVolumes(maps.port);
    ASSERT_EQ(sent.size(), 16u);
    for (int p = 0; p < 16; ++p)
        EXPECT_EQ(sent.at(p), 0x10 + p);
    EXPECT_FALSE(map->IsMuteStatus(1));
    EXPECT_FALSE(map->IsSoloStatus(3));
    EXPECT_TRUE(drainChanges(*map).empty());
}

TEST_F(SoloMuteTest, PartsOutsideTheVolumeListStoreNothingButAreStillQueued)
{
    map->SetMuteStatus(16, true, true);
    map->SetSoloStatus(-1, true, true);
    EXPECT_TRUE(maps.port.sent.isEmpty());
    EXPECT_FALSE(map->IsMuteStatus(16));
    const auto changes = drainChanges(*map);
    EXPECT_TRUE(containsChange(changes, {1, 16, 0}));
}

TEST_F(SoloMuteTest, ANinthInsertionSwitchIsRefused)
{
    for (int p = 0; p < 8; ++p)
        map->SetInsertStatus(p, true);
    for (int p = 0; p < 8; ++p)
        EXPECT_TRUE(map->IsInsertStatus(p)) << p;
    maps.port.sent.clear();
    drainChanges(*map);

    map->SetInsertStatus(12, true);
    EXPECT_FALSE(map->IsInsertStatus(12));
    EXPECT_TRUE(containsChange(drainChanges(*map), {1, 12, 2}));

    // Switching one off makes room again; the change is sent as the whole bit field.
    map->SetInsertStatus(3, false);
    map->SetInsertStatus(12, true);
    EXPECT_FALSE(map->IsInsertStatus(3));
    EXPECT_TRUE(map->IsInsertStatus(12));
    ASSERT_FALSE(maps.port.sent.isEmpty());
    const QByteArray last = maps.port.sent.last();
    ASSERT_EQ(last.size(), 11);
    EXPECT_EQ(last.mid(4, 3), hexBytes("36 00 60"));
    unsigned char midi[3];
    std::memcpy(midi, last.constData() + 7, 3);
    const unsigned char adrs[3] = {0x36, 0x00, 0x60};
    unsigned char data[3] = {};
    ASSERT_TRUE(map->MidiToData(0, adrs, midi, data));
    EXPECT_EQ(CPrmCtrl::GetCnvData(3, data), 0xF7 | (1 << 12));
}

TEST_F(SoloMuteTest, BoardOnlyInsertionBitsAreForcedOff)
{
    // Bits 18 and 19 set as a loaded document may carry them.
    const auto storeInsertBits = [&](uint32_t bits) {
        const unsigned char adrs[3] = {0x36, 0x00, 0x60};
        PRMINFO info;
        ASSERT_TRUE(map->GetPrmInfo(0, adrs, info));
        unsigned char data[8] = {}, midi[8] = {};
        CPrmCtrl::GetData(int(bits), data, info.size);
        ASSERT_TRUE(map->DataToMidi(0, adrs, data, midi));
        bool linked = false;
        ASSERT_TRUE(map->SetData(0, adrs, midi, linked, LINK_OFF, MIDI_OFF, false, 0));
    };
    storeInsertBits(1u << 18 | 1u << 19);
    ASSERT_TRUE(map->IsInsertStatus(18));
    ASSERT_TRUE(map->IsInsertStatus(19));
    map->SetInsertStatus(18, true);
    EXPECT_FALSE(map->IsInsertStatus(18));
    EXPECT_TRUE(map->IsInsertStatus(19));
    map->SetInsertStatus(16, true);
    EXPECT_TRUE(map->IsInsertStatus(16));
    map->SetInsertStatus(40, true);  // beyond the bit field: nothing
    EXPECT_FALSE(map->IsInsertStatus(40));

    storeInsertBits(1u << 16 | 1u << 18 | 1u << 19);
    map->ClearIrrelevantStatus();
    EXPECT_FALSE(map->IsInsertStatus(18));
    EXPECT_FALSE(map->IsInsertStatus(19));
    EXPECT_TRUE(map->IsInsertStatus(16));
}

TEST_F(SoloMuteTest, PartSwitchesSetTheirBitAndQueueElementTwo)
{
    const unsigned char sw2[3] = {0x37, 0x06, 0x20};
    unsigned char before[1] = {};
    ASSERT_TRUE(map->GetData(0, sw2, before));
    const bool was = map->IsPartSwitchStatus(6, 11);
    map->SetPartSwitchStatus(6, 11, !was);
    EXPECT_EQ(map->IsPartSwitchStatus(6, 11), !was);
    unsigned char after[1] = {};
    ASSERT_TRUE(map->GetData(0, sw2, after));
    EXPECT_EQ(before[0] ^ after[0], 1 << 3);
    EXPECT_TRUE(containsChange(drainChanges(*map), {2, 6, 11}));
    // A switch whose byte is not a parameter changes nothing and queues nothing.
    map->SetPartSwitchStatus(6, 216, true);  // 37 06 3A lies beyond the part block
    EXPECT_FALSE(map->IsPartSwitchStatus(6, 216));
    EXPECT_TRUE(drainChanges(*map).empty());
}

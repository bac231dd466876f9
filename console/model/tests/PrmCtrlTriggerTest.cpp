// The voice-select trigger: writing a part's program number copies the chosen voice's
// parameters from the voice map into the part, and re-sends them on request.
#include "PrmCtrlTestSupport.h"
#include "console/model/VceMem.h"

#include <gtest/gtest.h>
#include <array>

namespace {

class TriggerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(maps.multiOk) << maps.multi->ErrorText().toStdString();
        ASSERT_TRUE(maps.voiceOk) << maps.voice->ErrorText().toStdString();
        multi = maps.multi.get();
        // Voice 5 of the first normal user bank (category 0).
        storeVoice(0, 5, {0x40, 0x00, 0x0C}, 0x22);
        storeVoice(0, 5, {0x41, 0x00, 0x00}, 0x33);
        storeVoice(0, 5, {0x41, 0x00, 0x01}, 0x44);
        selectBank(3, 0x3F, 0x00);
        drainChanges(*multi);
        maps.port.sent.clear();
    }
    void storeVoice(int cat, int voice, std::array<unsigned char, 3> a, unsigned char v)
    {
        int count = 0, size = 0;
        ASSERT_TRUE(maps.voice->VceMem()->SetData(cat, voice, a.data(), &v, count, size));
    }
    void selectBank(int part, unsigned char msb, unsigned char lsb)
    {
        const unsigned char m[3] = {0x37, (unsigned char)part, 0x00}, l[3] = {0x37, (unsigned char)part, 0x01};
        bool linked = false;
        ASSERT_TRUE(multi->SetData(0, m, &msb, linked, LINK_OFF, MIDI_OFF, false, 0));
        ASSERT_TRUE(multi->SetData(0, l, &lsb, linked, LINK_OFF, MIDI_OFF, false, 0));
    }
    int part(int p, unsigned char prm) const
    {
        const unsigned char a[3] = {0x37, (unsigned char)p, prm};
        unsigned char v[1] = {};
        return multi->GetData(0, a, v) ? v[0] : -1;
    }
    bool trigger(int p, unsigned char program)
    {
        const unsigned char a[3] = {0x37, (unsigned char)p, 0x02};
        return multi->CheckTriggerAddres(0, a, 3, 1, &program, false);
    }

    RuleMaps maps{multiWithRules()};
    CPrmCtrl* multi = nullptr;
};

} // namespace

TEST_F(TriggerTest, ProgramChangeCopiesTheVoiceIntoThePartAndQueuesIt)
{
    ASSERT_TRUE(trigger(3, 5));
    EXPECT_EQ(part(3, 0x0E), 0x22);
    EXPECT_EQ(part(3, 0x17), 0x33);
    EXPECT_EQ(part(3, 0x18), 0x44);
    EXPECT_NE(part(4, 0x17), 0x33);  // only the triggered part
    EXPECT_TRUE(maps.port.sent.isEmpty());  // copies are stored, not sent
    EXPECT_EQ(drainChanges(*multi), (std::vector<Change>{{0x37, 3, 0x0E}, {0x37, 3, 0x17}, {0x37, 3, 0x18}}));
}

TEST_F(TriggerTest, UnknownBanksOtherAddressesAndAMissingVoiceMapCopyNothing)
{
    selectBank(3, 0x12, 0x34);
    EXPECT_FALSE(trigger(3, 5));
    const unsigned char pan[3] = {0x37, 0x03, 0x0E};
    const unsigned char v[1] = {5};
    EXPECT_FALSE(multi->CheckTriggerAddres(0, pan, 3, 1, v, false));
    EXPECT_TRUE(drainChanges(*multi).empty());

    selectBank(3, 0x3F, 0x00);
    multi->SetVoiceMap(nullptr);
    const int before = part(3, 0x17);
    EXPECT_TRUE(trigger(3, 5));
    EXPECT_EQ(part(3, 0x17), before);
    // A voice number beyond the bank copies nothing either.
    multi->SetVoiceMap(maps.voice.get());
    EXPECT_TRUE(trigger(3, 200));
    EXPECT_EQ(part(3, 0x17), before);
}

TEST_F(TriggerTest, ResendModeSendsThePartsVoiceParametersAndClearsTheFlag)
{
    ASSERT_TRUE(trigger(3, 5));
    drainChanges(*multi);
    multi->SetResendFlag(true);
    const unsigned char program[3] = {0x37, 0x03, 0x02};
    unsigned char* bytes = nullptr;
    unsigned char size = 0;
    ASSERT_TRUE(multi->GetData(0, program, bytes, size));
    EXPECT_FALSE(multi->IsResendFlag());
    ASSERT_EQ(maps.port.sent.size(), 3);
    EXPECT_EQ(maps.port.sent[0].mid(4, 4), hexBytes("37 03 0E 22"));
    EXPECT_EQ(maps.port.sent[1].mid(4, 4), hexBytes("37 03 17 33"));
    EXPECT_EQ(maps.port.sent[2].mid(4, 4), hexBytes("37 03 18 44"));
    EXPECT_EQ(drainChanges(*multi).size(), 3u);
}

TEST_F(TriggerTest, TheResendFlagIsClearedEvenByARunThatStopsEarly)
{
    multi->SetResendFlag(true);
    const unsigned char pan[3] = {0x37, 0x03, 0x0E};
    unsigned char* bytes = nullptr;
    unsigned char size = 0;
    ASSERT_TRUE(multi->GetData(0, pan, bytes, size));
    EXPECT_FALSE(multi->IsResendFlag());
    // A later read of a trigger no longer re-sends.
    const unsigned char program[3] = {0x37, 0x03, 0x02};
    ASSERT_TRUE(multi->GetData(0, program, bytes, size));
    EXPECT_TRUE(maps.port.sent.isEmpty());
}

TEST_F(TriggerTest, AfterAMultiDumpPartsWithUnknownBanksAreResetToTheFirstBank)
{
    for (int p = 0; p < 16; ++p)
        selectBank(p, 0x3F, 0x01);
    EXPECT_FALSE(multi->CopyParamSet());
    EXPECT_TRUE(maps.port.sent.isEmpty());

    storeVoice(0, 0, {0x41, 0x00, 0x00}, 0x55);
    selectBank(4, 0x12, 0x34);
    const unsigned char program[3] = {0x37, 0x04, 0x02}, seven[1] = {7};
    bool linked = false;
    ASSERT_TRUE(multi->SetData(0, program, seven, linked, LINK_OFF, MIDI_OFF, false, 0));
    EXPECT_TRUE(multi->CopyParamSet());
    EXPECT_EQ(part(4, 0x00), 0x3F);
    EXPECT_EQ(part(4, 0x01), 0x00);
    EXPECT_EQ(part(4, 0x02), 0x00);
    EXPECT_EQ(part(4, 0x17), 0x55);  // voice 0 of the first bank
    ASSERT_EQ(maps.port.sent.size(), 3);
    EXPECT_EQ(maps.port.sent[0].mid(4, 4), hexBytes("37 04 00 3F"));
    EXPECT_EQ(maps.port.sent[1].mid(4, 4), hexBytes("37 04 01 00"));
    EXPECT_EQ(maps.port.sent[2].mid(4, 4), hexBytes("37 04 02 00"));
}

TEST(PrmCtrlTrigger, TheShippedRulesCopyANormalUserVoice)
{
    RuleMaps maps(readAll(shippedMultiTemplate()));
    ASSERT_TRUE(maps.multiOk && maps.voiceOk);
    CPrmCtrl& multi = *maps.multi;
    const int set = multi.CopyPrmInfo().GetCopyParamInfoIndex(0x3F, 0x00);
    ASSERT_GE(set, 0);
    std::vector<PRM_ADDRESS> src, dst;
    ASSERT_TRUE(multi.CopyPrmInfo().GetPrmCopyAddress(set, 2, 3, &src, &dst));
    ASSERT_FALSE(src.empty());
    // Give voice 9 of the bank a distinct value for every copied parameter.
    const int cat = multi.CopyPrmInfo().GetCategoryNo(0x3F, 0x00);
    for (size_t i = 0; i < src.size(); ++i) {
        PRMINFO info;
        ASSERT_TRUE(multi.GetPrmInfo(short(dst[i].category), reinterpret_cast<const unsigned char*>(dst[i].address.constData()), info));
        unsigned char v = info.maximum ? info.maximum[0] : 0;
        int count = 0, size = 0;
        ASSERT_TRUE(maps.voice->VceMem()->SetData(cat, 9, reinterpret_cast<const unsigned char*>(src[i].address.constData()), &v, count, size));
    }
    const unsigned char msb[3] = {0x37, 0x02, 0x00}, lsb[3] = {0x37, 0x02, 0x01}, program[3] = {0x37, 0x02, 0x02};
    const unsigned char m = 0x3F, l = 0x00, nine = 9;
    bool linked = false;
    ASSERT_TRUE(multi.SetData(0, msb, &m, linked, LINK_OFF, MIDI_OFF, false, 0));
    ASSERT_TRUE(multi.SetData(0, lsb, &l, linked, LINK_OFF, MIDI_OFF, false, 0));
    ASSERT_TRUE(multi.CheckTriggerAddres(0, program, 3, 1, &nine, false));
    for (size_t i = 0; i < dst.size(); ++i) {
        PRMINFO info;
        const auto* a = reinterpret_cast<const unsigned char*>(dst[i].address.constData());
        ASSERT_TRUE(multi.GetPrmInfo(0, a, info));
        unsigned char out[1] = {};
        ASSERT_TRUE(multi.GetData(0, a, out));
        EXPECT_EQ(out[0], info.maximum[0]) << i;
    }
}

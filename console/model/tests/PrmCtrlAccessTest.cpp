// Run-time operations of one map: ports, dirty queries, the edit buffer's origin and
// the columns of the voice lists.
#include "PrmCtrlTestSupport.h"
#include "console/model/VceMem.h"

#include <gtest/gtest.h>

TEST(PrmCtrlAccess, PortsAreNullWhileSuppressedAndBeyondTheTwoPorts)
{
    CPrmCtrl map;
    CapturePort a, b;
    map.SetMIDI(&a, 0);
    map.SetMIDI(&b, 1);
    map.SetMIDI(&a, 2);
    EXPECT_EQ(map.MIDI(0), &a);
    EXPECT_EQ(map.MIDI(1), &b);
    EXPECT_EQ(map.MIDI(2), nullptr);
    EXPECT_EQ(map.MIDI(-1), nullptr);
    map.SuppressMIDI(true);
    EXPECT_EQ(map.MIDI(1), nullptr);
    map.SuppressMIDI(false);
    EXPECT_EQ(map.MIDI(1), &b);
    EXPECT_EQ(map.ChangeParam(nullptr), 0);
}

TEST(PrmCtrlAccess, DirtyQueriesAnswerZeroBeyondTheLists)
{
    RuleMaps maps(readAll(shippedMultiTemplate()), false);
    ASSERT_TRUE(maps.multiOk);
    CPrmCtrl& map = *maps.multi;
    unsigned char blockFlag = 0xEE;
    unsigned char* flags = nullptr;
    EXPECT_EQ(map.GetBlkAndParamDirtyFlag(map.GetBlkCount(), blockFlag, flags), 0);
    EXPECT_EQ(map.GetBlkAndParamDirtyFlag(-1, blockFlag, flags), 0);
    EXPECT_EQ(blockFlag, 0xEE);
    EXPECT_EQ(map.GetBlkAndParamDirtyFlag(1, blockFlag, flags), map.GetBlkParamCount(1));
    EXPECT_EQ(map.GetBlkParamCount(map.GetBlkCount()), 0);
    EXPECT_EQ(map.GetParamDirtyFlag(1, 100000), 0);

    const unsigned char pan[3] = {0x37, 0x03, 0x0E}, none[3] = {0x37, 0x03, 0x7F};
    const int block = map.GetBlkNumber(pan);
    const unsigned char before = map.GetParamDirtyFlag(block, 0x0E);
    EXPECT_TRUE(map.SetParamDirtyFlag(0, pan, 1));
    EXPECT_EQ(map.GetParamDirtyFlag(block, 0x0E), before);
    EXPECT_FALSE(map.SetParamDirtyFlag(0, none, 1));
}

TEST(PrmCtrlAccess, TheEditBufferOriginPrefersTheRecordedVoice)
{
    RuleMaps maps(readAll(shippedMultiTemplate()));
    ASSERT_TRUE(maps.voiceOk);
    CPrmCtrl& voice = *maps.voice;
    short type = 9, cat = 9, v = 9;
    EXPECT_EQ(voice.GetEditBufferInfo(type, cat, v), -1);
    EXPECT_EQ(type, 0);
    EXPECT_EQ(cat, 0);
    EXPECT_EQ(v, 0);

    voice.SetEditBufferBankType(1);
    ASSERT_EQ(voice.GetEditBufferInfo(type, cat, v), 1);
    EXPECT_EQ(type, 1);
    EXPECT_EQ(cat, voice.VceMem()->FindCategoryByTemplate(1));
    EXPECT_EQ(v, 0);

    voice.SetEditBufferOrigin(2, 7);
    ASSERT_EQ(voice.GetEditBufferInfo(type, cat, v), 0);
    EXPECT_EQ(cat, 2);
    EXPECT_EQ(v, 7);

    voice.SetEditBufferOrigin(short(0xFFFF), 0);
    voice.SetEditBufferBankType(99);  // no category of that type
    EXPECT_EQ(voice.GetEditBufferInfo(type, cat, v), -1);
}

TEST(PrmCtrlAccess, VoiceListColumnsShowNameValueAndNumber)
{
    RuleMaps maps(readAll(shippedMultiTemplate()));
    ASSERT_TRUE(maps.voiceOk);
    CPrmCtrl& voice = *maps.voice;
    ASSERT_GE(voice.Hdr().GetHdrNum(0), 3);
    ASSERT_TRUE(voice.SetVoiceName(0, 4, QStringLiteral("Piano")));
    EXPECT_EQ(voice.GetLibItemName(0, 0, 0, 4), QStringLiteral("Piano"));
    QByteArray data;
    EXPECT_FALSE(voice.GetLibItemData(0, 0, 0, 4, data));

    // The category column: the stored byte through the multi map's table.
    const unsigned char cat[3] = {0x40, 0x00, 0x0A}, two = 2;
    int count = 0, size = 0;
    ASSERT_TRUE(voice.VceMem()->SetData(0, 4, cat, &two, count, size));
    QString expected;
    ASSERT_TRUE(voice.GetValToStr(0, cat, &two, expected));
    EXPECT_EQ(voice.GetLibItemName(0, 0, 2, 4), expected);
    ASSERT_TRUE(voice.GetLibItemData(0, 0, 2, 4, data));
    EXPECT_EQ(data, QByteArray(1, char(2)));

    EXPECT_EQ(voice.GetLibItemName(0, 0, 1, 4).trimmed(), QStringLiteral("5"));
    ASSERT_TRUE(voice.GetLibItemData(0, 0, 1, 4, data));
    EXPECT_EQ(data, QByteArray(1, char(4)));

    EXPECT_TRUE(voice.GetLibItemName(0, 0, 3, 4).isEmpty());
    EXPECT_TRUE(voice.GetLibItemName(0, 0, -1, 4).isEmpty());
    EXPECT_FALSE(voice.GetLibItemData(0, 0, 3, 4, data));
    EXPECT_TRUE(voice.GetLibItemName(0, 0, 2, 5000).isEmpty());
    EXPECT_TRUE(voice.InitVoice(0, 5000));
}

#include "console/memapi/AddressParser.h"
#include "console/memapi/NS_LookupUtility.h"
#include <gtest/gtest.h>
#include <cstring>

using NS_AddressParser::Record;

namespace {

struct Bound
{
    bool chosen = false;
    Record address;
};

// Parses and binds the way a control is bound to a channel.
Bound bind(const QString& text, int channel)
{
    const std::vector<Record> records = NS_AddressParser::parse(text);
    Bound b;
    b.chosen = NS_AddressParser::chooseRecord(records.data(), int(records.size()), channel, b.address);
    return b;
}

struct Case
{
    const char* text;
    int channel;
    int element, resolvedChannel, parameter;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.text << " @" << c.channel; }

class NamedAddress : public ::testing::TestWithParam<Case>
{
};

} // namespace

TEST_P(NamedAddress, ResolvesToElementChannelAndParameter)
{
    const Case& c = GetParam();
    const Bound b = bind(QString::fromLatin1(c.text), c.channel);
    ASSERT_TRUE(b.chosen);
    EXPECT_EQ(b.address.element, c.element);
    EXPECT_EQ(b.address.channel, c.resolvedChannel);
    EXPECT_EQ(b.address.parameter, c.parameter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NamedAddress,
    ::testing::Values(
        Case{"FEkMixPart/kPartPan", 3, 55, 3, 14},          // 37 03 0E
        Case{"00kCommon/kCommEQHiMidGain", 9, 54, 0, 67},   // 36 00 43 whatever the part
        Case{"FEkCommon/kCommEQHiMidGain", 4, 54, 0, 67},
        Case{"FCkCommonChorus/kChoChoToRev", 5, 54, 2, 36}, // 36 02 24
        Case{"FEkEditorSwitches/@kPartArpeggioSw", 8, 2, 8, 9},
        Case{"FEkEditorSwitches/@kPartMute", 4, 1, 4, 4},   // '@' of parameter 0
        Case{"FEkEditorSwitches/kPartSolo", 6, 1, 6, 1},
        Case{"FDkMixPart/kPartVolume", 3, 55, 4, 13},       // FD: the part after
        Case{"0AkMixPart/kPartPrgNo", 2, 55, 10, 2},        // a fixed part
        Case{"fekMixPart/kPartPan", 1, 55, 1, 14},          // digits in either case
        Case{"00kCommon/kCommMasterVol", 7, 0, 0, 0},       // 00 00 00, named on purpose
        Case{"00kCommon", 7, 0, 0, 0},                      // a bare group: its first row
        Case{"00kCommonReverb/kRevPan", 0, 54, 1, 35},
        Case{"00kCommonEQ/kEQShape5", 0, 54, 16, 19},
        Case{"00kCommonMasterEF/kMasterEFSw", 0, 54, 17, 34},
        Case{"FEkMixPart/#kPartVolume", 2, 55, 2, 15},      // '#': p + channel
        Case{"00kNormalCommonExtra/kNrmComVoiceName3", 0, 0x40, 0, 2},
        Case{"FEkNormalElement/kNrmElmWaveNumber", 2, 0x44, 2, 2},
        Case{"FEkDrumKey/kDrmKeyWaveNumber", 40, 0x4A, 40, 1},
        Case{"00kPluginAudition/kPlgAudPhraseNumber", 0, 0x40, 0, 13}));

TEST(NamedAddressParse, UnresolvedNamesGiveNoRecordNeverMasterVolume)
{
    for (const char* text : {"FEkNoSuchGroup/kPartPan", "FEkMixPart/kNoSuchParam", "FEkMixPart/",
                             "FEkMixPart/@", "F", "", "ZZkMixPart/kPartPan", "FE", "FE/kPartPan",
                             "F\xC3kMixPart/kPartPan"}) {
        EXPECT_TRUE(NS_AddressParser::parse(QString::fromLatin1(text)).empty()) << text;
        Record current;
        current.element = 55;
        current.channel = 1;
        current.parameter = 14;
        const Record before = current;
        // A control keeps its earlier address, untouched, and stays unbound.
        EXPECT_FALSE(NS_AddressParser::chooseRecord(nullptr, 0, 3, current)) << text;
        EXPECT_EQ(std::memcmp(&current, &before, sizeof current), 0);
    }
    Record* records = reinterpret_cast<Record*>(0x1);
    const QString bad = QStringLiteral("FEkMixPart/kNope");
    EXPECT_EQ(NS_AddressParser::parse(&bad, &records), 0);
    EXPECT_EQ(records, nullptr);
    EXPECT_EQ(NS_AddressParser::parse(nullptr, &records), 0);
}

TEST(NamedAddressParse, FurtherRecordsCarryBaseCountAndChannel)
{
    const std::vector<Record> r =
        NS_AddressParser::parse("FEkMixPart/kPartPan;10FEkEditorSwitches/kPartSolo;0203kNope/x;"
                                "04FEkMixPart/kPartVolume");
    ASSERT_EQ(r.size(), 3u); // the unresolved third record is left out
    EXPECT_EQ(r[0].base, 0);
    EXPECT_EQ(r[0].count, 73);
    EXPECT_EQ(r[1].base, 73);
    EXPECT_EQ(r[1].count, 16);
    EXPECT_EQ(r[1].channel, -2);
    EXPECT_EQ(r[1].element, 1);
    EXPECT_EQ(r[2].base, 73 + 16 + 2); // the left-out record's channels still count
    EXPECT_EQ(r[2].count, 4);

    // The number of channels of a first record can come from the caller.
    const std::vector<Record> few =
        NS_AddressParser::parse("FEkMixPart/kPartPan", [](int element) { return element == 55 ? 16 : 1; });
    ASSERT_EQ(few.size(), 1u);
    EXPECT_EQ(few[0].count, 16);
}

TEST(NamedAddressParse, ChoosesTheRecordWhoseChannelsHoldTheBoundChannel)
{
    const QString text = QStringLiteral("FEkMixPart/kPartPan;10FEkEditorSwitches/kPartSolo");
    Bound b = bind(text, 5);
    ASSERT_TRUE(b.chosen);
    EXPECT_EQ(b.address.element, 55);
    EXPECT_EQ(b.address.channel, 5);
    b = bind(text, 75);
    ASSERT_TRUE(b.chosen);
    EXPECT_EQ(b.address.element, 1);
    EXPECT_EQ(b.address.channel, 2); // bound channel minus the record's base
    EXPECT_EQ(b.address.parameter, 1);
    // Beyond every record: nothing chosen.
    EXPECT_FALSE(bind(text, 200).chosen);
}

TEST(NamedAddressParse, HashFormTakesEveryChannelWhenReached)
{
    // Channel 80 is outside the first record, but its '#' form ends the search.
    const QString hash = QStringLiteral("FEkEditorSwitches/#kPartVolSw;1000kMixPart/kPartVolume");
    Bound b = bind(hash, 80);
    ASSERT_TRUE(b.chosen);
    EXPECT_EQ(b.address.element, 2);
    EXPECT_EQ(b.address.channel, 80);
    EXPECT_EQ(b.address.parameter, 8 + 80);
    // The same without '#' goes on to the record that holds the channel.
    b = bind(QStringLiteral("FEkEditorSwitches/@kPartVolSw;1000kMixPart/kPartVolume"), 80);
    ASSERT_TRUE(b.chosen);
    EXPECT_EQ(b.address.element, 55);
    EXPECT_EQ(b.address.channel, 0);
    EXPECT_EQ(b.address.parameter, 13);
}

TEST(NamedAddressParse, AbsoluteFirstRecordIsChosenForAnyChannel)
{
    const Bound b = bind(QStringLiteral("03kMixPart/kPartPan;1000kCommon/kCommKnobA"), 100);
    ASSERT_TRUE(b.chosen);
    EXPECT_EQ(b.address.element, 55);
    EXPECT_EQ(b.address.channel, 3);
    // An unknown negative code (FB) without a packed element leaves the channel negative.
    const Bound fb = bind(QStringLiteral("FBkMixPart/kPartPan"), 2);
    ASSERT_TRUE(fb.chosen);
    EXPECT_LT(fb.address.channel, 0);
}

TEST(NamedAddressParse, ReadNameStopsAtItsText)
{
    QString group, param;
    int cursor = 0;
    const QString text = QStringLiteral("kMixPart/@kPartPan;kCommon;x/");
    EXPECT_EQ(NS_AddressParser::readName(text, cursor, group, param), QLatin1Char('@'));
    EXPECT_EQ(group, "kMixPart");
    EXPECT_EQ(param, "kPartPan");
    EXPECT_EQ(NS_AddressParser::readName(text, cursor, group, param), QChar());
    EXPECT_EQ(group, "kCommon");
    EXPECT_TRUE(param.isEmpty());
    bool slash = false;
    EXPECT_EQ(NS_AddressParser::readName(text, cursor, group, param, &slash), QChar());
    EXPECT_TRUE(slash);
    EXPECT_EQ(cursor, text.size());
    int8_t v = 0;
    int at = 0;
    EXPECT_TRUE(NS_AddressParser::readHexSignedByte("fE", at, v));
    EXPECT_EQ(v, -2);
    at = 0;
    EXPECT_FALSE(NS_AddressParser::readHexSignedByte("F", at, v));
    EXPECT_FALSE(NS_AddressParser::readHexSignedByte("G0", at, v));
    EXPECT_EQ(at, 0);
}

TEST(NamedAddressParse, TranslatesNamesWithoutChannelDigits)
{
    int16_t element = -1, parameter = -1;
    EXPECT_TRUE(NS_AddressParser::translateSymbolicName("kCommonChorus/kChoChoToRev", element, parameter));
    EXPECT_EQ(element, 13826);
    EXPECT_EQ(parameter, 36);
    EXPECT_FALSE(NS_AddressParser::translateSymbolicName("kNope/x", element, parameter));
    EXPECT_EQ(element, 0);
    EXPECT_FALSE(NS_AddressParser::translateSymbolicName(nullptr, element, parameter));
}

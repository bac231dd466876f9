// The wave and audition-phrase addresses of the select dialogs reach the voice being
// edited: their range, their value in the voice edit buffer, and the instrument.
#include "CommandsSimRig.h"
#include "console/memapi/AddressParser.h"

#include <gtest/gtest.h>

using namespace CommandsTest;
using NS_Simulator::VoiceType;

namespace {

struct Address
{
    const char* named;
    int channel;     // the drum key, the element (0-3), or 0
    VoiceType type;  // the voice type whose edit buffer holds it
    int offset;      // of its first byte in a voice of that type
    int size;
};

void PrintTo(const Address& a, std::ostream* os) { *os << a.named << " @" << a.channel; }

const Address kAddresses[] = {
    {"FEkDrumKey/kDrmKeyWaveNumber", 0, VoiceType::Drum, 269 + 1, 2},
    {"FEkDrumKey/kDrmKeyWaveNumber", 40, VoiceType::Drum, 269 + 50 * 40 + 1, 2},
    {"FEkNormalElement/kNrmElmWaveNumber", 0, VoiceType::Normal, 316 + 2, 2},
    {"FEkNormalElement/kNrmElmWaveNumber", 3, VoiceType::Normal, 316 + 159 * 3 + 2, 2},
    {"00kNormalAudition/kNrmAudPhraseNumber", 0, VoiceType::Normal, 13, 1},
    {"00kDrumAudition/kDrmAudPhraseNumber", 0, VoiceType::Drum, 13, 1},
    {"00kPluginAudition/kPlgAudPhraseNumber", 0, VoiceType::Plugin, 13, 1},
};

class VoiceEditAddress : public ::testing::TestWithParam<Address>
{
protected:
    NS_AddressParser::Record resolve(const Address& a)
    {
        const std::vector<NS_AddressParser::Record> records = NS_AddressParser::parse(QLatin1String(a.named));
        NS_AddressParser::Record r;
        EXPECT_TRUE(!records.empty()
                    && NS_AddressParser::chooseRecord(records.data(), int(records.size()), a.channel, r));
        return r;
    }
    SimRig rig;
};

} // namespace

TEST_P(VoiceEditAddress, HasItsRangeAndAWriteReachesTheInstrumentAndTheEditBuffer)
{
    const Address a = GetParam();
    const NS_AddressParser::Record r = resolve(a);
    TovarIMemAPI* api = rig.api.api;
    const int lo = api->MAPI_getIndParamMin(r.element, r.parameter, r.channel, nullptr);
    const int hi = api->MAPI_getIndParamMax(r.element, r.parameter, r.channel, nullptr);
    EXPECT_EQ(lo, 0);
    ASSERT_GT(hi, 64) << "the range of a list of names";

    rig.sim.editImage([&](NS_Simulator::SimMemoryImage& image) { image.selectEditType(a.type); });
    const int value = hi - 3;
    EXPECT_EQ(api->MAPI_setIndParam(r.element, r.parameter, r.channel, value, 0, IMemAPI::EPostAction(1)), 0);
    ASSERT_TRUE(rig.sim.waitIdle(3000));
    ASSERT_EQ(rig.sim.received(SimulatedInstrument::Kind::ParameterChange).size(), 1u)
        << "the instrument refused or never got the change";

    Bytes expected;
    if (a.size == 2)
        expected = {uint8_t(value >> 7), uint8_t(value & 0x7F)};
    else
        expected = {uint8_t(value)};
    const Bytes record = rig.sim.image().editRecord();
    ASSERT_GE(int(record.size()), a.offset + a.size);
    EXPECT_EQ(Bytes(record.begin() + a.offset, record.begin() + a.offset + a.size), expected);

    // The editor reads it back, and the voice edit buffer that a store would keep holds it.
    EXPECT_EQ(api->MAPI_getIndParam(r.element, r.parameter, r.channel, false, nullptr), value);
    const unsigned char adrs[3] = {uint8_t(r.element), uint8_t(r.channel), uint8_t(r.parameter)};
    unsigned char* bytes = nullptr;
    unsigned char size = 0;
    ASSERT_TRUE(rig.voice().GetData(0, adrs, bytes, size));
    EXPECT_EQ(Bytes(bytes, bytes + size), expected);
}

TEST_P(VoiceEditAddress, ShowsTheVoiceTheEditBufferHolds)
{
    const Address a = GetParam();
    const NS_AddressParser::Record r = resolve(a);
    TovarIMemAPI* api = rig.api.api;
    // A voice put into the edit buffer the way a voice list loads one.
    const unsigned char adrs[3] = {uint8_t(r.element), uint8_t(r.channel), uint8_t(r.parameter)};
    const Bytes stored = a.size == 2 ? Bytes{0x01, 0x05} : Bytes{0x21};
    bool linked = false;
    ASSERT_TRUE(rig.voice().SetData(0, adrs, stored.data(), linked, LINK_OFF, MIDI_OFF, false, 0));
    EXPECT_EQ(api->MAPI_getIndParam(r.element, r.parameter, r.channel, false, nullptr), a.size == 2 ? 133 : 0x21);
}

INSTANTIATE_TEST_SUITE_P(SelectDialogs, VoiceEditAddress, ::testing::ValuesIn(kAddresses));

// Entries the host component calls directly: raw MIDI in and out, symbol queries,
// element and parameter counts, the recall feature list and the multi-mode message.
#include "MemApiTestSupport.h"
#include "appserver/CAppServer.h"
#include "console/bulk/Bulk.h"
#include "console/model/EditorBlk.h"
#include "console/model/PrmCtrl.h"

#include <QSignalSpy>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(QByteArray(text).replace(' ', "")); }

class MemApiHostEntries : public ::testing::Test
{
protected:
    void SetUp() override
    {
        server = CAppServer::Instance();
        ASSERT_TRUE(api->memory() && api->memory()->MultiMap());
        api->MAPI_associate(&bridge, &prefs, 0, nullptr);
        bridge.clear();
    }
    void TearDown() override
    {
        QCoreApplication::sendPostedEvents();
        server->release();
    }

    CAppServer* server = nullptr;
    ApiHandle api;
    FakePrefs prefs;
    FakeBridge bridge;
};

} // namespace

TEST_F(MemApiHostEntries, RawMidiIsWrittenToTheInstrumentUnchanged)
{
    const QByteArray request = hex("F0 43 30 5C 37 03 0E F7");
    EXPECT_EQ(api->MAPI_writeMIDI(request.constData(), int(request.size())), 0);
    ASSERT_EQ(bridge.messages().size(), 1);
    EXPECT_EQ(bridge.messages().at(0).toHex(' '), request.toHex(' '));
    // Nothing to write: nothing reaches the port.
    EXPECT_EQ(api->MAPI_writeMIDI(nullptr, 8), 0);
    EXPECT_EQ(api->MAPI_writeMIDI(request.constData(), 0), 0);
    EXPECT_EQ(bridge.messages().size(), 1);
}

TEST_F(MemApiHostEntries, ReadMidiRoutesInstrumentInputByTheRemoteFlag)
{
    CBulk* engine = api->memory()->VoiceMap()->Bulk();
    ASSERT_NE(engine, nullptr);
    QSignalSpy identity(engine, &CBulk::identityReplyRecieved);
    api->memory()->sendIdentityReqBulk(nullptr);
    const QByteArray reply = hex("7E 00 06 02 43 00 41 19 06 00 00 00 7F F7");
    // Marked as surface input, the identity reply never reaches the bulk engine.
    EXPECT_EQ(api->MAPI_readMIDI(reply.constData(), int(reply.size()), true, true), 0);
    EXPECT_EQ(identity.count(), 0);
    EXPECT_EQ(api->MAPI_readMIDI(reply.constData(), int(reply.size()), true, false), 0);
    EXPECT_EQ(identity.count(), 1);
}

TEST_F(MemApiHostEntries, SymbolQueriesResolveUntilAnEntryIsAlreadyAnswered)
{
    IMemAPI::TSymbolQuery query[] = {
        {"kCommonChorus/kChoChoToRev", int16_t(-1), 0},
        {"kNoSuchGroup/kNoSuchParam", int16_t(-1), 99},
        {"kCommonChorus/kChoChoToRev", 7, 8},    // already answered: the walk ends here
        {"kCommonChorus/kChoChoToRev", int16_t(-1), 0},
        {nullptr, 0, 0},
    };
    EXPECT_EQ(api->MAPI_translateSymbolicNames(query), 0);
    struct Want { int16_t element, parameter; };
    const Want want[] = {{13826, 36}, {0, 0}, {7, 8}, {-1, 0}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(query[i].element, want[i].element) << "entry " << i;
        EXPECT_EQ(query[i].parameter, want[i].parameter) << "entry " << i;
    }
    EXPECT_EQ(api->MAPI_translateSymbolicNames(nullptr), 0);
}

TEST_F(MemApiHostEntries, CountsAndParameterAddressesComeFromTheMultiMap)
{
    CPrmCtrl* multi = api->memory()->MultiMap();
    const int blocks = multi->GetBlkCount();
    ASSERT_GT(blocks, 0);
    EXPECT_EQ(api->MAPI_getNumElements(nullptr), blocks);
    int32_t status = -1;
    EXPECT_EQ(api->MAPI_getNumParams(0, &status), multi->GetBlkParamCount(0));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(api->MAPI_getNumParams(short(blocks), nullptr), 0);
    // Every parameter address the host is given names a parameter of the map.
    for (int b = 0; b < blocks; ++b) {
        const int n = multi->GetBlkParamCount(b);
        for (int i : {0, n - 1}) {
            if (i < 0)
                continue;
            unsigned char address[3] = {0xFF, 0xFF, 0xFF};
            ASSERT_EQ(api->MAPI_getParamAddress(unsigned(b), i, address), 0) << "block " << b << " index " << i;
            EXPECT_TRUE(multi->EditorBlk().IsParam(0, address)) << "block " << b << " index " << i;
        }
    }
    unsigned char address[3];
    EXPECT_EQ(api->MAPI_getParamAddress(unsigned(blocks), 0, address), 1);
    EXPECT_EQ(api->MAPI_getParamAddress(0, -1, address), 1);
    // Nothing is marked dirty by reading: no flag answers any mask.
    unsigned int blockFlags = 0xFF;
    unsigned char* flags = nullptr;
    EXPECT_EQ(api->MAPI_getBlkAndParamDirtyFlag(0, blockFlags, flags), multi->GetBlkParamCount(0));
    EXPECT_EQ(blockFlags, 0u);
    EXPECT_EQ(api->MAPI_getBlkAndParamDirtyFlag(unsigned(blocks), blockFlags, flags), 0);
    EXPECT_EQ(api->MAPI_getIndParamDirtyFlag(0, nullptr), 0);
    EXPECT_EQ(api->MAPI_getIndParamDirty(0, 0, 0, 0xFFFFFFFF, false), int32_t(0x80000008));
}

TEST_F(MemApiHostEntries, RecallOffersAllAndEachBank)
{
    uint32_t count = 0, current = 7, preferred = 0;
    bool offline = true;
    unsigned short* names = nullptr;
    EXPECT_EQ(api->MAPI_recallFeatureSet(&count, &names, &current, &offline, &preferred), 0);
    ASSERT_NE(names, nullptr);
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(names)),
              QStringLiteral("All;Multi;Normal User 1;Normal User 2;Normal User 3;Drum User"));
    std::free(names);
    EXPECT_EQ(count, 0xFFFFFFFFu);
    EXPECT_EQ(current, 0u);
    EXPECT_FALSE(offline);
    EXPECT_EQ(preferred, 1u);
    EXPECT_EQ(api->MAPI_recallFeatureSet(nullptr, nullptr, nullptr, nullptr, nullptr), 0);
}

TEST_F(MemApiHostEntries, MultiModeMessageCarriesTheDeviceNumberAndNeedsAnOutputPort)
{
    struct Case { int device; const char* bytes; bool output; };
    const Case cases[] = {
        {0, "F0 43 10 7F 00 0A 00 01 03 F7", true},
        {5, "F0 43 15 7F 00 0A 00 01 03 F7", true},
        {0x1B, "F0 43 1B 7F 00 0A 00 01 03 F7", true},  // only the low nibble
        {3, nullptr, false},
    };
    for (const Case& c : cases) {
        bridge.output = c.output ? QUuid::createUuid() : QUuid();
        prefs.setProperty(0, c.device);
        bridge.clear();
        api->put_synth_in_multi_mode();
        if (!c.bytes) {
            EXPECT_TRUE(bridge.messages().isEmpty()) << "device " << c.device;
            continue;
        }
        ASSERT_EQ(bridge.messages().size(), 1) << "device " << c.device;
        EXPECT_EQ(bridge.messages().at(0).toHex(' '), hex(c.bytes).toHex(' ')) << "device " << c.device;
    }
}

TEST_F(MemApiHostEntries, MutingAPartThroughTheApiSilencesItsVolumeAndUnmutingRestoresIt)
{
    CEditorBlk& blk = api->memory()->MultiMap()->EditorBlk();
    const short part = 3;
    int category = -1;
    const unsigned char* volume = blk.GetVolumeAddress(part, category);
    ASSERT_NE(volume, nullptr);
    unsigned char stored[4] = {};
    ASSERT_EQ(blk.GetData(short(category), volume, stored), 1);
    const QByteArray address(reinterpret_cast<const char*>(volume), 3);
    const QByteArray silent = hex("F0 43 10 5C") + address + hex("00 F7");
    const QByteArray restored = hex("F0 43 10 5C") + address + QByteArray(1, char(stored[0])) + hex("F7");

    EXPECT_EQ(api->MAPI_setIndParam(1, 0, part, 1, 0, IMemAPI::PostNothing), 0);
    EXPECT_EQ(api->MAPI_getIndParam(1, 0, part, false, nullptr), 1);
    EXPECT_EQ(api->MAPI_getIndParam(1, 0, part + 1, false, nullptr), 0);
    ASSERT_FALSE(bridge.messages().isEmpty());
    EXPECT_EQ(bridge.messages().last().toHex(' '), silent.toHex(' '));
    bridge.clear();
    EXPECT_EQ(api->MAPI_setIndParam(1, 0, part, 0, 0, IMemAPI::PostNothing), 0);
    EXPECT_EQ(api->MAPI_getIndParam(1, 0, part, false, nullptr), 0);
    ASSERT_FALSE(bridge.messages().isEmpty());
    EXPECT_EQ(bridge.messages().last().toHex(' '), restored.toHex(' '));
}

TEST_F(MemApiHostEntries, InsertAndPartSwitchesSetThroughTheApiReadBack)
{
    struct Case { short element, parameter, channel; };
    const Case cases[] = {{1, 2, 4}, {2, 0, 5}, {2, 9, 6}, {2, 23, 0}};
    for (const Case& c : cases) {
        const int before = api->MAPI_getIndParam(c.element, c.parameter, c.channel, false, nullptr);
        const short next = short(c.channel + 1);
        const int neighbour = api->MAPI_getIndParam(c.element, c.parameter, next, false, nullptr);
        EXPECT_EQ(api->MAPI_setIndParam(c.element, c.parameter, c.channel, before ^ 1, 0, IMemAPI::PostNothing), 0);
        EXPECT_EQ(api->MAPI_getIndParam(c.element, c.parameter, c.channel, false, nullptr), before ^ 1)
            << c.element << "/" << c.parameter << "/" << c.channel;
        // The neighbouring part keeps its own state.
        EXPECT_EQ(api->MAPI_getIndParam(c.element, c.parameter, next, false, nullptr), neighbour);
        api->MAPI_setIndParam(c.element, c.parameter, c.channel, before, 0, IMemAPI::PostNothing);
        EXPECT_EQ(api->MAPI_getIndParam(c.element, c.parameter, c.channel, false, nullptr), before);
    }
}

namespace {

// A bridge whose count of ports falls one short of its map, as an accessor may.
class ShortCountBridge : public FakeBridge
{
public:
    int numberOfPlugs(bool out) override { return FakeBridge::numberOfPlugs(out) - 1; }
};

const QUuid kPortA = QUuid::createUuidV5(QUuid(), QStringLiteral("port a"));
const QUuid kPortB = QUuid::createUuidV5(QUuid(), QStringLiteral("port b"));

// Ports of a bridge (texts as the host lists them), the port asked for and the name
// the preferences get for it.
struct PortNameCase
{
    const char* name;
    QList<std::pair<QUuid, QString>> inputs;
    QList<std::pair<QUuid, QString>> outputs;
    bool shortCount;
    QUuid asked;
    bool output;
    QString expected;
};

const PortNameCase kPortNameCases[] = {
    {"Named", {{kPortA, QStringLiteral("3;Keys")}}, {}, false, kPortA, false, QStringLiteral("Keys")},
    {"EmptyFieldsSkipped", {{kPortA, QStringLiteral(";4;;Pads;x")}}, {}, false, kPortA, false, QStringLiteral("Pads")},
    {"NumberOnly", {{kPortA, QStringLiteral("7")}}, {}, false, kPortA, false, QString()},
    {"Unknown", {{kPortA, QStringLiteral("3;Keys")}}, {}, false, kPortB, false, QString()},
    {"OutputsOnly", {}, {{kPortA, QStringLiteral("2;Synth")}}, false, kPortA, true, QStringLiteral("Synth")},
    {"NotAnInput", {}, {{kPortA, QStringLiteral("2;Synth")}}, false, kPortA, false, QString()},
    {"NameEndsAtNul", {{kPortA, QStringLiteral("3;Ke") + QChar(0) + QStringLiteral("ys")}}, {}, false, kPortA, false,
     QStringLiteral("Ke")},
    // The list holds the ports first in text order, as many as the count says.
    {"ShortCountKeepsTheFirst", {{kPortA, QStringLiteral("1;Alpha")}, {kPortB, QStringLiteral("2;Beta")}}, {}, true,
     kPortA, false, QStringLiteral("Alpha")},
    {"ShortCountLosesTheLast", {{kPortA, QStringLiteral("1;Alpha")}, {kPortB, QStringLiteral("2;Beta")}}, {}, true,
     kPortB, false, QString()},
};

class PortName : public ::testing::TestWithParam<PortNameCase>
{
};

std::string portNameCase(const ::testing::TestParamInfo<PortNameCase>& info)
{
    return info.param.name;
}

} // namespace

TEST_P(PortName, IsTheSecondFieldOfThePortsText)
{
    const PortNameCase& c = GetParam();
    std::unique_ptr<FakeBridge> bridge(c.shortCount ? new ShortCountBridge : new FakeBridge);
    for (const auto& [id, text] : c.inputs)
        bridge->ins.insert(id, text);
    for (const auto& [id, text] : c.outputs)
        bridge->outs.insert(id, text);
    EXPECT_EQ(TovarIMemAPI::FindPortDescriptor(c.asked, c.output, bridge.get()).toString(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(MemApiHostEntries, PortName, ::testing::ValuesIn(kPortNameCases), portNameCase);

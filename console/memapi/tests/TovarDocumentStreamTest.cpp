// The document stream in the host's project: frame, payload round trip, refusals.
#include "MemApiTestSupport.h"
#include "appserver/CAppServer.h"
#include "console/model/PrmCtrl.h"
#include "console/model/VceMem.h"

#include <QIODevice>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

class DocumentStream : public ::testing::Test
{
protected:
    void SetUp() override
    {
        server = CAppServer::Instance();
        prefs.setProperty(0, 2);
        prefs.setProperty(516, 40);
        prefs.uiState = QStringLiteral("window 17;1;2;3");
        api->MAPI_associate(&bridge, &prefs, 0, nullptr);
    }
    void TearDown() override
    {
        QCoreApplication::sendPostedEvents();
        server->release();
    }
    int pan(int part) { return api->MAPI_getIndParam(55, 14, short(part), false, nullptr); }
    void setPan(int part, int value) { api->MAPI_setIndParam(55, 14, short(part), value, 0, IMemAPI::PostNothing); }
    QByteArray saved()
    {
        FakeStream out;
        EXPECT_EQ(api->MAPI_saveIStream(&out), 0);
        return out.bytes;
    }
    int32_t load(const QByteArray& bytes)
    {
        FakeStream in;
        in.bytes = bytes;
        return api->MAPI_loadIStream(&in);
    }

    CAppServer* server = nullptr;
    ApiHandle api;
    FakePrefs prefs;
    FakeBridge bridge;
};

QByteArray withLength(QByteArray frame, quint32 length)
{
    qToBigEndian(length, reinterpret_cast<uchar*>(frame.data()) + 8);
    return frame;
}

} // namespace

TEST_F(DocumentStream, SavedStreamStartsWithMagicVersionAndBigEndianLength)
{
    const QByteArray bytes = saved();
    ASSERT_GT(bytes.size(), 12);
    EXPECT_EQ(bytes.left(8), QByteArray("KXQR2000"));
    const quint32 length = qFromBigEndian<quint32>(reinterpret_cast<const uchar*>(bytes.constData()) + 8);
    EXPECT_EQ(qsizetype(length), bytes.size() - 12);
    // The payload begins with the preferences map in the toolkit's stream form.
    QDataStream payload(bytes.mid(12));
    QMap<int, QVariant> props;
    payload >> props;
    EXPECT_EQ(props.value(516).toInt(), 40);
}

TEST_F(DocumentStream, RoundTripRestoresPreferencesMemoryImageAndUserInterfaceState)
{
    setPan(3, 0x30);
    api->qself()->m_dirty = true;
    const QByteArray bytes = saved();
    EXPECT_FALSE(api->qself()->m_dirty);
    // A stream handed over at another version gets the same payload, in the program's
    // own version, and is given back at its own.
    QByteArray handed;
    {
        QDataStream out(&handed, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_3_3);
        ASSERT_EQ(api->MAPI_saveViaStream(out), 0);
        EXPECT_EQ(out.version(), QDataStream::Qt_3_3);
    }
    EXPECT_EQ(handed, bytes.mid(12));

    setPan(3, 0x50);
    prefs.setProperty(516, 99);
    prefs.uiState = QStringLiteral("other");
    ASSERT_EQ(load(bytes), 0);
    EXPECT_EQ(pan(3), 0x30);
    EXPECT_EQ(prefs.getProperty(516).toInt(), 40);
    EXPECT_EQ(prefs.uiState, QStringLiteral("window 17;1;2;3"));

    setPan(3, 0x50);
    QDataStream in(handed);
    in.setVersion(QDataStream::Qt_3_3);
    ASSERT_EQ(api->MAPI_loadViaStream(in), 0);
    EXPECT_EQ(pan(3), 0x30);
}

TEST_F(DocumentStream, OtherVersionTruncatedAndOversizedStreamsAreRefusedWithNothingChanged)
{
    setPan(4, 0x30);
    const QByteArray good = saved();
    setPan(4, 0x44);
    prefs.setProperty(516, 77);

    QByteArray version = good;
    version.replace(4, 4, "2001");
    EXPECT_EQ(load(version), int32_t(0x80000008));

    // Cut inside the payload: the stream's own read error comes back.
    EXPECT_EQ(load(good.left(good.size() - 10)), int32_t(0x80030003));

    // Announced above the 16 MiB the host is told.
    EXPECT_EQ(load(withLength(good, 16u * 1024u * 1024u + 1u)), int32_t(0x80000008));

    // A frame whose payload is complete but stops inside the memory image.
    QByteArray half = good.left(12 + (good.size() - 12) / 2);
    EXPECT_NE(load(withLength(half, quint32(half.size() - 12))), 0);

    EXPECT_EQ(pan(4), 0x44);
    EXPECT_EQ(prefs.getProperty(516).toInt(), 77);
}

TEST_F(DocumentStream, FailedWriteIsReportedAndKeepsTheDocumentModified)
{
    api->qself()->m_dirty = true;
    FakeStream out;
    out.writeLimit = 20;
    EXPECT_EQ(api->MAPI_saveIStream(&out), int32_t(0x80030070));
    EXPECT_TRUE(api->qself()->m_dirty);
}

TEST_F(DocumentStream, WithoutPreferencesThePayloadIsRefused)
{
    api->MAPI_associate(&bridge, nullptr, 0, nullptr);
    FakeStream out;
    EXPECT_EQ(api->MAPI_saveIStream(&out), int32_t(0x8000FFFF));
    EXPECT_TRUE(out.bytes.isEmpty());
}

namespace {
QByteArray olderStream(bool image, int device)
{
    QByteArray bytes(320, '\0');
    bytes[0] = 'O';
    bytes[1] = char(device);
    const Y_GUID ids[4] = {
        Y_GUID(0x11111111, 0x2222, 0x3333, 1, 2, 3, 4, 5, 6, 7, 8),
        Y_GUID(0x44444444, 0x5555, 0x6666, 1, 2, 3, 4, 5, 6, 7, 8),
        Y_GUID(0x77777777, 0x8888, 0x9999, 1, 2, 3, 4, 5, 6, 7, 8),
        Y_GUID(0xAAAAAAAA, 0xBBBB, 0xCCCC, 1, 2, 3, 4, 5, 6, 7, 8)};
    const int offsets[4] = {240, 260, 280, 300};
    for (int i = 0; i < 4; ++i)
        std::memcpy(bytes.data() + offsets[i], &ids[i], 16);
    // Little-endian 1, as the older form was written.
    bytes[316] = image ? 1 : 0;
    return bytes;
}
} // namespace

TEST_F(DocumentStream, OlderFormSetsPortsAndDeviceAndLeavesTheImageWithoutItsFlag)
{
    setPan(5, 0x21);
    ASSERT_EQ(load(olderStream(false, 3)), 0);
    EXPECT_EQ(QUuid::fromString(prefs.getProperty(9).toString()),
              Guid2QUuid(Y_GUID(0x11111111, 0x2222, 0x3333, 1, 2, 3, 4, 5, 6, 7, 8)));
    EXPECT_EQ(QUuid::fromString(prefs.getProperty(8).toString()),
              QUuid(QStringLiteral("{44444444-5555-6666-0102-030405060708}")));
    EXPECT_EQ(QUuid::fromString(prefs.getProperty(513).toString()),
              QUuid(QStringLiteral("{77777777-8888-9999-0102-030405060708}")));
    EXPECT_EQ(QUuid::fromString(prefs.getProperty(512).toString()),
              QUuid(QStringLiteral("{aaaaaaaa-bbbb-cccc-0102-030405060708}")));
    EXPECT_EQ(prefs.getProperty(0).toInt(), 3);
    EXPECT_EQ(pan(5), 0x21);
    // The bridge was asked for the recorded ports.
    EXPECT_EQ(bridge.selected[1], QUuid(QStringLiteral("{11111111-2222-3333-0102-030405060708}")));
}

TEST_F(DocumentStream, OlderFormNeedsPreferencesAndAFollowingImage)
{
    // The flag promises an image that is not there.
    EXPECT_NE(load(olderStream(true, 0)), 0);
    api->MAPI_associate(&bridge, nullptr, 0, nullptr);
    EXPECT_EQ(load(olderStream(false, 0)), int32_t(0x8000FFFF));
}

TEST_F(DocumentStream, ALoadRefusedAfterTheVoicesWentInLeavesTheMemoryAsItWas)
{
    CSynthMemory* memory = api->memory();
    ASSERT_NE(memory, nullptr);
    memory->SetVoiceName(1, 7, QStringLiteral("Brackwater"));
    setPan(2, 0x30);
    memory->MultiMap()->SetMuteStatus(2, true, false);
    const QByteArray good = saved();

    memory->SetVoiceName(1, 7, QStringLiteral("Saltglass"));
    setPan(2, 0x50);
    memory->MultiMap()->SetMuteStatus(2, false, false);
    memory->MultiMap()->SetSoloStatus(4, true, false);

    // The multi image's first byte spoiled: the voice image, read before it, goes in
    // first and must come out again.
    QByteArray prefsBytes;
    {
        QDataStream out(&prefsBytes, QIODevice::WriteOnly);
        prefs.writeToStream(out);
    }
    const qsizetype voices = 12 + prefsBytes.size();
    ASSERT_LT(voices + 4, good.size());
    const quint32 voiceSize = qFromBigEndian<quint32>(reinterpret_cast<const uchar*>(good.constData()) + voices);
    const qsizetype multi = voices + 4 + qsizetype(voiceSize) + 4;
    ASSERT_LT(multi, good.size());
    QByteArray spoiled = good;
    spoiled[multi] = char(~spoiled.at(multi));

    EXPECT_NE(load(spoiled), 0);
    EXPECT_TRUE(memory->VoiceMap()->VceMem()->GetVoiceName(1, 7).startsWith(QStringLiteral("Saltglass")));
    EXPECT_EQ(pan(2), 0x50);
    EXPECT_FALSE(memory->MultiMap()->IsMuteStatus(2));
    EXPECT_TRUE(memory->MultiMap()->IsSoloStatus(4));

    // The good document still loads over it.
    ASSERT_EQ(load(good), 0);
    EXPECT_TRUE(memory->VoiceMap()->VceMem()->GetVoiceName(1, 7).startsWith(QStringLiteral("Brackwater")));
    EXPECT_EQ(pan(2), 0x30);
    EXPECT_TRUE(memory->MultiMap()->IsMuteStatus(2));

    // Refused again, it leaves the memory of just before it, not that of the first refusal.
    EXPECT_NE(load(spoiled), 0);
    EXPECT_TRUE(memory->VoiceMap()->VceMem()->GetVoiceName(1, 7).startsWith(QStringLiteral("Brackwater")));
    EXPECT_EQ(pan(2), 0x30);
    EXPECT_TRUE(memory->MultiMap()->IsMuteStatus(2));
    EXPECT_FALSE(memory->MultiMap()->IsSoloStatus(4));
}

// The engine's checks on single messages and its template lists: byte counts,
// checksums and lengths read within the message, blocks of the wrong length,
// the request message and its part byte, and a template missing a section.
#include "SimLink.h"
#include "console/bulk/MidiCtrl.h"
#include "console/bulk/MidiFormat.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace BulkTest;

namespace {

// A bulk dump of device 0 with the given count bytes and data.
Bytes dump(const Bytes& address, const Bytes& data, int count)
{
    Bytes m = {0xF0, 0x43, 0x00, 0x5C, uint8_t(count >> 8), uint8_t(count & 0xFF)};
    m.insert(m.end(), address.begin(), address.end());
    m.insert(m.end(), data.begin(), data.end());
    m.push_back(CMidiCtrl::GetCheckSum(m.data() + 4, int(m.size()) - 4));
    m.push_back(0xF7);
    return m;
}

class BulkEngine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        rig = std::make_unique<Rig>();
        ASSERT_TRUE(rig->built);
        // Only what the test feeds reaches the engines.
        rig->sim.setFault(SimulatedInstrument::Fault::NoReply);
    }
    std::unique_ptr<Rig> rig;
};

TEST_F(BulkEngine, ByteCountIsBase256AndCountsTheDataOnly)
{
    CBulk& bulk = rig->voiceBulk();
    QSignalSpy errors(&bulk, &CBulk::bulkRcvErrorOccurred);
    bulk.BulkReq(0, -1);
    // 0x01 0x02: 258 data bytes, 259 with the checksum between address and F7.
    const Bytes ok = dump({0x40, 0x00, 0x00}, Bytes(258, 0x11), 0x0102);
    bulk.MidiRecieve(ok.data(), int(ok.size()));
    EXPECT_EQ(errors.count(), 0);
    EXPECT_FALSE(bulk.IsBulkReceiveError());
    const Bytes off = dump({0x40, 0x00, 0x00}, Bytes(258, 0x11), 0x0103);
    bulk.MidiRecieve(off.data(), int(off.size()));
    ASSERT_EQ(errors.count(), 1);
    EXPECT_EQ(errors.last().at(0).toInt(), 2);
}

TEST_F(BulkEngine, ChecksAreMadeWithinTheMessagesLength)
{
    CBulk& bulk = rig->voiceBulk();
    QSignalSpy errors(&bulk, &CBulk::bulkRcvErrorOccurred);
    bulk.BulkReq(0, -1);
    Bytes m = dump({0x40, 0x00, 0x00}, Bytes(10, 0x22), 10);
    // Cut before its F7 (and the buffer ends there): a checksum error, nothing read beyond.
    std::vector<unsigned char> cut(m.begin(), m.end() - 1);
    bulk.MidiRecieve(cut.data(), int(cut.size()));
    ASSERT_EQ(errors.count(), 1);
    EXPECT_EQ(errors.last().at(0).toInt(), 1);
    bulk.ClearRxStatusAll();
    // Only the header: shorter than any dump.
    std::vector<unsigned char> header(m.begin(), m.begin() + 4);
    bulk.MidiRecieve(header.data(), int(header.size()));
    const Bytes empty = {0xF0, 0x43, 0x00, 0x5C, 0xF7};
    bulk.MidiRecieve(empty.data(), int(empty.size()));
    EXPECT_EQ(errors.count(), 2);
    // Another device's dump is not ours: dropped without a report.
    bulk.ClearRxStatusAll();
    m[2] = 0x03;
    bulk.MidiRecieve(m.data(), int(m.size()));
    EXPECT_EQ(errors.count(), 2);
}

TEST_F(BulkEngine, ReceivedBlockOfTheWrongLengthIsNotStored)
{
    CBulk& bulk = rig->multiBulk();
    bulk.MultiReq(0);
    const Bytes header = {0xF0, 0x43, 0x00, 0x5C, 0x00, 0x00, 0x0E, 0x7F, 0x00, 0x73, 0xF7};
    bulk.MidiRecieve(header.data(), int(header.size()));
    ASSERT_EQ(bulk.GetRxStatus(), CBulk::kRxInDump);
    const Bytes before = storedVoice(rig->multi, 0, 0);
    const Bytes adr = {0x36, 0x00, 0x00};
    const Bytes blockBefore = editorBlock(rig->multi, adr);
    ASSERT_EQ(blockBefore.size(), 101u);

    const Bytes shortBlock = dump(adr, Bytes(100, 0x33), 100);
    bulk.MidiRecieve(shortBlock.data(), int(shortBlock.size()));
    const Bytes longBlock = dump(adr, Bytes(102, 0x33), 102);
    bulk.MidiRecieve(longBlock.data(), int(longBlock.size()));
    EXPECT_EQ(storedVoice(rig->multi, 0, 0), before);
    EXPECT_EQ(editorBlock(rig->multi, adr), blockBefore);

    const Bytes whole = dump(adr, Bytes(101, 0x33), 101);
    bulk.MidiRecieve(whole.data(), int(whole.size()));
    const Bytes after = storedVoice(rig->multi, 0, 0);
    EXPECT_EQ(Bytes(after.begin(), after.begin() + 101), Bytes(101, 0x33));
}

TEST_F(BulkEngine, RequestLeavesTheCallersAddressAndKeepsThePartSevenBit)
{
    CBulk& bulk = rig->voiceBulk();
    rig->port.clear();
    unsigned char adr[3] = {0x0E, 0x00, 0x05};
    // The companion passes its transmit interval as the part.
    bulk.SetBulkReqMidi(true, 0, adr, 300);
    EXPECT_EQ(adr[0], 0x0E);
    unsigned char zero[3] = {0, 0, 0};
    bulk.SetBulkReqMidi(true, 0, zero, 5);
    bulk.SetBulkReqMidi(true, 0, adr, -1);
    const QList<QByteArray> sent = rig->port.sentCopy();
    ASSERT_EQ(sent.size(), 3);
    EXPECT_EQ(sent[0], QByteArray::fromHex("F043205C1200057FF7"));
    EXPECT_EQ(sent[1], QByteArray::fromHex("F043205C000000F7"));
    EXPECT_EQ(sent[2], QByteArray::fromHex("F043205C0E0005F7"));
    // Before any request, a message is checked against category 0's layout.
    CBulk fresh;
    fresh.InitSet(&rig->voice, &rig->voice.EditorBlk(), rig->voice.VceMem(), &rig->voice.MidiFormat());
    const Bytes m = dump({0x40, 0x00, 0x00}, Bytes(3, 1), 3);
    QSignalSpy received(&fresh, &CBulk::bulkRecieved);
    fresh.MidiRecieve(m.data(), int(m.size()));
    EXPECT_EQ(received.count(), 1);
    EXPECT_EQ(fresh.GetState(), CBulk::kIdle);
}

TEST_F(BulkEngine, ShippedListsAreRead)
{
    CBulk& voice = rig->voiceBulk();
    EXPECT_EQ(voice.GetHeaderCount(), 18);
    EXPECT_EQ(voice.GetFooterCount(), 18);
    EXPECT_EQ(voice.GetBulkReqCategorySize(), 7);
    EXPECT_EQ(voice.GetBulkReqCategoryName(3), QStringLiteral("Drum User"));
    EXPECT_EQ(voice.GetBulkReqTotalNum(3), 32);
    // The preset receive walks request 0, which asks for every preset bank; one
    // request of each bank follows it.
    ASSERT_EQ(voice.GetPresetVoiceBulkReqCategorySize(), 10);
    int eachBank = 0;
    for (short category = 1; category < 10; ++category)
        eachBank += voice.GetPresetVoiceBulkReqTotalNum(category);
    EXPECT_EQ(voice.GetPresetVoiceBulkReqTotalNum(0), eachBank);
    EXPECT_EQ(voice.GetPresetVoiceBulkReqCategoryName(1), QStringLiteral("Normal Preset 1"));
    EXPECT_TRUE(voice.IsPresetMode());
    EXPECT_EQ(voice.GetPresetFile(), QStringLiteral("TOVAR-VANTPRESETS"));
    EXPECT_EQ(voice.GetBulkOutCategorySize(), 7);
    EXPECT_EQ(voice.GetBulkOutItemNum(6), 4);
    EXPECT_EQ(voice.GetBulkOutTotalNum(3), 32 * 81);
    EXPECT_TRUE(voice.IsBulkHeader(0, 0));
    EXPECT_EQ(voice.GetBulkOutEditBuffItemCount(), 3);
    BULKOUT edit;
    EXPECT_TRUE(voice.GetBulkOutCategoryInfo(-1, edit));
    EXPECT_EQ(edit.count, 3);
    CBulk& multi = rig->multiBulk();
    EXPECT_EQ(multi.GetBulkReqTotalNum(0), 1);
    EXPECT_EQ(multi.GetBulkOutTotalNum(0), 25);
    EXPECT_EQ(multi.GetBulkReqTimeOut(), 3000);
}

TEST_F(BulkEngine, FooterOfAnotherVoiceLeavesTheWalkWaiting)
{
    CBulk& bulk = rig->voiceBulk();
    rig->port.clear();
    bulk.BulkReq(0, -1);
    ASSERT_EQ(rig->port.sentCopy().size(), 1);
    const Bytes header = dump({0x0E, 0x00, 0x00}, {}, 0);
    bulk.MidiRecieve(header.data(), int(header.size()));
    ASSERT_EQ(bulk.GetRxStatus(), CBulk::kRxInDump);
    const VCEMEM_INFO* cat = rig->voice.VceMem()->GetCategory(0);
    ASSERT_NE(cat, nullptr);
    Bytes want;
    for (const VCEMEM_ADRS& b : cat->blocks) {
        const Bytes data(size_t(b.size), uint8_t(0x30 + want.size() % 7));
        const Bytes m = dump(Bytes(b.address, b.address + 3), data, b.size);
        bulk.MidiRecieve(m.data(), int(m.size()));
        want.insert(want.end(), data.begin(), data.end());
    }
    EXPECT_EQ(storedVoice(rig->voice, 0, 0), want);
    const Bytes otherFooter = dump({0x0F, 0x00, 0x01}, {}, 0);
    bulk.MidiRecieve(otherFooter.data(), int(otherFooter.size()));
    EXPECT_FALSE(bulk.ReadyNextBulkReq());
    EXPECT_EQ(rig->port.sentCopy().size(), 1);
    EXPECT_FALSE(bulk.IsBulkReceiveError());
    const Bytes footer = dump({0x0F, 0x00, 0x00}, {}, 0);
    bulk.MidiRecieve(footer.data(), int(footer.size()));
    const QList<QByteArray> sent = rig->port.sentCopy();
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(sent[1], QByteArray::fromHex("F043205C0E0001F7"));
    // The same voice framed again is a duplicate: not taken as a new dump.
    bulk.MidiRecieve(header.data(), int(header.size()));
    EXPECT_EQ(bulk.GetRxStatus(), CBulk::kRxNone);
}

class BulkTemplate : public ::testing::TestWithParam<const char*>
{
};

TEST_P(BulkTemplate, MissingSectionFailsTheListsWithItsName)
{
    QFile in(shippedVoiceTemplate());
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    QByteArray text = in.readAll();
    const QByteArray section = QByteArray("[") + GetParam() + "]";
    ASSERT_TRUE(text.contains("\n" + section + "\n"));
    text.replace("\n" + section + "\n", "\n[removed]\n");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cut-%1.tpm").arg(QLatin1String(GetParam())));
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(text);
    out.close();
    CMidiFormat formats;
    ASSERT_TRUE(formats.MakeList(path));
    CBulk bulk;
    bulk.InitSet(nullptr, nullptr, nullptr, &formats);
    const bool optional = QByteArray(GetParam()) == "preset_bulk_req_list";
    EXPECT_EQ(bulk.MakeList(path), optional);
    if (optional)
        EXPECT_EQ(bulk.GetPresetVoiceBulkReqCategorySize(), 0);
    else
        EXPECT_TRUE(bulk.ErrorText().contains(QLatin1String(GetParam())) || bulk.ErrorText().contains(QLatin1String("Voice")))
            << bulk.ErrorText().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Sections, BulkTemplate,
                         ::testing::Values("header", "hooter", "bulk_req_list", "VoiceRequest2", "bulk_out_list",
                                           "bulk_out_item_list", "VoiceOut1", "bulk_out_current_list",
                                           "EditBuffSelPrmChngList", "preset_bulk_req_list"));

} // namespace

// Bulk lists a memory template may carry beyond the shipped ones (select changes
// before a voice, parameter changes after it, storage framing around a category),
// and the error a broken bulk section gives.
#include "console/bulk/Bulk.h"
#include "console/model/PrmCtrl.h"
#include "console/model/SynthMemory.h"
#include "console/model/tests/CapturePort.h"
#include "console/model/tests/TemplateVariantFixture.h"
#include "console/model/tests/TestPaths.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using Edit = TemplateEdit;

class BulkTemplate : public TemplateVariantTest
{
protected:
    // Runs the queued send to its end; what went out is on the port.
    static void sendAll(CBulk& bulk)
    {
        for (int guard = 0; guard < 1000 && bulk.ContinueSend(); ++guard) {
        }
    }
};

} // namespace

// The messages the fixture map frames a voice with, and its two blocks as they stand.
const char kHeader[] = "F0 43 00 5C 00 00 0E 7F 00 73 F7";
const char kFxBlock[] = "F0 43 00 5C 00 04 36 01 00 00 00 00 00 45 F7";
const char kSysBlock[] = "F0 43 00 5C 00 02 00 00 00 7F 40 3F F7";
const char kFooter[] = "F0 43 00 5C 00 00 0F 7F 00 72 F7";

QList<QByteArray> messages(std::initializer_list<const char*> hex)
{
    QList<QByteArray> out;
    for (const char* h : hex)
        out.append(hexBytes(h));
    return out;
}

TEST_F(BulkTemplate, AVoiceGoesOutAfterItsSelectChangesAndBeforeItsParameterChanges)
{
    CPrmCtrl map;
    CapturePort port;
    // A select change before the voice; after it, a parameter change for each address
    // of a range over both system parameters.
    ASSERT_TRUE(build(map, {{"mode=2", "mode=0"},
                            {"[FixSelect]\nwaitTime=0\nsize=0\n", "[FixSelect]\nwaitTime=0\nsize=1\n0=0,000001,1,33,\n"},
                            {"ParameterChangeSize=0\n", "ParameterChangeSize=1\n0=0,000000,000000,000001\n"}}))
        << map.ErrorText().toStdString();
    map.SetMIDI(&port, 0);
    CBulk& bulk = *map.Bulk();
    ASSERT_TRUE(bulk.BulkOutLibVce(0, 0));
    sendAll(bulk);
    EXPECT_EQ(port.sent, messages({"F0 43 10 5C 00 00 01 33 F7", kHeader, kFxBlock, kSysBlock, kFooter,
                                   "F0 43 10 5C 00 00 00 7F F7", "F0 43 10 5C 00 00 01 40 F7"}));
    EXPECT_EQ(bulk.GetState(), CBulk::kIdle);
    // A voice the category does not hold is refused and nothing goes out.
    port.sent.clear();
    EXPECT_FALSE(bulk.BulkOutLibVce(0, 1));
    EXPECT_FALSE(bulk.BulkOutLibVce(5, 0));
    sendAll(bulk);
    EXPECT_TRUE(port.sent.isEmpty());
}

TEST_F(BulkTemplate, EditBufferSendTakesTheChosenImageAfterItsListsSelectChanges)
{
    CPrmCtrl map;
    CapturePort port;
    // List mode 1: the select list is the one the caller names. Its program change
    // carries the part when one is given, else its own data byte.
    ASSERT_TRUE(build(map, {{"mode=2", "mode=1"},
                            {"[EditBuffSelPrmChngList]\nsize=1\n", "[EditBuffSelPrmChngList]\nsize=2\n1=SecondSelect\n"},
                            {"[FixSelect]\nwaitTime=0\nsize=0\n",
                             "[FixSelect]\nwaitTime=0\nsize=0\n\n[SecondSelect]\nwaitTime=0\nsize=2\n0=2,00,1,05,\n1=0,000001,1,22,0\n"}}))
        << map.ErrorText().toStdString();
    map.SetMIDI(&port, 0);
    CBulk& bulk = *map.Bulk();
    // The edit buffer's master volume changes; the second image keeps the template's.
    const unsigned char volume[3] = {0, 0, 0}, quiet = 0x10;
    bool linked = false;
    ASSERT_TRUE(map.SetData(0, volume, &quiet, linked, LINK_OFF, MIDI_OFF, false, 0));

    ASSERT_TRUE(bulk.BulkOutEditBufVce(0, 0, 0, 1));
    sendAll(bulk);
    EXPECT_EQ(port.sent, messages({"C0 05", "F0 43 10 5C 00 00 01 22 F7", kHeader, kFxBlock,
                                   "F0 43 00 5C 00 02 00 00 00 10 40 2E F7", kFooter}));
    port.sent.clear();
    ASSERT_TRUE(bulk.BulkOutEditBufVce(0, 0, 1, 1));
    sendAll(bulk);
    EXPECT_EQ(port.sent, messages({"C0 05", "F0 43 10 5C 00 00 01 22 F7", kHeader, kFxBlock, kSysBlock, kFooter}));

    port.sent.clear();
    bulk.BulkOutMultipleBulkHeader();
    bulk.SendEditBuffSelPrmChng(1, 0, 9);
    bulk.SendEditBuffSelPrmChng(2, 0, 9);  // no such list: nothing
    bulk.BulkOutMultipleBulkFooter();
    sendAll(bulk);
    EXPECT_EQ(port.sent, messages({"C0 09", "F0 43 10 5C 00 00 01 22 F7"}));
    EXPECT_FALSE(bulk.BulkOutEditBufVce(3, 0, 0, 1));
}

TEST_F(BulkTemplate, StorageFramingSurroundsACategoryOrAWholeMultipleSend)
{
    CPrmCtrl map;
    CapturePort port;
    ASSERT_TRUE(build(map, {},
                      "\n[multiple_bulk_control]\nWaitTime=5\nheader0=0,0E7F01,0E7F01,0E7F01,2\n"
                      "footer0=0,0F7F01,0F7F01,0F7F01,2\n"))
        << map.ErrorText().toStdString();
    map.SetMIDI(&port, 0);
    CBulk& bulk = *map.Bulk();
    ASSERT_TRUE(bulk.IsBulkStrageHeader(0));
    ASSERT_TRUE(bulk.IsBulkStrageFooter(0));
    EXPECT_FALSE(bulk.IsBulkStrageHeader(1));
    EXPECT_EQ(bulk.GetBulkStrageHeaderInfo(0).pos, 2);
    EXPECT_FALSE(bulk.GetBulkStrageFooterInfo(1).present);
    const char storageHeader[] = "F0 43 00 5C 00 00 0E 7F 01 72 F7";
    const char storageFooter[] = "F0 43 00 5C 00 00 0F 7F 01 71 F7";

    ASSERT_TRUE(bulk.BulkOutCategory(0));
    sendAll(bulk);
    EXPECT_EQ(port.sent, messages({storageHeader, kHeader, kFxBlock, kSysBlock, kFooter, storageFooter}));

    // Gathered: one storage frame around both categories, a section end after each.
    port.sent.clear();
    QSignalSpy progress(&bulk, &CBulk::bulkSendProgressChanged);
    bulk.BulkOutMultipleBulkHeader();
    ASSERT_TRUE(bulk.BulkOutCategory(0));
    ASSERT_TRUE(bulk.BulkOutCategory(0));
    EXPECT_EQ(bulk.GetSectionEnds(), (std::vector<int>{5, 9}));
    bulk.BulkOutMultipleBulkFooter();
    sendAll(bulk);
    EXPECT_EQ(port.sent, messages({storageHeader, kHeader, kFxBlock, kSysBlock, kFooter, kHeader, kFxBlock, kSysBlock,
                                   kFooter, storageFooter}));
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last().at(0).toInt(), 100);
    EXPECT_EQ(progress.last().at(1).toInt(), 2);
    EXPECT_FALSE(bulk.BulkOutCategory(1));
}

namespace {

using Report = std::pair<int, int>;  // percent, section

std::vector<Report> reports(const QSignalSpy& spy)
{
    std::vector<Report> out;
    for (const QList<QVariant>& args : spy)
        out.emplace_back(args.at(0).toInt(), args.at(1).toInt());
    return out;
}

const char kStorageFraming[] = "\n[multiple_bulk_control]\nWaitTime=5\nheader0=0,0E7F01,0E7F01,0E7F01,2\n"
                               "footer0=0,0F7F01,0F7F01,0F7F01,2\n";

} // namespace

struct Gathered
{
    const char* name;
    bool storageFraming;
    int categories;
    std::vector<Report> expected;
};

void PrintTo(const Gathered& g, std::ostream* out)
{
    *out << g.name;
}

class GatheredSend : public BulkTemplate, public ::testing::WithParamInterface<Gathered>
{
};

// A gathered send measures each category against its own messages and reports which
// one is going out; the message that ends the last category, and the storage footer,
// report nothing before the end.
TEST_P(GatheredSend, ReportsEachCategoryAsItsOwnSection)
{
    const Gathered& c = GetParam();
    CPrmCtrl map;
    CapturePort port;
    ASSERT_TRUE(build(map, {}, c.storageFraming ? kStorageFraming : "")) << map.ErrorText().toStdString();
    map.SetMIDI(&port, 0);
    CBulk& bulk = *map.Bulk();
    QSignalSpy progress(&bulk, &CBulk::bulkSendProgressChanged);
    bulk.BulkOutMultipleBulkHeader();
    for (int i = 0; i < c.categories; ++i)
        ASSERT_TRUE(bulk.BulkOutCategory(0));
    bulk.BulkOutMultipleBulkFooter();
    sendAll(bulk);
    EXPECT_EQ(reports(progress), c.expected);
    EXPECT_EQ(port.sent.size(), 4 * c.categories + (c.storageFraming ? 2 : 0));
}

INSTANTIATE_TEST_SUITE_P(
    Bulk, GatheredSend,
    ::testing::Values(
        Gathered{"OneCategory", false, 1, {{25, 0}, {50, 0}, {75, 0}, {100, 1}}},
        Gathered{"TwoCategories", false, 2, {{25, 0}, {50, 0}, {75, 0}, {0, 1}, {25, 1}, {50, 1}, {75, 1}, {100, 2}}},
        Gathered{"TwoInStorageFraming", true, 2,
                 {{20, 0}, {40, 0}, {60, 0}, {80, 0}, {0, 1}, {25, 1}, {50, 1}, {75, 1}, {100, 2}}},
        Gathered{"ThreeCategories", false, 3,
                 {{25, 0}, {50, 0}, {75, 0}, {0, 1}, {25, 1}, {50, 1}, {75, 1}, {0, 2}, {25, 2}, {50, 2}, {75, 2},
                  {100, 3}}}),
    [](const auto& info) { return std::string(info.param.name); });

// A single voice sent after a gathered send is measured against its own four messages.
TEST_F(BulkTemplate, VoiceSentAfterAGatheredSendIsOneSection)
{
    CPrmCtrl map;
    CapturePort port;
    ASSERT_TRUE(build(map, {}, kStorageFraming)) << map.ErrorText().toStdString();
    map.SetMIDI(&port, 0);
    CBulk& bulk = *map.Bulk();
    bulk.BulkOutMultipleBulkHeader();
    ASSERT_TRUE(bulk.BulkOutCategory(0));
    ASSERT_TRUE(bulk.BulkOutCategory(0));
    bulk.BulkOutMultipleBulkFooter();
    sendAll(bulk);
    QSignalSpy progress(&bulk, &CBulk::bulkSendProgressChanged);
    ASSERT_TRUE(bulk.BulkOutLibVce(0, 0));
    sendAll(bulk);
    EXPECT_EQ(reports(progress), (std::vector<Report>{{25, 0}, {50, 0}, {75, 0}, {100, 0}}));
    EXPECT_TRUE(bulk.GetSectionEnds().empty());
}

namespace {

struct BrokenBulk
{
    const char* name;
    std::vector<Edit> edits;
    const char* extra;
    const char* section;
    const char* fault;
};

class BrokenBulkTemplate : public BulkTemplate, public ::testing::WithParamInterface<BrokenBulk>
{
};

} // namespace

TEST_P(BrokenBulkTemplate, IsRefusedWithItsSectionAndFault)
{
    const BrokenBulk& f = GetParam();
    CPrmCtrl map;
    ASSERT_FALSE(build(map, f.edits, f.extra));
    const QString error = map.ErrorText();
    EXPECT_TRUE(error.contains(QLatin1String(f.section))) << error.toStdString();
    EXPECT_TRUE(error.contains(QLatin1String(f.fault))) << error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Bulk, BrokenBulkTemplate,
    ::testing::Values(
        BrokenBulk{"CategoryListMissingKey", {{"[midi_format]\nsize=4\n", "[midi_format]\nsize=5\n"}}, "", "midi_format",
                   "missing key 4"},
        BrokenBulk{"CategoryWithTwoLayouts", {{"3=6,6,6,6", "3=6,6"}}, "", "midi_format", "key 3 needs four layout numbers"},
        BrokenBulk{"CategoryOfAnUnknownLayout", {{"3=6,6,6,6", "3=6,6,6,9"}}, "", "midi_format",
                   "category 3 names a layout that does not exist"},
        BrokenBulk{"LayoutListWithoutSize", {{"[midi_format_list]\nsize=7\n", "[midi_format_list]\n"}}, "", "midi_format_list",
                   "missing or bad size"},
        BrokenBulk{"LayoutListMissingName", {{"[midi_format_list]\nsize=7\n", "[midi_format_list]\nsize=8\n"}}, "",
                   "midi_format_list", "missing key 7"},
        BrokenBulk{"LayoutAbsent", {{"6=PrmChngRule", "6=NoLayout"}}, "", "NoLayout", "missing layout section"},
        BrokenBulk{"LayoutWithoutType", {{"[CtrlChng]\nmidi_type=1\n", "[CtrlChng]\n"}}, "", "CtrlChng", "missing midi_type"},
        BrokenBulk{"LayoutWithoutBytes", {{"midi_type=1\nmidi_format=1,B0\n", "midi_type=1\n"}}, "", "CtrlChng",
                   "missing midi_format"},
        BrokenBulk{"LayoutHeaderCountWrong", {{"midi_format=1,B0", "midi_format=2,B0"}}, "", "CtrlChng",
                   "header count and bytes disagree"},
        BrokenBulk{"LayoutWithoutChecksum", {{"adrs_pos=1\nchecksum=65535,0\n", "adrs_pos=1\n"}}, "", "CtrlChng",
                   "missing checksum"},
        BrokenBulk{"LayoutWithoutModifyFlag", {{"adrsLen=1\nmodify_flag=0", "adrsLen=1"}}, "", "CtrlChng",
                   "missing modify_flag"},
        BrokenBulk{"UnknownMessageType", {{"midi_type=1\nmidi_format=1,B0", "midi_type=9\nmidi_format=1,B0"}}, "", "CtrlChng",
                   "unknown midi_type 9"},
        BrokenBulk{"ChannelLayoutWithoutStatus", {{"midi_format=1,B0", "midi_format=1,30"}}, "", "CtrlChng",
                   "a channel message needs a status byte"},
        BrokenBulk{"ChannelLayoutOfThreeAddressBytes", {{"adrsLen=1\nmodify_flag=0", "adrsLen=3\nmodify_flag=0"}}, "",
                   "CtrlChng", "a channel message has at most 2 address bytes"},
        BrokenBulk{"SysexLayoutWithoutF0", {{"midi_format=4,F043105C", "midi_format=4,E043105C"}}, "", "PrmChng",
                   "a system-exclusive layout starts with F0"},
        BrokenBulk{"AddressBeforeTheHeaderEnds", {{"[PrmChng]\nmidi_type=0\nmidi_format=4,F043105C\ndevice_num_pos=2\nbyte_count_pos=65535\nadrs_pos=4",
                                                   "[PrmChng]\nmidi_type=0\nmidi_format=4,F043105C\ndevice_num_pos=2\nbyte_count_pos=65535\nadrs_pos=9"}},
                   "", "PrmChng", "adrs_pos 9 does not follow the header"},
        BrokenBulk{"HeaderWithoutSize", {{"[header]\nsize=1\n", "[header]\n"}}, "", "header", "missing or bad size"},
        BrokenBulk{"HeaderMissingKey", {{"[header]\nsize=1\n", "[header]\nsize=2\n"}}, "", "header", "missing key 1"},
        BrokenBulk{"HeaderShortAddress", {{"0=0,0E7F00,0E7F00,0E7F00,2,0\n\n[hooter]", "0=0,0E7F,0E7F00,0E7F00,2,0\n\n[hooter]"}},
                   "", "header", "key 0: bad address"},
        BrokenBulk{"HeaderPositionBeyondAddress", {{"0=0,0E7F00,0E7F00,0E7F00,2,0\n\n[hooter]", "0=0,0E7F00,0E7F00,0E7F00,3,0\n\n[hooter]"}},
                   "", "header", "key 0: bad position or category"},
        BrokenBulk{"RequestsWithoutTimeOut", {{"time_out=3000\n", ""}}, "", "bulk_req_list", "missing time_out or ReqWaitTime"},
        BrokenBulk{"RequestCategoryWithoutName", {{"name=Multi\nsize=1\n0=0,0E7F00", "size=1\n0=0,0E7F00"}}, "", "FixRequest",
                   "missing name"},
        BrokenBulk{"RequestCategoryWithoutSize", {{"name=Multi\nsize=1\n0=0,0E7F00", "name=Multi\n0=0,0E7F00"}}, "", "FixRequest",
                   "missing or bad size"},
        BrokenBulk{"RequestCategoryMissingKey", {{"name=Multi\nsize=1\n0=0,0E7F00", "name=Multi\nsize=2\n0=0,0E7F00"}}, "",
                   "FixRequest", "missing key 1"},
        BrokenBulk{"RequestShortAddress", {{"0=0,0E7F00,000000,000000,1", "0=0,0E7F,000000,000000,1"}}, "", "FixRequest",
                   "key 0: bad address"},
        BrokenBulk{"RequestWithoutHeaderMode", {{"0=0,0E7F00,000000,000000,1", "0=0,0E7F00,000000,000000"}}, "", "FixRequest",
                   "key 0: missing header mode"},
        BrokenBulk{"OutListWithoutSize", {{"[bulk_out_list]\nsize=1\n", "[bulk_out_list]\n"}}, "", "bulk_out_list",
                   "missing or bad size"},
        BrokenBulk{"OutListMissingKey", {{"[bulk_out_list]\nsize=1\n", "[bulk_out_list]\nsize=2\n"}}, "", "bulk_out_list",
                   "missing key 1"},
        BrokenBulk{"OutListWithoutCount", {{"0=Multi,1,0\n", "0=Multi\n"}}, "", "bulk_out_list", "key 0: bad count"},
        BrokenBulk{"OutListMissingItem", {{"0=Multi,1,0\n", "0=Multi,2,0\n"}}, "", "bulk_out_list", "key 0: missing item 1"},
        BrokenBulk{"ItemWithoutHeader", {{"[FixOut]\nheader=0,0E7F00,0E7F00,0E7F00\n", "[FixOut]\n"}}, "", "FixOut",
                   "missing or bad header"},
        BrokenBulk{"ItemWithoutFooter", {{"[FixOut]\nheader=0,0E7F00,0E7F00,0E7F00\nhooter=0,0F7F00,0F7F00,0F7F00\n",
                                          "[FixOut]\nheader=0,0E7F00,0E7F00,0E7F00\n"}},
                   "", "FixOut", "missing or bad hooter"},
        BrokenBulk{"ItemWithoutBlockSize", {{"blkSize=2\nLibCateNo=0\n", "LibCateNo=0\n"}}, "", "FixOut", "missing blkSize"},
        BrokenBulk{"ItemWithoutLibraryCategory", {{"blkSize=2\nLibCateNo=0\n", "blkSize=2\n"}}, "", "FixOut",
                   "missing LibCateNo"},
        BrokenBulk{"ItemWithoutRangeCount", {{"LibCateNo=0\nBulkControlSend=1\nsize=2\n", "LibCateNo=0\nBulkControlSend=1\n"}},
                   "", "FixOut", "missing or bad size"},
        BrokenBulk{"ItemMissingRange", {{"LibCateNo=0\nBulkControlSend=1\nsize=2\n", "LibCateNo=0\nBulkControlSend=1\nsize=3\n"}},
                   "", "FixOut", "missing or bad range 2"},
        BrokenBulk{"EditItemHugeParameterChanges", {{"ParameterChangeSize=0\n", "ParameterChangeSize=5000\n"}}, "", "FixEdit",
                   "bad ParameterChangeSize"},
        // A parameter-change range without a second line of its key takes the first (the
        // reader's rule for repeated keys); a key that is not there at all fails.
        BrokenBulk{"EditItemMissingParameterChange", {{"ParameterChangeSize=0\n", "ParameterChangeSize=3\n"}}, "", "FixEdit",
                   "missing or bad parameter-change range 2"},
        BrokenBulk{"SelectListWithoutWait", {{"[FixSelect]\nwaitTime=0\n", "[FixSelect]\n"}}, "", "FixSelect", "missing waitTime"},
        BrokenBulk{"SelectListWithoutSize", {{"[FixSelect]\nwaitTime=0\nsize=0\n", "[FixSelect]\nwaitTime=0\n"}}, "", "FixSelect",
                   "missing or bad size"},
        BrokenBulk{"SelectListMissingKey", {{"[FixSelect]\nwaitTime=0\nsize=0\n", "[FixSelect]\nwaitTime=0\nsize=1\n"}}, "",
                   "FixSelect", "missing key 0"},
        BrokenBulk{"SelectEntryOfUnknownCategory", {{"[FixSelect]\nwaitTime=0\nsize=0\n", "[FixSelect]\nwaitTime=0\nsize=1\n0=9,00,1,05,\n"}},
                   "", "FixSelect", "address category 9 has no address length"},
        BrokenBulk{"SelectEntryWithoutLength", {{"[FixSelect]\nwaitTime=0\nsize=0\n", "[FixSelect]\nwaitTime=0\nsize=1\n0=0,000001\n"}},
                   "", "FixSelect", "key 0: bad address or data length"},
        BrokenBulk{"SelectEntryShortData", {{"[FixSelect]\nwaitTime=0\nsize=0\n", "[FixSelect]\nwaitTime=0\nsize=1\n0=0,000001,2,05,\n"}},
                   "", "FixSelect", "key 0: bad data"}),
    [](const ::testing::TestParamInfo<BrokenBulk>& info) { return std::string(info.param.name); });

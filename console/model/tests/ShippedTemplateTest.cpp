#include "ShippedMapsFixture.h"
#include "TestPaths.h"
#include "console/model/IniFileJob.h"
#include "console/model/PrmCtrl.h"

#include <QFileInfo>
#include <gtest/gtest.h>
#include <vector>

namespace {

// The symbol groups of the memory API: element, channel and parameter numbers.
struct Group
{
    const char* name;
    int element;
    int channel;
    std::vector<int> params;
};

std::vector<Group> symbolGroups()
{
    std::vector<int> rev = {0}, cho = {0}, ef = {0};
    for (int i = 1; i <= 16; ++i) {
        rev.push_back(2 * i);
        cho.push_back(2 * i);
        ef.push_back(2 * i);
    }
    rev.insert(rev.end(), {34, 35});
    cho.insert(cho.end(), {34, 35, 36});
    ef.push_back(34);
    std::vector<int> common;
    for (int i = 0; i < 10; ++i)
        common.push_back(i);
    common.insert(common.end(), {17, 18, 20, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 36, 38, 40,
                                 42, 44, 46, 48, 50, 62, 63, 65, 66, 67, 68, 69, 70, 88, 89, 90, 91, 92, 94, 96});
    return {
        {"kMixPart", 55, -1, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16, 18, 19, 21, 22, 23, 24, 26,
                              27, 28, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 42, 43, 44, 46, 48, 50, 52,
                              53, 54, 56}},
        {"kCommon", 54, 0, common},
        {"kCommonReverb", 54, 1, rev},
        {"kCommonChorus", 54, 2, cho},
        {"kCommonEQ", 54, 16, {0, 1, 2, 3, 4, 5, 6, 8, 9, 10, 12, 13, 14, 16, 17, 18, 19}},
        {"kCommonMasterEF", 54, 17, ef},
    };
}

class ShippedTemplate : public ShippedMapsFixture
{
protected:
    static bool isParam(CPrmCtrl* m, int a0, int a1, int a2)
    {
        const unsigned char a[3] = {(unsigned char)a0, (unsigned char)a1, (unsigned char)a2};
        return m->EditorBlk().IsParam(0, a);
    }
    static int paramSize(CPrmCtrl* m, int a0, int a1, int a2)
    {
        const unsigned char a[3] = {(unsigned char)a0, (unsigned char)a1, (unsigned char)a2};
        return m->EditorBlk().GetParamSize(0, a);
    }

};

} // namespace

TEST_F(ShippedTemplate, BothMapsLoadWithoutError)
{
    EXPECT_TRUE(multiOk) << multi->ErrorText().toStdString();
    EXPECT_TRUE(voiceOk) << voice->ErrorText().toStdString();
}

TEST_F(ShippedTemplate, EverySymbolResolvesToAParameter)
{
    ASSERT_TRUE(multiOk);
    for (const Group& g : symbolGroups()) {
        for (int ch = 0; ch < 16; ++ch) {
            if (g.channel >= 0 && ch > 0)
                break;
            const int channel = g.channel >= 0 ? g.channel : ch;
            for (int p : g.params)
                EXPECT_TRUE(isParam(multi, g.element, channel, p))
                    << g.name << " " << g.element << "/" << channel << "/" << p;
        }
    }
    EXPECT_TRUE(isParam(multi, 0, 0, 0));  // kCommMasterVol
}

TEST_F(ShippedTemplate, FixedAddressesHaveTheirSizes)
{
    ASSERT_TRUE(multiOk);
    for (int p = 0; p < 16; ++p) {
        for (int n = 0; n <= 0x39; ++n)
            EXPECT_EQ(paramSize(multi, 0x37, p, n), 1) << p << " " << n;
        EXPECT_EQ(paramSize(multi, 0x37, p, 0x3A), 0);
        EXPECT_EQ(paramSize(multi, 0x37, p, 0x0D), 1);
        EXPECT_EQ(paramSize(multi, 0x37, p, 0x1F), 1);
        EXPECT_EQ(paramSize(multi, 0x37, p, 0x27), 1);
    }
    EXPECT_EQ(paramSize(multi, 0x36, 0, 0x14), 2);
    for (int sf = 0x2A; sf <= 0x32; sf += 2)
        EXPECT_EQ(paramSize(multi, 0x36, 0, sf), 2);
    EXPECT_EQ(paramSize(multi, 0x36, 0, 0x60), 3);
    const unsigned char ins[3] = {0x36, 0x00, 0x60};
    PRMINFO info;
    ASSERT_TRUE(multi->GetPrmInfo(0, ins, info));
    EXPECT_EQ(info.assignStyle, 7);  // 21 switch bits
    // The arpeggio switch is bit 1 of 37 pp 1F and on by default.
    const unsigned char rcv[3] = {0x37, 0x04, 0x1F};
    unsigned char v[1];
    ASSERT_EQ(multi->EditorBlk().GetData(0, rcv, v), 1);
    EXPECT_EQ(v[0] & 0x02, 0x02);
    EXPECT_EQ(v[0] & 0x80, 0);
    // The voice map's flush reads these.
    for (int e = 0; e < 4; ++e)
        EXPECT_TRUE(isParam(voice, 0x44, e, 0));
    for (int k = 0; k < 73; ++k)
        EXPECT_TRUE(isParam(voice, 0x4A, k, 0));
}

TEST_F(ShippedTemplate, BlocksFitTheDumpsAndImages)
{
    ASSERT_TRUE(multiOk && voiceOk);
    for (CPrmCtrl* m : {multi, voice}) {
        const CEditorBlk& blk = m->EditorBlk();
        for (int b = 0; b < blk.GetBlkCount(); ++b) {
            const BLK v = blk.GetBlkAt(b);
            // A 256-based byte count stays 7-bit only below 128 bytes.
            EXPECT_LT(v.memSize, 128) << v.name.toStdString();
            EXPECT_EQ(v.lineCount, v.memSize) << v.name.toStdString();
            ASSERT_GT(v.prmCount, 0);
            EXPECT_EQ(v.params[0].offset, 0) << v.name.toStdString();
            EXPECT_NE(v.ranges[0].low[0], 0x01);
            EXPECT_NE(v.ranges[0].low[0], 0x02);
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(v.ranges[0].repeatLow[i], v.ranges[0].repeatHigh[i]) << "dumped blocks never repeat";
        }
    }
    auto bytes = [](CPrmCtrl* m, int list) {
        int total = 0;
        for (int i = 0; i < m->BlkAdrs().GetBlkAdrsSize(list); ++i) {
            const LIBVCEDATA_ADRS a = m->BlkAdrs().GetVceDataFileBlk(list, i);
            BLK b;
            EXPECT_TRUE(m->EditorBlk().GetBlk(a.category, a.address, b));
            total += b.memSize;
        }
        return total;
    };
    ASSERT_EQ(multi->BlkAdrs().GetListCount(), 1);
    EXPECT_EQ(multi->BlkAdrs().GetBlkAdrsSize(0), 23);
    EXPECT_EQ(bytes(multi, 0), 1217);
    ASSERT_EQ(voice->BlkAdrs().GetListCount(), 3);
    EXPECT_EQ(bytes(voice, 0), 952);
    EXPECT_EQ(bytes(voice, 1), 4138);
    EXPECT_EQ(bytes(voice, 2), 353);
    EXPECT_EQ(voice->BlkAdrs().GetBlkAdrsSize(1), 79);
    // The voice file's banks start where its layout says.
    EXPECT_EQ(8192 + 128 * bytes(voice, 0), 130048);
    EXPECT_EQ(373760 + 32 * bytes(voice, 1), 506176);
    EXPECT_EQ(506176 + 64 * bytes(voice, 2), 528768);
    EXPECT_LE(528768 + 64 * bytes(voice, 2), 551424);
}

TEST_F(ShippedTemplate, SoloMuteVolumesAreThePartVolumes)
{
    ASSERT_TRUE(multiOk);
    ASSERT_EQ(multi->EditorBlk().GetVolumeNum(), 16);
    for (int p = 0; p < 16; ++p) {
        int cat = -1;
        const unsigned char* a = multi->EditorBlk().GetVolumeAddress(p, cat);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(cat, 0);
        EXPECT_EQ(QByteArray((const char*)a, 3), QByteArray::fromHex("37000D").replace(1, 1, QByteArray(1, char(p))));
    }
}

TEST_F(ShippedTemplate, EffectTypesShowNamesAndRenameTheirParameters)
{
    ASSERT_TRUE(multiOk);
    multi->EditorBlk().ResetLink();
    const unsigned char type[3] = {0x36, 0x01, 0x00};
    const unsigned char hall[2] = {0x01, 0x00};
    QString text;
    ASSERT_TRUE(multi->GetValToStr(0, type, hall, text));
    EXPECT_EQ(text, QStringLiteral("Hall Bright"));
    bool linked = false;
    ASSERT_TRUE(multi->SetData(0, type, hall, linked, LINK_ON, MIDI_OFF, false, 0));
    EXPECT_TRUE(linked);
    const unsigned char p1[3] = {0x36, 0x01, 0x02}, p16[3] = {0x36, 0x01, 0x20};
    PRMINFO info;
    ASSERT_TRUE(multi->GetPrmInfo(0, p1, info));
    EXPECT_EQ(info.name, QStringLiteral("Reverb Time"));
    ASSERT_TRUE(multi->GetPrmInfo(0, p16, info));
    EXPECT_EQ(info.dispStyle, 65535);
    // Pan shows its offset, a part's receive channel its table text.
    const unsigned char pan[3] = {0x37, 0x00, 0x0E}, v40[1] = {0x40}, v34[1] = {0x34};
    ASSERT_TRUE(multi->GetValToStr(0, pan, v40, text));
    EXPECT_EQ(text, QStringLiteral("0"));
    ASSERT_TRUE(multi->GetValToStr(0, pan, v34, text));
    EXPECT_EQ(text, QStringLiteral("-12"));
    const unsigned char rcvch[3] = {0x37, 0x02, 0x03}, off[1] = {0x10};
    ASSERT_TRUE(multi->GetValToStr(0, rcvch, off, text));
    EXPECT_EQ(text, QStringLiteral("Off"));
    // The voice map shows its values through the multi map's tables.
    const unsigned char cat[3] = {0x40, 0x00, 0x0A}, kb[1] = {0x02};
    ASSERT_TRUE(voice->GetValToStr(0, cat, kb, text));
    EXPECT_EQ(text, QStringLiteral("Kb"));
}

TEST_F(ShippedTemplate, BundleReachesOneFolderThroughBothSpellings)
{
    const QString bundle = bundleDir();
    if (bundle.isEmpty() || !QFileInfo::exists(bundle + QStringLiteral("/VEXMOOR")))
        GTEST_SKIP() << "no bundle data folder";
    EXPECT_TRUE(QFileInfo::exists(bundle + QStringLiteral("/VEXMOOR/TOVAR-VANTREL/METOVAR-VANTREL.tpm")));
    EXPECT_TRUE(QFileInfo::exists(bundle + QStringLiteral("/Vexmoor/TOVAR-VANTREL/TOVAR-VANTREL(Voice)/VETOVAR-VANTREL.tpm")));
}

namespace {

// Every list section names sections that exist, and holds its "size" keys.
void expectListResolves(const QString& path, const char* list, int expectedSize)
{
    CIniFileJob ini(path);
    ASSERT_EQ(ini.GetSection(list), 1) << list;
    int size = -1;
    ASSERT_EQ(ini.GetItem("size", size), 1) << list;
    if (expectedSize >= 0) {
        EXPECT_EQ(size, expectedSize) << list;
    }
    std::vector<QByteArray> names;
    for (int i = 0; i < size; ++i) {
        char name[64];
        ASSERT_EQ(ini.GetItem(QByteArray::number(i).constData(), name, -1, int(sizeof name)), 1) << list << " " << i;
        names.push_back(QByteArray(name).trimmed());
    }
    for (const QByteArray& n : names) {
        CIniFileJob sec(path);
        EXPECT_EQ(sec.GetSection(n.constData()), 1) << list << " names " << n.constData();
    }
}

int keyNumber(const QString& path, const char* section, const char* key)
{
    CIniFileJob ini(path);
    int v = -1;
    if (!ini.GetSection(section) || !ini.GetItem(key, v))
        return -1;
    return v;
}

} // namespace

TEST(ShippedTemplateSections, ListsOfTheBulkVoiceAndLibraryPartsResolve)
{
    const QString m = shippedMultiTemplate(), v = shippedVoiceTemplate();
    expectListResolves(m, "bulk_req_list", 1);
    expectListResolves(m, "bulk_out_item_list", 1);
    expectListResolves(m, "bulk_out_current_list", 1);
    expectListResolves(m, "EditBuffSelPrmChngList", 1);
    expectListResolves(m, "voice_memory_category", 1);
    expectListResolves(v, "bulk_req_list", 7);
    expectListResolves(v, "preset_bulk_req_list", 9);
    expectListResolves(v, "bulk_out_item_list", 6);
    expectListResolves(v, "bulk_out_current_list", 3);
    expectListResolves(v, "voice_memory_category", 18);
    expectListResolves(v, "bank_block_adrs_list", 3);
    EXPECT_EQ(keyNumber(m, "MultiOut", "blkSize"), 23);
    EXPECT_EQ(keyNumber(m, "libraryfile_Com", "fileSize"), 2048);
    EXPECT_EQ(keyNumber(v, "libraryfile_Com", "fileSize"), 551424);
    EXPECT_EQ(keyNumber(v, "libraryfile_Directory", "mem_offset"), 128);
    EXPECT_EQ(keyNumber(v, "libraryfile_Directory", "directorySize"), 14);
    EXPECT_EQ(keyNumber(v, "library_Voice_Data", "mem_offset"), 8192);
    // Edit-buffer categories start at 15; presets hold at least 128 voices.
    CIniFileJob ini(v);
    ASSERT_EQ(ini.GetSection("VoiceCategory15"), 1);
    int current = 0;
    ASSERT_EQ(ini.GetItem("current", current), 1);
    EXPECT_EQ(current, 1);
    for (int c = 6; c <= 14; ++c) {
        const QByteArray sec = "VoiceCategory" + QByteArray::number(c);
        EXPECT_GE(keyNumber(v, sec.constData(), "voice_num"), 128) << c;
    }
    ASSERT_EQ(ini.GetSection("bulk_out_list"), 1);
    char line[256];
    ASSERT_EQ(ini.GetItem("6", line, -1, int(sizeof line)), 1);
    EXPECT_TRUE(QByteArray(line).startsWith("Normal User 1 + 2 + 3 + Drum User,4,"));
}

TEST(ShippedTemplateSections, BothMapsBuildFromTheBundleFolders)
{
    if (bundleDir().isEmpty() || GetModulePath().isEmpty())
        GTEST_SKIP() << "no bundle";
    CPrmCtrl multi, voice;
    ASSERT_TRUE(multi.CreatePrmCtrl(0)) << multi.ErrorText().toStdString();
    EXPECT_TRUE(multi.TemplatePath().endsWith(QStringLiteral("/VEXMOOR/TOVAR-VANTREL/METOVAR-VANTREL.tpm")));
    ASSERT_TRUE(voice.CreatePrmCtrl(1)) << voice.ErrorText().toStdString();
    EXPECT_TRUE(voice.TemplatePath().contains(QStringLiteral("/Vexmoor/TOVAR-VANTREL/TOVAR-VANTREL(Voice)/")));
    EXPECT_EQ(voice.DispStyle().TableCount(), 0);  // the voice map reads no tables of its own
}

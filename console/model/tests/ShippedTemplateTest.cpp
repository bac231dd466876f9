#include "ShippedMapsFixture.h"
#include "TestPaths.h"
#include "console/model/IniFileJob.h"
#include "console/model/PrmCtrl.h"
#include "simulator/SimulatedInstrument.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <gtest/gtest.h>
#include <functional>
#include <map>
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
    const unsigned char hall[2] = {0x01, 0x00}, hallIndex[2] = {0x00, 0x01}; // MIDI pair, data form
    QString text;
    ASSERT_TRUE(multi->GetValToStr(0, type, hallIndex, text));
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
    expectListResolves(v, "preset_bulk_req_list", 10);
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

// ---- the data folder's banks, copy rules, arpeggio rule, boards and preset tables

namespace {

QString dataFolder()
{
    return sourceDir() + QStringLiteral("/data/VEXMOOR/TOVAR-VANTREL/");
}

// A value split as the template readers split it: at TAB or comma, empty fields dropped.
QStringList fieldsOf(CIniFileJob& ini, const char* key)
{
    QByteArray v;
    if (ini.GetItem(key, v) != 1)
        return {};
    QStringList out;
    for (const QString& f : QString::fromLatin1(v).split(QRegularExpression(QStringLiteral("[\t,\r\n]"))))
        if (!f.isEmpty())
            out << f;
    return out;
}

int intItem(const QString& path, const char* section, const char* key)
{
    CIniFileJob ini(path);
    int v = -1;
    if (ini.GetSection(section) != 1 || ini.GetItem(key, v) != 1)
        return -1;
    return v;
}

QString textItem(const QString& path, const char* section, const char* key)
{
    CIniFileJob ini(path);
    QByteArray v;
    if (ini.GetSection(section) != 1 || ini.GetItem(key, v) != 1)
        return QString();
    return QString::fromLatin1(v).trimmed();
}

// The voice-map category record c: its section name from the category list.
QByteArray voiceCategorySection(int c)
{
    CIniFileJob ini(shippedVoiceTemplate());
    QByteArray name;
    if (ini.GetSection("voice_memory_category") != 1 || ini.GetItem(QByteArray::number(c).constData(), name) != 1)
        return QByteArray();
    return name.trimmed();
}

struct Address
{
    unsigned char b[3] = {};
};

bool parseAddress(const QString& hex, Address& out)
{
    const QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
    if (hex.size() != 6 || bytes.size() != 3)
        return false;
    for (int i = 0; i < 3; ++i)
        out.b[i] = static_cast<unsigned char>(bytes[i]);
    return true;
}

Address plus(Address a, const Address& step, int times)
{
    for (int t = 0; t < times; ++t) {
        int carry = 0;
        for (int i = 2; i >= 0; --i) {
            const int sum = a.b[i] + step.b[i] + carry;
            a.b[i] = static_cast<unsigned char>(sum & 0xFF);
            carry = sum >> 8;
        }
    }
    return a;
}

struct PartsBank
{
    int kind = 0, table = 0, msb = 0, lsb = 0;
    QString second, name;
};

std::vector<PartsBank> partsBanks()
{
    std::vector<PartsBank> banks;
    CIniFileJob ini(dataFolder() + QStringLiteral("parts.ini"));
    int n = 0;
    if (ini.GetSection("VoiceSelectType0") != 1 || ini.GetItem("CategoryNum", n) != 1)
        return banks;
    for (int i = 1; i <= n; ++i) {
        const QStringList f = fieldsOf(ini, QByteArray::number(i).constData());
        if (f.size() < 6)
            continue;
        banks.push_back({f[0].toInt(), f[3].toInt(), f[4].toInt(), f[5].toInt(), f[1], f[2]});
    }
    return banks;
}

// [PrmCopyInfo] bank lines: (MSB, LSB) -> (category, copy set name).
std::map<std::pair<int, int>, std::pair<int, QString>> copyBanks(std::vector<std::pair<int, int>>* order = nullptr)
{
    std::map<std::pair<int, int>, std::pair<int, QString>> banks;
    CIniFileJob ini(shippedMultiTemplate());
    int n = 0;
    if (ini.GetSection("PrmCopyInfo") != 1 || ini.GetItem("bank_size", n) != 1)
        return banks;
    for (int i = 0; i < n; ++i) {
        const QStringList f = fieldsOf(ini, QByteArray::number(i).constData());
        if (f.size() < 4)
            continue;
        const std::pair<int, int> key{f[0].toInt(nullptr, 16), f[1].toInt(nullptr, 16)};
        if (order)
            order->push_back(key);
        banks.emplace(key, std::make_pair(f[2].toInt(), f[3]));
    }
    return banks;
}

const QStringList kBoardModelNames = {"VTB-Corvan", "VTB-Pellor", "VTB-Tambra", "VTB-Sintra",
                                      "VTB-Percel", "VTB-Ivoren", "VTB-Flauro"};

} // namespace

TEST_F(ShippedTemplate, PartsIniBanksNameTheirCategoriesAndStringTables)
{
    ASSERT_TRUE(multiOk && voiceOk);
    const std::vector<PartsBank> banks = partsBanks();
    ASSERT_EQ(banks.size(), 18u) << "every line has six fields";
    EXPECT_EQ(intItem(dataFolder() + QStringLiteral("parts.ini"), "VoiceSelectType0", "CategoryNum"), 18);
    const auto copies = copyBanks();
    QSet<QPair<int, int>> pairs;
    int presets = 0, users = 0, boardBanks = 0;
    for (const PartsBank& b : banks) {
        const std::string what = b.name.toStdString();
        EXPECT_FALSE(pairs.contains({b.msb, b.lsb})) << what << ": bank select used twice";
        pairs.insert({b.msb, b.lsb});
        const auto copy = copies.find({b.msb, b.lsb});
        ASSERT_NE(copy, copies.end()) << what << " is not a selectable bank of the copy rules";
        if (copy->second.second == QLatin1String("Board")) {
            // A board bank: a preset line whose table is a string table of the board's
            // voice names, numbered past every voice-map category.
            ++boardBanks;
            EXPECT_EQ(b.kind, 0) << what;
            EXPECT_TRUE(voiceCategorySection(b.table).isEmpty()) << what << ": table " << b.table;
            const CPlugInBoardBlk& boards = multi->PlugInBoards();
            int board = -1;
            for (int i = 0; i < boards.GetPlugInBoardNum(); ++i)
                for (int l = 0; l < boards.GetLSBCount(i, b.msb); ++l)
                    if (boards.GetLSB(i, b.msb, l) == b.lsb)
                        board = i;
            ASSERT_GE(board, 0) << what << ": no installed board has this bank";
            // The table names the programs of the board's voice file, in order from 0.
            int named = 0;
            while (named < 128 && !multi->GetStrTblKeyData(unsigned(b.table), unsigned(named)).isEmpty())
                ++named;
            EXPECT_GE(named, 64) << what;
            for (int p = 0; p < 128; ++p) {
                const QString text = multi->GetStrTblKeyData(unsigned(b.table), unsigned(p));
                if (p < named)
                    EXPECT_EQ(text.toStdString(), boards.GetVoiceName(board, b.msb, b.lsb, p).toStdString())
                        << what << " program " << p;
                else
                    EXPECT_TRUE(text.isEmpty()) << what << " program " << p;
            }
            continue;
        }
        const QByteArray sec = voiceCategorySection(b.table);
        ASSERT_FALSE(sec.isEmpty()) << what << ": table " << b.table << " is no voice-map category";
        const QString v = shippedVoiceTemplate();
        EXPECT_EQ(intItem(v, sec.constData(), "current"), 0) << what;
        // The voice map and the copy rules agree on the bank's category.
        EXPECT_EQ(copy->second.first, b.table) << what;
        if (b.kind == 1) {
            ++users;
            EXPECT_EQ(intItem(v, sec.constData(), "edit"), 1) << what;
            EXPECT_EQ(textItem(v, sec.constData(), "name"), b.second) << what;
            continue;
        }
        ++presets;
        EXPECT_EQ(intItem(v, sec.constData(), "preset_voice"), 1) << what;
        EXPECT_GE(intItem(v, sec.constData(), "voice_num"), 128) << what;
        // The same number is a string table of the multi map with a name for every program.
        const CDispStyle& styles = multi->DispStyle();
        ASSERT_LT(b.table, styles.TableCount()) << what;
        for (int p = 0; p < 128; ++p) {
            const QString text = styles.TableText(b.table, QStringLiteral("%1").arg(p, 2, 16, QLatin1Char('0')).toUpper());
            EXPECT_FALSE(text.trimmed().isEmpty()) << what << " program " << p;
            EXPECT_LE(text.size(), 10) << what << " program " << p;
        }
    }
    EXPECT_EQ(presets, 9);
    EXPECT_EQ(users, 6);
    EXPECT_EQ(boardBanks, 3);
}

TEST_F(ShippedTemplate, CopyRulesNameRealParametersOfBothMaps)
{
    ASSERT_TRUE(multiOk && voiceOk);
    const QString m = shippedMultiTemplate();
    CIniFileJob ini(m);
    ASSERT_EQ(ini.GetSection("PrmCopyInfo"), 1);
    int parts = 0;
    ASSERT_EQ(ini.GetItem("repeat_cnt", parts), 1);
    EXPECT_EQ(parts, 16);
    QStringList step = fieldsOf(ini, "repeat_address");
    ASSERT_EQ(step.size(), 2);
    Address partStep;
    ASSERT_TRUE(parseAddress(step[1], partStep));
    // Bank select MSB, LSB and program number of every part.
    int offset = 0;
    for (const char* key : {"BankMSB", "BankLSB", "Trigger"}) {
        const QStringList f = fieldsOf(ini, key);
        ASSERT_EQ(f.size(), 2) << key;
        Address a;
        ASSERT_TRUE(parseAddress(f[1], a)) << key;
        for (int p = 0; p < parts; ++p) {
            const Address at = plus(a, partStep, p);
            EXPECT_EQ(at.b[0], 0x37);
            EXPECT_EQ(at.b[1], p);
            EXPECT_EQ(at.b[2], offset) << key;
        }
        ++offset;
    }
    std::vector<std::pair<int, int>> order;
    const auto banks = copyBanks(&order);
    ASSERT_FALSE(order.empty());
    EXPECT_EQ(order.front(), std::make_pair(0x00, 0x00)) << "parts go back to PRESET 1 after a multi dump";
    EXPECT_EQ(banks.size(), order.size()) << "a bank select listed twice";
    QSet<QString> sets;
    for (const auto& b : banks)
        sets.insert(b.second.second);
    for (const QString& name : sets) {
        const QByteArray sec = "Info" + name.toLatin1();
        CIniFileJob info(m);
        ASSERT_EQ(info.GetSection(sec.constData()), 1) << sec.constData();
        const QStringList steps = fieldsOf(info, "repeat_address");
        ASSERT_EQ(steps.size(), 2) << sec.constData();
        Address srcStep, dstStep;
        ASSERT_TRUE(parseAddress(steps[0], srcStep) && parseAddress(steps[1], dstStep));
        int q = -1;
        ASSERT_EQ(info.GetItem("copy_param_size", q), 1) << sec.constData();
        for (int i = 0; i < q; ++i) {
            const QStringList f = fieldsOf(info, QByteArray::number(i).constData());
            ASSERT_EQ(f.size(), 4) << sec.constData() << " " << i;
            Address src, dst;
            ASSERT_TRUE(parseAddress(f[1], src) && parseAddress(f[3], dst));
            for (int p : {0, parts - 1}) {
                const Address s = plus(src, srcStep, p), d = plus(dst, dstStep, p);
                EXPECT_TRUE(voice->EditorBlk().IsParam(f[0].toShort(), s.b)) << sec.constData() << " " << i;
                EXPECT_TRUE(multi->EditorBlk().IsParam(f[2].toShort(), d.b)) << sec.constData() << " " << i;
                EXPECT_EQ(voice->EditorBlk().GetParamSize(0, s.b), multi->EditorBlk().GetParamSize(0, d.b));
                EXPECT_EQ(d.b[1], p) << "the copy lands in the part that selected the voice";
            }
            // Selecting an initial voice changes nothing in a part of its defaults.
            unsigned char vs[4] = {}, ps[4] = {};
            ASSERT_GT(voice->EditorBlk().GetData(0, src.b, vs), 0);
            ASSERT_GT(multi->EditorBlk().GetData(0, dst.b, ps), 0);
            EXPECT_EQ(vs[0], ps[0]) << sec.constData() << " " << i;
        }
    }
}

TEST_F(ShippedTemplate, ArpeggioRuleNamesTheSwitchAndKeyChannelOfEveryPart)
{
    ASSERT_TRUE(multiOk);
    const QString m = shippedMultiTemplate();
    CIniFileJob list(m);
    ASSERT_EQ(list.GetSection("param_special_func"), 1);
    int n = 0;
    ASSERT_EQ(list.GetItem("size", n), 1);
    ASSERT_EQ(n, 1);
    QByteArray sec;
    ASSERT_EQ(list.GetItem("0", sec), 1);
    CIniFileJob ini(m);
    ASSERT_EQ(ini.GetSection(sec.trimmed().constData()), 1);
    int type = 0, parts = 0, lines = 0;
    ASSERT_EQ(ini.GetItem("func_type", type), 1);
    ASSERT_EQ(ini.GetItem("repeat_cnt", parts), 1);
    ASSERT_EQ(ini.GetItem("param_size", lines), 1);
    EXPECT_EQ(type, 100);
    EXPECT_EQ(parts, 16);
    EXPECT_EQ(lines, 1);
    const QStringList steps = fieldsOf(ini, "repeat_address");
    const QStringList f = fieldsOf(ini, "0");
    ASSERT_EQ(steps.size(), 2);
    ASSERT_EQ(f.size(), 4);
    Address s1, s2, sw, match;
    ASSERT_TRUE(parseAddress(steps[0], s1) && parseAddress(steps[1], s2));
    ASSERT_TRUE(parseAddress(f[1], sw) && parseAddress(f[3], match));
    EXPECT_EQ(sw.b[2], 0x1F);
    int firstKey = -1;
    for (int p = 0; p < parts; ++p) {
        const Address a = plus(sw, s1, p), k = plus(match, s2, p);
        EXPECT_EQ(a.b[1], p);
        ASSERT_EQ(multi->EditorBlk().GetParamSize(0, a.b), 1) << p;
        ASSERT_EQ(multi->EditorBlk().GetParamSize(0, k.b), 1) << p;
        unsigned char v[1] = {}, key[1] = {};
        ASSERT_EQ(multi->EditorBlk().GetData(0, a.b, v), 1);
        ASSERT_EQ(multi->EditorBlk().GetData(0, k.b, key), 1);
        // On by default and in agreement, so the defaults never trip the rule.
        EXPECT_EQ(v[0] & 0x02, 0x02) << p;
        if (firstKey < 0)
            firstKey = key[0];
        EXPECT_EQ(key[0], firstKey) << p;
        PRMINFO info;
        ASSERT_TRUE(multi->GetPrmInfo(0, k.b, info));
        EXPECT_EQ(info.name, QStringLiteral("ARP Key Channel"));
    }
}

TEST_F(ShippedTemplate, BoardFilesDescribeTheNativeBlockAndTheirVoices)
{
    ASSERT_TRUE(multiOk);
    const QString folder = dataFolder() + QStringLiteral("PlugIn");
    QDir dir(folder);
    const QFileInfoList entries = dir.entryInfoList({QStringLiteral("*.tpm")}, QDir::AllEntries | QDir::NoDotAndDotDot);
    ASSERT_GE(entries.size(), 2);
    const auto banks = copyBanks();
    QSet<QString> names;
    QSet<int> identities;
    for (const QFileInfo& e : entries) {
        ASSERT_TRUE(e.isFile()) << "no folder in PlugIn may match *.tpm";
        const QString path = e.absoluteFilePath();
        const std::string what = e.fileName().toStdString();
        const QString name = textItem(path, "PlugInBorad", "Name");
        EXPECT_TRUE(kBoardModelNames.contains(name)) << what << ": " << name.toStdString();
        EXPECT_FALSE(names.contains(name)) << what;
        names.insert(name);
        const int msb = intItem(path, "PlugInBorad", "MSB"), lsb = intItem(path, "PlugInBorad", "LSB"),
                  product = intItem(path, "PlugInBorad", "ProductNo");
        ASSERT_TRUE(msb >= 0 && msb < 128 && lsb >= 0 && lsb < 128 && product >= 0 && product < 128) << what;
        EXPECT_FALSE(identities.contains(msb << 16 | lsb << 8 | product)) << what;
        identities.insert(msb << 16 | lsb << 8 | product);

        // Its blocks are blocks of the multi map: same address, same size.
        CIniFileJob ini(path);
        int tables = -1;
        ASSERT_EQ(ini.GetSection("DispStyleList"), 1) << what;
        ASSERT_EQ(ini.GetItem("size", tables), 1);
        ASSERT_EQ(ini.GetSection("AssignStyleList"), 1) << what;
        ASSERT_EQ(ini.GetSection("AssignStyleDataList"), 1) << what;
        int blocks = 0;
        ASSERT_EQ(ini.GetSection("block_list"), 1) << what;
        ASSERT_EQ(ini.GetItem("size", blocks), 1);
        ASSERT_GE(blocks, 1);
        for (int b = 0; b < blocks; ++b) {
            QByteArray sec;
            ASSERT_EQ(ini.GetItem(QByteArray::number(b).constData(), sec), 1);
            const QByteArray s = sec.trimmed();
            const QString blockName = textItem(path, s.constData(), "Name");
            const int memSize = intItem(path, s.constData(), "MemSize");
            EXPECT_EQ(intItem(path, s.constData(), "size"), memSize) << "a line per byte";
            CIniFileJob block(path);
            ASSERT_EQ(block.GetSection(s.constData()), 1);
            const QStringList range = fieldsOf(block, "info0");
            ASSERT_GE(range.size(), 2);
            Address low;
            ASSERT_TRUE(parseAddress(range[0], low));
            BLK mine;
            ASSERT_TRUE(multi->EditorBlk().GetBlk(0, low.b, mine)) << what << " " << s.constData();
            EXPECT_EQ(mine.name, blockName);
            EXPECT_EQ(mine.memSize, memSize);
            // Lines: the display styles of the board's own tables exist.
            for (int l = 0; l < memSize; ++l) {
                const QStringList f = fieldsOf(block, QByteArray::number(l).constData());
                ASSERT_GE(f.size(), 7) << what << " line " << l;
                if (f.size() >= 11) {
                    const int disp = f[8].toInt();
                    if (disp >= 500 && disp < 65535) {
                        EXPECT_LT(disp, 500 + tables) << what << " line " << l;
                    }
                }
            }
        }

        // The voice file sits beside the board and lists at most 128 programs per bank.
        const QString voiceFile = textItem(path, "PlugInBorad", "VoiceFile");
        ASSERT_FALSE(voiceFile.endsWith(QStringLiteral(".tpm"), Qt::CaseInsensitive)) << what;
        const QString vpath = folder + QLatin1Char('/') + voiceFile;
        ASSERT_TRUE(QFileInfo::exists(vpath)) << what;
        CIniFileJob vl(vpath);
        int lists = 0;
        ASSERT_EQ(vl.GetSection("vce_list"), 1) << what;
        ASSERT_EQ(vl.GetItem("size", lists), 1);
        ASSERT_GE(lists, 1);
        int voices = 0;
        std::function<void(const QByteArray&, int, int, int)> walk = [&](const QByteArray& sec, int lo, int hi,
                                                                          int depth) {
            ASSERT_LT(depth, 3) << "type-0 lists nest at most once";
            CIniFileJob v(vpath);
            ASSERT_EQ(v.GetSection(sec.constData()), 1) << sec.constData();
            int t = -1, n = -1;
            ASSERT_EQ(v.GetItem("type", t), 1);
            ASSERT_EQ(v.GetItem("size", n), 1);
            for (int i = 0; i < n; ++i) {
                const QStringList f = fieldsOf(v, QByteArray::number(i).constData());
                ASSERT_EQ(f.size(), 3) << sec.constData() << " " << i;
                if (t == 0) {
                    ASSERT_TRUE(f[0].toInt() >= lo && f[1].toInt() <= hi && f[0].toInt() <= f[1].toInt());
                    walk(f[2].toLatin1(), f[0].toInt(), f[1].toInt(), depth + 1);
                } else {
                    ASSERT_EQ(t, 2);
                    EXPECT_TRUE(f[0].toInt() >= lo && f[0].toInt() <= hi) << sec.constData() << " " << i;
                    EXPECT_LE(f[2].size(), 10);
                    // Every board bank is a bank select of the copy rules.
                    EXPECT_NE(banks.find({msb, f[1].toInt()}), banks.end()) << what << " LSB " << f[1].toStdString();
                    ++voices;
                }
            }
        };
        for (int i = 0; i < lists; ++i) {
            const QStringList f = fieldsOf(vl, QByteArray::number(i).constData());
            ASSERT_EQ(f.size(), 2);
            EXPECT_EQ(f[0].toInt(), msb) << what;
            walk(f[1].toLatin1(), 0, 127, 0);
        }
        EXPECT_GE(voices, 128) << what;
    }
    // The native block is the multi map's and not part of its dump.
    const unsigned char native[3] = {0x39, 0x00, 0x00};
    BLK blk;
    ASSERT_TRUE(multi->EditorBlk().GetBlk(0, native, blk));
    EXPECT_EQ(blk.name, QStringLiteral("PLG NATIVE"));
    for (int i = 0; i < multi->BlkAdrs().GetBlkAdrsSize(0); ++i) {
        const LIBVCEDATA_ADRS a = multi->BlkAdrs().GetVceDataFileBlk(0, i);
        EXPECT_NE(a.address[0], 0x39);
    }
}

TEST(ShippedTemplateSections, VoiceCategoryNamesGiveTheirVoiceTypeAndStoreBanks)
{
    const QString v = shippedVoiceTemplate();
    const int n = intItem(v, "voice_memory_category", "size");
    ASSERT_EQ(n, 18);
    std::vector<QString> names;
    std::vector<int> editable;
    for (int c = 0; c < n; ++c) {
        const QByteArray sec = voiceCategorySection(c);
        const QString name = textItem(v, sec.constData(), "name");
        const int tpl = intItem(v, sec.constData(), "template");
        // The dialogs take the type from the name: "Norm", else "Drum", else plug-in.
        const int byName = name.contains(QStringLiteral("Norm")) ? 0 : name.contains(QStringLiteral("Drum")) ? 1 : 2;
        EXPECT_EQ(byName, tpl) << name.toStdString();
        EXPECT_EQ(name.contains(QStringLiteral("Current")), intItem(v, sec.constData(), "current") == 1)
            << name.toStdString();
        names.push_back(name);
        editable.push_back(intItem(v, sec.constData(), "edit"));
    }
    // A voice from any bank can be stored: some editable bank shares its first four letters.
    for (int c = 0; c < 15; ++c) {
        bool offered = false;
        for (int d = 0; d < n; ++d)
            offered = offered
                      || (editable[size_t(d)] == 1 && names[size_t(d)].contains(names[size_t(c)].left(4))
                          && !names[size_t(d)].contains(QStringLiteral("Current")));
        EXPECT_TRUE(offered) << names[size_t(c)].toStdString();
    }
}

TEST(ShippedTemplateSections, PresetBankInfoListsTheBankSelectOfEveryVoice)
{
    const QString path = dataFolder() + QStringLiteral("PresetBankInfo.ini");
    ASSERT_TRUE(QFileInfo::exists(path));
    std::map<int, PartsBank> byTable;
    for (const PartsBank& b : partsBanks())
        byTable[b.table] = b;
    for (int c = 0; c < 15; ++c) {
        const QByteArray sec = "CategoryNo" + QByteArray::number(c);
        const int voices = intItem(path, sec.constData(), "VoiceNum");
        EXPECT_EQ(voices, intItem(shippedVoiceTemplate(), voiceCategorySection(c).constData(), "voice_num")) << c;
        ASSERT_EQ(byTable.count(c), 1u) << c;
        CIniFileJob ini(path);
        ASSERT_EQ(ini.GetSection(sec.constData()), 1);
        for (int k : {0, voices - 1}) {
            const QStringList f = fieldsOf(ini, ("Voice" + QByteArray::number(k)).constData());
            ASSERT_EQ(f.size(), 3) << c << " " << k;
            EXPECT_EQ(f[0].toInt(nullptr, 16), byTable[c].msb) << c;
            EXPECT_EQ(f[1].toInt(nullptr, 16), byTable[c].lsb) << c;
            EXPECT_EQ(f[2].toInt(nullptr, 16), k) << c;
        }
    }
}

// The simulated instrument is written from the document by hand, the templates by the
// generator: both must start from the same memory.
TEST(ShippedTemplateSections, SimulatedInstrumentStartsFromTheTemplatesDefaults)
{
    // Fresh maps: the suite's shared ones are edited by other tests.
    CPrmCtrl multiMap, voiceMap;
    ASSERT_TRUE(multiMap.CreatePrmCtrl(0, shippedMultiTemplate()));
    ASSERT_TRUE(voiceMap.CreatePrmCtrl(1, shippedVoiceTemplate()));
    CPrmCtrl* multi = &multiMap;
    CPrmCtrl* voice = &voiceMap;
    const NS_Simulator::SimulatedInstrument sim;
    const NS_Simulator::SimMemoryMap& map = sim.memoryMap();
    auto mapBlock = [](CPrmCtrl* m, const NS_Simulator::Bytes& address, QString& name) {
        BLK b;
        if (address.size() != 3 || !m->EditorBlk().GetBlk(0, address.data(), b) || !b.curImage)
            return NS_Simulator::Bytes();
        name = b.name;
        return NS_Simulator::Bytes(b.curImage, b.curImage + b.memSize);
    };
    // The multi dump: same blocks, same order, same defaults.
    ASSERT_EQ(int(map.multiDump.size()), multi->BlkAdrs().GetBlkAdrsSize(0));
    for (size_t i = 0; i < map.multiDump.size(); ++i) {
        const NS_Simulator::SimBlockDef& def = map.multiBlocks[size_t(map.multiDump[i])];
        const LIBVCEDATA_ADRS a = multi->BlkAdrs().GetVceDataFileBlk(0, int(i));
        EXPECT_EQ(NS_Simulator::Bytes(a.address, a.address + 3), def.address) << def.name;
        QString name;
        EXPECT_EQ(mapBlock(multi, def.address, name), def.defaults) << def.name;
        EXPECT_EQ(name.toStdString(), def.name);
    }
    QString name;
    EXPECT_EQ(mapBlock(multi, {0x00, 0x00, 0x00}, name), NS_Simulator::Bytes{0x7F});
    // Every voice type: the blocks of its bank list and the edit buffer's defaults.
    for (int t = 0; t < 3; ++t) {
        const NS_Simulator::SimVoiceTypeDef& type = map.voiceTypes[t];
        ASSERT_EQ(int(type.blocks.size()), voice->BlkAdrs().GetBlkAdrsSize(t)) << type.name;
        for (size_t i = 0; i < type.blocks.size(); ++i) {
            const NS_Simulator::SimBlockDef& def = type.blocks[i];
            const LIBVCEDATA_ADRS a = voice->BlkAdrs().GetVceDataFileBlk(t, int(i));
            EXPECT_EQ(NS_Simulator::Bytes(a.address, a.address + 3), def.address) << type.name << " " << i;
            EXPECT_EQ(mapBlock(voice, def.address, name), def.defaults) << type.name << " " << def.name;
        }
    }
    // The preset banks the instrument sends carry the names of the string tables.
    const CDispStyle& styles = multi->DispStyle();
    for (int b = 0; b < 9; ++b) {
        const NS_Simulator::SimBankDef* bank = map.bank(uint8_t(0x40 + b));
        ASSERT_NE(bank, nullptr);
        ASSERT_EQ(bank->voices, 128);
        for (int p : {0, 57, 127}) {
            const NS_Simulator::Bytes record = sim.image().voice(bank->code, p);
            ASSERT_GE(record.size(), 10u);
            const QString key = QStringLiteral("%1").arg(p, 2, 16, QLatin1Char('0')).toUpper();
            EXPECT_EQ(QString::fromLatin1(reinterpret_cast<const char*>(record.data()), 10).trimmed(),
                      styles.TableText(6 + b, key))
                << bank->name << " " << p;
        }
    }
}

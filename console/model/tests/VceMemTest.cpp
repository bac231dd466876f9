#include "TestPaths.h"
#include "console/bulk/MidiFormat.h"
#include "console/model/EditorBlk.h"
#include "console/model/BlkAdrs.h"
#include "console/model/Hdr.h"
#include "console/model/Mem.h"
#include "console/model/VceMem.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

QString voiceFixture()
{
    return fixturePath("voices/voicemap.tpm");
}

QByteArray fixtureText()
{
    QFile f(voiceFixture());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The voice map's parts that the voice memory works on, built from one template.
struct VoiceMap
{
    CMidiFormat formats;
    CEditorBlk blk;
    CVceMem mem;
    bool ok = false;
    QString error;

    explicit VoiceMap(const QString& path)
    {
        if (!formats.MakeList(path)) {
            error = formats.ErrorText();
            return;
        }
        blk.InitSet(nullptr, &formats);
        if (!blk.MakeList(path)) {
            error = blk.ErrorText();
            return;
        }
        mem.InitSet(&blk, &formats, nullptr);
        ok = mem.MakeList(path);
        error = mem.ErrorText();
    }
    unsigned char* cur(const char* hexAdrs)
    {
        unsigned char a[3];
        CMem::SetByte(hexAdrs, a, 3);
        BLK b;
        BLKPRM p;
        return blk.GetBlkPrm(0, a, b, p) ? b.curImage + p.offset : nullptr;
    }
    unsigned char* def(const char* hexAdrs)
    {
        unsigned char a[3];
        CMem::SetByte(hexAdrs, a, 3);
        BLK b;
        BLKPRM p;
        return blk.GetBlkPrm(0, a, b, p) ? b.defImage + p.offset : nullptr;
    }
};

// A variant of the fixture with one piece of text replaced, in its own folder.
class Variant
{
public:
    Variant(const QByteArray& from, const QByteArray& to)
    {
        QByteArray text = fixtureText();
        replaced = text.contains(from);
        text.replace(from, to);
        path = dir.path() + QStringLiteral("/variant.tpm");
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(text);
    }
    QTemporaryDir dir;
    QString path;
    bool replaced = false;
};

const unsigned char kCommon[3] = {0x30, 0x00, 0x00};
const unsigned char kElement[3] = {0x31, 0x00, 0x00};
const unsigned char kElement3[3] = {0x31, 0x00, 0x03};

class VceMemTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(map.ok) << map.error.toStdString(); }
    // Marks each stored voice of a category with its index in its first byte after the name.
    void mark(int cat)
    {
        for (int v = 0; v < map.mem.GetVoiceMemCategoryInfo(cat).voiceNum; ++v)
            map.mem.GetVoiceMem(cat, v, nullptr)[10] = (unsigned char)v;
    }
    std::vector<int> marks(int cat)
    {
        std::vector<int> out;
        for (int v = 0; v < map.mem.GetVoiceMemCategoryInfo(cat).voiceNum; ++v)
            out.push_back(map.mem.GetVoiceMem(cat, v, nullptr)[10]);
        return out;
    }
    VoiceMap map{voiceFixture()};
};

} // namespace

TEST_F(VceMemTest, CategoriesBlocksAndTablesComeFromTheTemplate)
{
    CVceMem& m = map.mem;
    ASSERT_EQ(m.GetVoiceMemCategoryNum(), 4);
    const VCEMEM_CATEGORYINFO n = m.GetVoiceMemCategoryInfo(0);
    EXPECT_STREQ(n.name, "Normal User");
    EXPECT_EQ(n.voiceNum, 6);
    EXPECT_EQ(n.templateNo, 0);
    EXPECT_EQ(n.edit, 1);
    EXPECT_EQ(n.nameLength, 10);
    const VCEMEM_INFO* normal = m.GetCategory(0);
    ASSERT_EQ(normal->blocks.size(), 3u);
    EXPECT_EQ(normal->blocks[1].offset, 12);
    EXPECT_EQ(normal->blocks[2].offset, 18);
    EXPECT_EQ(normal->voiceSize, 22);
    EXPECT_EQ(m.GetCategory(1)->voiceSize, 20);

    int size = 0;
    EXPECT_EQ(m.GetVoiceMem(2, 0, &size), nullptr);  // current: no stored image
    EXPECT_EQ(size, 18);
    ASSERT_NE(m.GetVoiceMem(0, 5, &size), nullptr);
    EXPECT_EQ(size, 22);
    // Every stored voice starts as the template's edit buffer.
    EXPECT_EQ(m.GetVoiceName(0, 5), QStringLiteral("Init Voice"));
    EXPECT_EQ(m.GetVoiceMem(0, 5, nullptr)[12 + 4], 4);

    EXPECT_EQ(m.GetBulkOutListNo(1), 3);
    EXPECT_EQ(m.GetBulkOutListNo(0), -1);  // absent
    EXPECT_EQ(m.GetBulkOutListNo(4), -1);
    EXPECT_TRUE(m.IsPresetVoiceCategory(1));
    EXPECT_FALSE(m.IsPresetVoiceCategory(3));
    EXPECT_EQ(m.FindCategoryByTemplate(1), 1);
    EXPECT_EQ(m.FindCategoryByTemplate(9), -1);
    ASSERT_NE(m.GetVoiceCateAdrs(1), nullptr);
    EXPECT_EQ(m.GetVoiceCateAdrs(1)[0], 0x32);

    ASSERT_EQ(m.GetVoiceMemTemplateSize(), 2);
    EXPECT_EQ(m.GetVoiceMemTemplateName(0), QStringLiteral("TPL_NORMAL"));
    EXPECT_TRUE(m.GetVoiceMemTemplateName(2).isEmpty());
    ASSERT_NE(m.GetWriteParamInfo(0), nullptr);
    ASSERT_EQ(m.GetWriteParamInfo(0)->items.size(), 2u);
    EXPECT_EQ(m.GetWriteParamInfo(0)->items[1].high[2], 0x05);
    EXPECT_EQ(m.GetWriteParamInfo(1), nullptr);  // named, but no such section
    EXPECT_EQ(m.GetWriteParamInfo(-1), nullptr);

    // Init data for the edit categories only, current included (from the edit buffer).
    EXPECT_NE(m.GetInitVoiceData(0), nullptr);
    EXPECT_NE(m.GetInitVoiceData(2), nullptr);
    EXPECT_EQ(m.GetInitVoiceData(3), nullptr);
    EXPECT_EQ(m.GetInitVoiceData(-1), nullptr);
}

TEST_F(VceMemTest, MemoryLimitNeedsBothMaximumAndAddress)
{
    CVceMem& m = map.mem;
    EXPECT_TRUE(m.IsMemoryCheck(0));
    EXPECT_EQ(m.GetMemoryCateMaxSize(0), 20);
    // MemoryMaxSize without MemoryAddress: no check, maximum 0.
    EXPECT_FALSE(m.IsMemoryCheck(1));
    EXPECT_EQ(m.GetMemoryCateMaxSize(1), 0);
    EXPECT_FALSE(m.IsMemoryFull(1));
    EXPECT_EQ(m.GetMemoryCateSize(1), 0);

    LIBHDRDATA h;
    h.adrsLen = 3;
    CMem::SetByte("310002", h.address, 3);
    EXPECT_TRUE(m.IsMemoryAddress(0, &h));
    h.address[2] = 3;
    EXPECT_FALSE(m.IsMemoryAddress(0, &h));
    h.address[2] = 2;
    h.adrsLen = 2;
    EXPECT_FALSE(m.IsMemoryAddress(0, &h));
    EXPECT_FALSE(m.IsMemoryAddress(1, &h));
    EXPECT_FALSE(m.IsMemoryAddress(0, nullptr));
    // Without the map's conversions there is no value to read.
    LIBVCEDATA_ADRS a;
    CMem::SetByte("310002", a.address, 3);
    EXPECT_EQ(m.GetMemorySize(0, 0, a), 0);
}

TEST_F(VceMemTest, IndexesOutsideTheListsAreRefusedAndChangeNothing)
{
    CVceMem& m = map.mem;
    const std::vector<unsigned char> before(m.GetVoiceMem(0, 0, nullptr), m.GetVoiceMem(0, 0, nullptr) + 22);
    int size = 0;
    EXPECT_EQ(m.GetVoiceMem(-1, 0, &size), nullptr);
    EXPECT_EQ(m.GetVoiceMem(0, -1, nullptr), nullptr);
    EXPECT_EQ(m.GetVoiceMem(0, 6, nullptr), nullptr);
    EXPECT_EQ(m.GetVoiceMemCategoryInfo(-1).voiceNum, 0);
    EXPECT_EQ(m.GetVoiceMemCategoryInfo(4).name[0], '\0');
    EXPECT_FALSE(m.CopyVoiceMem(-1, 0, 0, 0));
    EXPECT_FALSE(m.CopyVoiceMem(0, 0, 0, -1));
    EXPECT_FALSE(m.CopyVoiceMem(0, 0, 0, 6));
    EXPECT_FALSE(m.SwapVoiceMem(0, 0, -1));
    EXPECT_FALSE(m.CopyToEditBuff(0, -1, true));
    EXPECT_FALSE(m.CopyFromEditBuff(-1, 0));
    EXPECT_FALSE(m.SetVoiceName(0, -1, QStringLiteral("X")));
    EXPECT_TRUE(m.GetVoiceName(0, 99).isEmpty());
    EXPECT_FALSE(m.InitVoiceMem(0, -1));
    EXPECT_FALSE(m.MakeTempData(-3, 0));
    EXPECT_FALSE(m.FindVoiceName(-1, QStringLiteral("Init Voice"), -1));
    unsigned char* pos = nullptr;
    int bc = 0;
    EXPECT_FALSE(m.GetAdrsPos(0, -1, kCommon, pos, size, bc));
    EXPECT_FALSE(m.GetAdrsPos(0, 0, kCommon, -1, pos, size, bc));
    const unsigned char six[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_FALSE(m.SetBulk(0, -1, kElement, six, 6));
    EXPECT_FALSE(m.IsMemoryCheck(-1));
    EXPECT_EQ(m.GetMemoryCateMaxSize(-1), 0);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), m.GetVoiceMem(0, 0, nullptr)));
}

TEST_F(VceMemTest, CurrentCategoryHasNoImageAndRefusesStoredVoiceAccess)
{
    CVceMem& m = map.mem;
    const unsigned char six[6] = {1, 2, 3, 4, 5, 6};
    unsigned char* pos = nullptr;
    int size = 0, bc = 0;
    EXPECT_FALSE(m.CopyToEditBuff(2, 0, false));
    EXPECT_FALSE(m.CopyFromEditBuff(2, 0));
    EXPECT_FALSE(m.SetBulk(2, 0, kElement, six, 6));
    EXPECT_FALSE(m.GetData(2, 0, kElement, pos, bc, size));
    EXPECT_FALSE(m.SetVoiceName(2, 0, QStringLiteral("X")));
    EXPECT_TRUE(m.GetVoiceName(2, 0).isEmpty());
    EXPECT_FALSE(m.CopyVoiceMem(0, 0, 2, 0));
    EXPECT_FALSE(m.SwapVoiceMem(2, 0, 0));
    EXPECT_FALSE(m.MoveVoiceMem(2, 0, 1, 1));
    EXPECT_FALSE(m.InitVoiceMem(2, 0));
    QByteArray buf(18, '\x11');
    EXPECT_FALSE(m.CopyToTempBuff(2, &buf));
    // Reading the edit buffer through the current category is fine.
    QByteArray out;
    EXPECT_TRUE(m.CopyTempBuff(2, &out));
    EXPECT_EQ(out.size(), 18);
    EXPECT_EQ(out.left(10), QByteArray("Init Voice"));
}

TEST(VceMemTemplate, NameTerminatorZeroPadsAndCuts)
{
    Variant v("terminator=32", "terminator=0");
    ASSERT_TRUE(v.replaced);
    VoiceMap map(v.path);
    ASSERT_TRUE(map.ok) << map.error.toStdString();
    CVceMem& m = map.mem;
    ASSERT_TRUE(m.SetVoiceName(0, 1, QStringLiteral("Pad")));
    const unsigned char* p = m.GetVoiceMem(0, 1, nullptr);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(p), 10), QByteArray("Pad\0      ", 10));
    EXPECT_EQ(m.GetVoiceName(0, 1), QStringLiteral("Pad"));
    ASSERT_TRUE(m.SetVoiceName(0, 1, QStringLiteral("Lead   ")));
    // Without the blank terminator trailing blanks are part of the name.
    EXPECT_EQ(m.GetVoiceName(0, 1), QStringLiteral("Lead   "));
}

TEST_F(VceMemTest, NamesArePaddedCutAndSevenBit)
{
    CVceMem& m = map.mem;
    ASSERT_TRUE(m.SetVoiceName(0, 1, QStringLiteral("Pad")));
    const unsigned char* p = m.GetVoiceMem(0, 1, nullptr);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(p), 10), QByteArray("Pad       "));
    EXPECT_EQ(p[10], 10);  // the byte after the field is untouched
    EXPECT_EQ(m.GetVoiceName(0, 1), QStringLiteral("Pad"));
    ASSERT_TRUE(m.SetVoiceName(0, 1, QStringLiteral("Symphonic Strings")));
    EXPECT_EQ(m.GetVoiceName(0, 1), QStringLiteral("Symphonic"));
    EXPECT_EQ(p[10], 10);
    ASSERT_TRUE(m.SetVoiceName(0, 1, QString::fromUtf8("Br\xc3\xbc" "cke")));
    EXPECT_EQ(m.GetVoiceName(0, 1), QStringLiteral("Br?cke"));
}

TEST_F(VceMemTest, FindVoiceNameIgnoresCaseTheExceptedVoiceAndDuplicateBanks)
{
    CVceMem& m = map.mem;
    m.SetVoiceName(0, 2, QStringLiteral("Warm Pad"));
    EXPECT_TRUE(m.FindVoiceName(0, QStringLiteral("WARM pad"), -1));
    EXPECT_FALSE(m.FindVoiceName(0, QStringLiteral("Warm Pad"), 2));
    EXPECT_FALSE(m.FindVoiceName(0, QStringLiteral("Warm"), -1));
    // name_duplicate left at its default: never found, names never changed.
    m.SetVoiceName(3, 0, QStringLiteral("Same"));
    m.SetVoiceName(3, 1, QStringLiteral("Same"));
    EXPECT_FALSE(m.FindVoiceName(3, QStringLiteral("Same"), 0));
    ASSERT_TRUE(m.CopyVoiceMem(3, m.GetVoiceMem(3, 0, nullptr), 18, 3, 1));
    EXPECT_EQ(m.GetVoiceName(3, 1), QStringLiteral("Same"));
}

TEST_F(VceMemTest, UniqueRenamingAppendsARightAlignedNumber)
{
    CVceMem& m = map.mem;
    QString name = QStringLiteral("Piano");
    ASSERT_TRUE(m.ChangeVoiceName(0, name, 8));
    EXPECT_EQ(name, QStringLiteral("Piano  1"));
    m.SetVoiceName(0, 0, QStringLiteral("Piano  1"));
    m.SetVoiceName(0, 1, QStringLiteral("piano  2"));
    name = QStringLiteral("Piano");
    ASSERT_TRUE(m.ChangeVoiceName(0, name, 8));
    EXPECT_EQ(name, QStringLiteral("Piano  3"));
    name = QStringLiteral("Grand Hall");
    ASSERT_TRUE(m.ChangeVoiceName(0, name, 10));
    EXPECT_EQ(name, QStringLiteral("Grand H  1"));
    name = QStringLiteral("AB");
    ASSERT_TRUE(m.ChangeVoiceName(0, name, 2));
    EXPECT_EQ(name, QStringLiteral("  1"));
}

TEST(VceMemNames, RenamingGivesUpAtOneThousand)
{
    int asked = 0;
    QString last;
    QString name = QStringLiteral("Piano");
    const bool ok = CVceMem::MakeUniqueName(name, 8, [&](const QString& c) {
        ++asked;
        last = c;
        return true;
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(asked, 999);
    EXPECT_EQ(last, QStringLiteral("Piano999"));
    EXPECT_EQ(name, QStringLiteral("Piano"));
    // The last free candidate is still taken.
    name = QStringLiteral("Piano");
    EXPECT_TRUE(CVceMem::MakeUniqueName(name, 8, [](const QString& c) { return c != QStringLiteral("Piano999"); }));
    EXPECT_EQ(name, QStringLiteral("Piano999"));
}

TEST_F(VceMemTest, InitVoiceCutsTheNameAndMakesItUnique)
{
    CVceMem& m = map.mem;
    unsigned char* v1 = m.GetVoiceMem(0, 1, nullptr);
    std::memset(v1 + 12, 0x55, 6);
    ASSERT_TRUE(m.InitVoiceMem(0, 1));
    EXPECT_EQ(v1[12 + 3], 3);  // init bytes back
    EXPECT_EQ(m.GetVoiceName(0, 1), QStringLiteral("Init Voi"));  // voice_name_def_len 8
    ASSERT_TRUE(m.InitVoiceMem(0, 2));
    // "Init Voi" is taken by voice 1: cut to 10 - 3 and numbered.
    EXPECT_EQ(m.GetVoiceName(0, 2), QStringLiteral("Init Vo  1"));
    EXPECT_FALSE(m.InitVoiceMem(3, 0));  // no init data without the edit flag

    // From the default voice: voice_def_no 2 becomes the init voice.
    m.GetVoiceMem(0, 2, nullptr)[11] = 0x77;
    m.SetInitVoiceData(true);
    ASSERT_TRUE(m.InitVoiceMem(0, 4));
    EXPECT_EQ(m.GetVoiceMem(0, 4, nullptr)[11], 0x77);
}

struct MoveCase
{
    int from, to, count;
    bool ok;
    std::vector<int> order;
};

class VceMemMove : public VceMemTest, public ::testing::WithParamInterface<MoveCase>
{
};

TEST_P(VceMemMove, MovesFollowTheRunTable)
{
    const MoveCase c = GetParam();
    mark(0);
    const unsigned char* moved = c.count > 0 && c.from >= 0 && c.from < 6 ? map.mem.GetVoiceMem(0, c.from, nullptr) : nullptr;
    EXPECT_EQ(map.mem.MoveVoiceMem(0, c.from, c.to, c.count), c.ok);
    EXPECT_EQ(marks(0), c.order);
    // Images move as a whole, so pointers travel with their voices.
    if (moved) {
        for (int v = 0; v < 6; ++v) {
            if (c.order[size_t(v)] == c.from)
                EXPECT_EQ(map.mem.GetVoiceMem(0, v, nullptr), moved);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, VceMemMove,
    ::testing::Values(MoveCase{0, 5, 2, true, {2, 3, 4, 0, 1, 5}},      // up: run ends before the target
                      MoveCase{4, 1, 2, true, {0, 4, 5, 1, 2, 3}},      // down: run starts at the target
                      MoveCase{0, 6, 2, true, {2, 3, 4, 5, 0, 1}},      // to the end
                      MoveCase{1, 2, 3, true, {0, 1, 2, 3, 4, 5}},      // target inside the run
                      MoveCase{3, 3, 1, true, {0, 1, 2, 3, 4, 5}},      // target is the start
                      MoveCase{5, 0, 1, true, {5, 0, 1, 2, 3, 4}},
                      MoveCase{4, 0, 3, false, {0, 1, 2, 3, 4, 5}},     // run past the category
                      MoveCase{0, 7, 1, false, {0, 1, 2, 3, 4, 5}},     // target past the category
                      MoveCase{-1, 3, 2, false, {0, 1, 2, 3, 4, 5}},
                      MoveCase{0, -1, 1, false, {0, 1, 2, 3, 4, 5}},
                      MoveCase{0, 3, 0, false, {0, 1, 2, 3, 4, 5}}));

TEST_F(VceMemTest, SwapExchangesImages)
{
    mark(0);
    unsigned char* a = map.mem.GetVoiceMem(0, 1, nullptr);
    ASSERT_TRUE(map.mem.SwapVoiceMem(0, 1, 4));
    EXPECT_EQ(marks(0), (std::vector<int>{0, 4, 2, 3, 1, 5}));
    EXPECT_EQ(map.mem.GetVoiceMem(0, 4, nullptr), a);
    EXPECT_TRUE(map.mem.SwapVoiceMem(0, 2, 2));
    EXPECT_FALSE(map.mem.SwapVoiceMem(0, 2, 6));
}

TEST_F(VceMemTest, CopiesBetweenVoicesNeedMatchingLayoutsAndBoundedBuffers)
{
    CVceMem& m = map.mem;
    mark(0);
    ASSERT_TRUE(m.CopyVoiceMem(0, 4, 0, 1));
    EXPECT_EQ(m.GetVoiceMem(0, 1, nullptr)[10], 4);
    EXPECT_FALSE(m.CopyVoiceMem(0, 4, 1, 0));  // a 22-byte voice into a 20-byte drum voice
    std::vector<unsigned char> bytes(m.GetVoiceMem(0, 3, nullptr), m.GetVoiceMem(0, 3, nullptr) + 22);
    EXPECT_FALSE(m.CopyVoiceMem(0, bytes.data(), 21, 0, 5));  // short buffer
    EXPECT_FALSE(m.CopyVoiceMem(0, nullptr, 22, 0, 5));
    EXPECT_FALSE(m.CopyVoiceMem(4, bytes.data(), 22, 0, 5));
    EXPECT_EQ(m.GetVoiceMem(0, 5, nullptr)[10], 5);
    // A pasted voice whose name another voice has gets a new one.
    m.SetVoiceName(0, 3, QStringLiteral("Choir"));
    bytes.assign(m.GetVoiceMem(0, 3, nullptr), m.GetVoiceMem(0, 3, nullptr) + 22);
    ASSERT_TRUE(m.CopyVoiceMem(0, bytes.data(), 22, 0, 5));
    EXPECT_EQ(m.GetVoiceMem(0, 5, nullptr)[10], 3);
    EXPECT_EQ(m.GetVoiceName(0, 5), QStringLiteral("Choir  1"));
}

TEST_F(VceMemTest, EditBufferCopiesWalkTheBlocksAndDuplicates)
{
    CVceMem& m = map.mem;
    unsigned char* v = m.GetVoiceMem(0, 1, nullptr);
    for (int i = 0; i < 22; ++i)
        v[i] = (unsigned char)(0x40 + i);
    ASSERT_TRUE(m.CopyToEditBuff(0, 1, false));
    EXPECT_EQ(map.cur("300000")[0], 0x40);
    EXPECT_EQ(map.cur("310000")[5], 0x40 + 17);
    EXPECT_EQ(map.cur("340000")[3], 0x40 + 21);
    EXPECT_EQ(map.def("310000")[5], 5);  // defaults untouched
    ASSERT_TRUE(m.CopyToEditBuff(0, 1, true));
    EXPECT_EQ(map.def("310000")[5], 0x40 + 17);

    map.cur("310000")[2] = 0x11;
    ASSERT_TRUE(m.CopyFromEditBuff(0, 0));
    EXPECT_EQ(m.GetVoiceMem(0, 0, nullptr)[12 + 2], 0x11);

    // A drum voice into the edit buffer: the duplicated block follows its source.
    unsigned char* d = m.GetVoiceMem(1, 0, nullptr);
    d[12] = 0x21, d[13] = 0x22, d[16] = 0x7E;
    ASSERT_TRUE(m.CopyToEditBuff(1, 0, false));
    EXPECT_EQ(map.cur("320000")[0], 0x21);
    EXPECT_EQ(map.cur("330000")[0], 0x21);
    EXPECT_EQ(map.cur("330000")[1], 0x22);

    unsigned char a[3] = {0x32, 0x00, 0x00};
    EXPECT_TRUE(m.CheckDuplicateAdrs(0, a, 3, true));
    EXPECT_EQ(a[0], 0x33);
    EXPECT_TRUE(m.CheckDuplicateAdrs(0, a, 3, false));
    EXPECT_EQ(a[0], 0x32);
    EXPECT_FALSE(m.CheckDuplicateAdrs(1, a, 3, true));
    EXPECT_FALSE(m.CheckDuplicateAdrs(0, a, 9, true));
}

TEST_F(VceMemTest, AddressedAccessStaysInsideTheBlock)
{
    CVceMem& m = map.mem;
    unsigned char* pos = nullptr;
    int size = 0, bc = 0;
    ASSERT_TRUE(m.GetAdrsPos(0, 1, kElement3, pos, size, bc));
    EXPECT_EQ(pos, m.GetVoiceMem(0, 1, nullptr) + 12 + 3);
    EXPECT_EQ(size, 6);
    EXPECT_EQ(bc, 1);
    const unsigned char none[3] = {0x35, 0x00, 0x00};
    EXPECT_FALSE(m.GetAdrsPos(0, 1, none, pos, size, bc));
    EXPECT_FALSE(m.GetAdrsPos(0, 1, kElement, 1, pos, size, bc));  // no second instance
    const unsigned char drumKey[3] = {0x32, 0x00, 0x00};
    EXPECT_FALSE(m.GetAdrsPos(0, 1, drumKey, pos, size, bc));  // not a block of this category

    const unsigned char one = 0x66;
    ASSERT_TRUE(m.SetData(0, 1, kElement3, &one, bc, size));
    EXPECT_EQ(m.GetVoiceMem(0, 1, nullptr)[15], 0x66);

    const unsigned char six[6] = {1, 2, 3, 4, 5, 6};
    bool changed = false;
    ASSERT_TRUE(m.SetBulk(0, 1, kElement, six, 6, changed));
    EXPECT_TRUE(changed);
    EXPECT_EQ(m.GetVoiceMem(0, 1, nullptr)[17], 6);
    ASSERT_TRUE(m.SetBulk(0, 1, kElement, six, 6, changed));
    EXPECT_FALSE(changed);
    EXPECT_FALSE(m.SetBulk(0, 1, kElement, six, 5, changed));  // one byte short
    EXPECT_FALSE(m.SetBulk(0, 1, kElement, nullptr, 6, changed));
    // A whole block from the middle of the block would run into the next block.
    const unsigned char before = m.GetVoiceMem(0, 1, nullptr)[18];
    EXPECT_FALSE(m.SetBulk(0, 1, kElement3, six, 6, changed));
    EXPECT_EQ(m.GetVoiceMem(0, 1, nullptr)[18], before);
    EXPECT_TRUE(m.SetBulk(0, 1, kCommon, reinterpret_cast<const unsigned char*>("Bulk Voice??"), 12));
    EXPECT_EQ(m.GetVoiceName(0, 1), QStringLiteral("Bulk Voice"));
}

TEST_F(VceMemTest, TemporaryVoiceAndTemporaryBuffer)
{
    CVceMem& m = map.mem;
    mark(0);
    ASSERT_TRUE(m.MakeTempData(0, 2));
    EXPECT_TRUE(m.HasTempData());
    ASSERT_TRUE(m.CopyTempData(0, 4));
    EXPECT_FALSE(m.HasTempData());
    EXPECT_EQ(marks(0)[4], 2);
    EXPECT_FALSE(m.CopyTempData(0, 4));  // used up

    QByteArray buf;
    ASSERT_TRUE(m.CopyTempBuff(0, &buf));
    ASSERT_EQ(buf.size(), 22);
    buf[13] = '\x5A';
    const QByteArray shortBuf(21, '\0');
    EXPECT_FALSE(m.CopyToTempBuff(0, &shortBuf));
    ASSERT_TRUE(m.CopyToTempBuff(0, &buf));
    EXPECT_EQ(map.cur("310001")[0], 0x5A);
}

TEST_F(VceMemTest, CompareCacheRestoresOnlyAnExactSize)
{
    CVceMem& m = map.mem;
    QByteArray cache;
    ASSERT_TRUE(m.cacheEditBuffer(0, &cache, false));
    ASSERT_EQ(cache.size(), 22);
    map.cur("310004")[0] = 0x7F;
    QByteArray shortCache = cache.left(21);
    EXPECT_FALSE(m.restoreEditBuffer(0, &shortCache, false));
    EXPECT_EQ(map.cur("310004")[0], 0x7F);
    ASSERT_TRUE(m.restoreEditBuffer(0, &cache, false));
    EXPECT_EQ(map.cur("310004")[0], 4);
    // The own cache, and without a map there is no edit-buffer origin to follow.
    ASSERT_TRUE(m.cacheEditBuffer(0, nullptr, false));
    map.cur("310004")[0] = 0x01;
    ASSERT_TRUE(m.restoreEditBuffer(0, nullptr, false));
    EXPECT_EQ(map.cur("310004")[0], 4);
    EXPECT_FALSE(m.cacheEditBuffer(&cache, false));
    EXPECT_FALSE(m.cacheEditBuffer(-1, &cache, false));
}

TEST_F(VceMemTest, PresetCacheRoundTrips)
{
    CVceMem& m = map.mem;
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/TOVAR-VANTPRESETS");
    mark(0);
    m.GetVoiceMem(1, 1, nullptr)[19] = 0x3C;
    ASSERT_TRUE(m.StorePresetVoiceData(file));
    // int32 index, int32 size, int8 count, then per voice a uint32 length and the bytes.
    EXPECT_EQ(QFile(file).size(), (9 + 6 * (4 + 22)) + (9 + 2 * (4 + 20)));
    for (int v = 0; v < 6; ++v)
        m.GetVoiceMem(0, v, nullptr)[10] = 0;
    m.GetVoiceMem(1, 1, nullptr)[19] = 0;
    ASSERT_TRUE(m.LoadPresetVoiceData(file));
    EXPECT_EQ(marks(0), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(m.GetVoiceMem(1, 1, nullptr)[19], 0x3C);
    EXPECT_FALSE(m.LoadPresetVoiceData(dir.path() + QStringLiteral("/absent")));

    // A cut file keeps what was read before the cut, and no voice is half written.
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.resize(f.size() - 5);
    f.close();
    m.GetVoiceMem(1, 1, nullptr)[19] = 0x01;
    m.GetVoiceMem(0, 2, nullptr)[10] = 0x09;
    EXPECT_FALSE(m.LoadPresetVoiceData(file));
    EXPECT_EQ(m.GetVoiceMem(0, 2, nullptr)[10], 2);
    EXPECT_EQ(m.GetVoiceMem(1, 1, nullptr)[19], 0x01);
}

TEST(VceMemPresetCache, MismatchKeepsEarlierCategoriesAndCountsOf128RoundTrip)
{
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/presets");
    Variant wide("voice_num=6\n", "voice_num=128\n");
    ASSERT_TRUE(wide.replaced);
    VoiceMap a(wide.path);
    ASSERT_TRUE(a.ok) << a.error.toStdString();
    a.mem.GetVoiceMem(0, 127, nullptr)[10] = 0x2A;
    a.mem.GetVoiceMem(1, 0, nullptr)[19] = 0x2B;
    ASSERT_TRUE(a.mem.StorePresetVoiceData(file));
    a.mem.GetVoiceMem(0, 127, nullptr)[10] = 0;
    ASSERT_TRUE(a.mem.LoadPresetVoiceData(file));  // 128 is stored as int8 -128
    EXPECT_EQ(a.mem.GetVoiceMem(0, 127, nullptr)[10], 0x2A);

    // The drum category has changed size since the file was written.
    QByteArray text = fixtureText();
    text.replace("voice_num=6\n", "voice_num=128\n");
    text.replace("1=0,320000\n2=0,330000\n", "1=0,320000\n2=0,310000\n");
    QFile vf(dir.path() + QStringLiteral("/changed.tpm"));
    ASSERT_TRUE(vf.open(QIODevice::WriteOnly));
    vf.write(text);
    vf.close();
    VoiceMap b(vf.fileName());
    ASSERT_TRUE(b.ok) << b.error.toStdString();
    ASSERT_EQ(b.mem.GetCategory(1)->voiceSize, 22);
    EXPECT_FALSE(b.mem.LoadPresetVoiceData(file));
    EXPECT_EQ(b.mem.GetVoiceMem(0, 127, nullptr)[10], 0x2A);  // the category before the mismatch
    EXPECT_NE(b.mem.GetVoiceMem(1, 0, nullptr)[19], 0x2B);
}

struct BadTemplate
{
    const char* from;
    const char* to;
    const char* message;
};

class VceMemBadTemplate : public ::testing::TestWithParam<BadTemplate>
{
};

TEST_P(VceMemBadTemplate, FailsWithAMessageAndLeavesNothing)
{
    const BadTemplate c = GetParam();
    Variant v(c.from, c.to);
    ASSERT_TRUE(v.replaced) << c.from;
    VoiceMap map(v.path);
    EXPECT_FALSE(map.ok);
    EXPECT_TRUE(map.error.contains(QLatin1String(c.message))) << map.error.toStdString();
    EXPECT_TRUE(map.error.contains(QStringLiteral("variant.tpm"))) << map.error.toStdString();
    EXPECT_EQ(map.mem.GetVoiceMemCategoryNum(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Templates, VceMemBadTemplate,
    ::testing::Values(BadTemplate{"[voice_memory_category]", "[voice_memory_categories]", "voice_memory_category"},
                      BadTemplate{"[CAT_DRUM]", "[CAT_DRUMS]", "missing category section"},
                      BadTemplate{"current=1\n", "", "missing current"},
                      BadTemplate{"name=Drum User\n", "", "missing name"},
                      BadTemplate{"template=1\n", "", "missing template"},
                      BadTemplate{"voice_num=2\n", "voice_num=300\n", "voice_num 300"},
                      BadTemplate{"voice_cate_adrs=0,320000,1,0", "voice_cate_adrs=9,320000,1,0", "no address length"},
                      BadTemplate{"voice_name_adrs=0,300000,10,0\nvoice_cate_adrs=0,320000",
                                  "voice_name_adrs=0,3000,10,0\nvoice_cate_adrs=0,320000", "not 3 bytes"},
                      BadTemplate{"1=0,320000\n", "1=0,350000\n", "names no block"},
                      BadTemplate{"1=0,320000\n", "", "missing block line 1"},
                      BadTemplate{"MemoryAddress=0,310002", "MemoryAddress=0,31", "MemoryAddress"},
                      BadTemplate{"0=0,330000,320000", "0=0,330000", "duplicate_blk"},
                      BadTemplate{"[voice_memory_template]", "[voice_memory_templates]", "voice_memory_template"},
                      BadTemplate{"1=1,310000,310005,000000,000000,0", "1=1,310000,310005,000000", "TPL_NORMAL"}));

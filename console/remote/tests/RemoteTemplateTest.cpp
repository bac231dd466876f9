// The surface template as shipped, and the reader's reports for broken copies of it.
#include "SurfaceRig.h"
#include "console/model/PrmCtrl.h"
#include "console/remote/RemotePageTree.h"
#include "console/remote/RemoteTemplate.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const char kTemplateName[] = "TOVAR-VANTREL-R5T.tpr";
// A warning box: title, then text.
using Box = QPair<QString, QString>;

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray shippedTemplate()
{
    return readFile(surfaceDataFolder() + QLatin1Char('/') + QLatin1String(kTemplateName));
}

QByteArray shippedParts()
{
    return readFile(surfaceDataFolder() + QStringLiteral("/parts.ini"));
}

// The text with the first `from` after the line "[section]" replaced by `to`.
QByteArray edited(QByteArray text, const char* section, const char* from, const char* to)
{
    const QByteArray head = '[' + QByteArray(section) + "]\n";
    const int at = int(text.indexOf(head));
    const int hit = at < 0 ? -1 : int(text.indexOf(from, at + head.size()));
    if (hit < 0)
        return QByteArray();
    return text.replace(hit, int(qstrlen(from)), to);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(RemoteTemplate, ShippedTemplateFitsTheMultiMapAndTheViewsTabs)
{
    CRemoteTemplate t;
    ASSERT_TRUE(t.MakeList(surfaceDataFolder(), QStringLiteral("R5T"))) << t.Reports().join('\n').toStdString();
    EXPECT_TRUE(t.Reports().isEmpty());
    ASSERT_EQ(t.keys.size(), 61u);
    for (size_t k = 0; k < t.keys.size(); ++k)
        EXPECT_EQ(t.keys[k].note, 0x20 + k);
    EXPECT_EQ(t.faders.size(), 9u);
    EXPECT_EQ(t.encoders.size(), 8u);
    EXPECT_EQ(t.bankCount, 2);
    EXPECT_EQ(t.fields.size(), 8u);
    EXPECT_EQ(t.displayTime, 1000);

    // Top entries: the mixer, the common window (17) and parts 1-16 (kinds 1-16) with
    // the tabs of their detail views.
    ASSERT_EQ(t.tops.size(), 18u);
    EXPECT_EQ(t.tops[0].kind, 0);
    EXPECT_EQ(t.tops[1].kind, 17);
    EXPECT_EQ(t.tops[1].node.children.size(), 8u);
    for (int p = 0; p < 16; ++p) {
        const TOP_WINDOW_TREE& top = t.tops[size_t(2 + p)];
        EXPECT_EQ(top.kind, p + 1);
        EXPECT_EQ(top.bank * 8 + top.strip, p);
        EXPECT_EQ(top.node.children.size(), 7u);
    }
    EXPECT_GE(NS_RemotePageTree::windowOf(t.tops, t.defaultRoute), 0);
    for (const KEY_ON_JUMP_INFO& j : t.jumps)
        EXPECT_GE(NS_RemotePageTree::windowOf(t.tops, reinterpret_cast<const uint8_t*>(j.route.constData())), 0);
    for (int n = 0; n < 9; ++n)
        EXPECT_FALSE(t.selectLists[n].empty()) << n;

    // Every item names a parameter of the multi map, and every category list a table.
    CPrmCtrl multi;
    ASSERT_TRUE(multi.CreatePrmCtrl(0, shippedMultiTemplate()));
    auto check = [&](const PARAM_STR_INFO& item, const QString& window) {
        PRMINFO info;
        EXPECT_TRUE(multi.GetPrmInfo(short(item.format), reinterpret_cast<const unsigned char*>(item.address.constData()),
                                     info))
            << window.toStdString() << " " << item.address.toHex().toStdString();
    };
    for (const WINDOW_INFO& w : t.windows) {
        EXPECT_TRUE(w.loaded) << w.name.toStdString();
        for (const VARIA_STR_INFO& item : w.mixer.value.lower)
            check(item, w.name);
        for (const PARAM_STR_INFO& item : w.edit.items)
            check(item, w.name);
    }
    for (int n = 0; n < 9; ++n) {
        for (const PARAM_SELECT_CATEGORY_DATA& c : t.selectLists[n]) {
            // Table -1 names none: the value shows as its number.
            if (c.table >= 0)
                EXPECT_FALSE(multi.GetStrTblKeyData(unsigned(c.table), unsigned(c.minimum)).isEmpty()) << n;
        }
    }
}

struct BrokenCase
{
    const char* name;
    const char* section;
    const char* from;
    const char* to;
    std::vector<int> failed;   // the readers that must fail, in order (exactly)
    const char* report;        // a report that must be among them
};

class BrokenTemplates : public ::testing::TestWithParam<BrokenCase>
{
};

TEST_P(BrokenTemplates, ReportTheFaultAndFailTheReader)
{
    const BrokenCase& c = GetParam();
    const QByteArray text = edited(shippedTemplate(), c.section, c.from, c.to);
    ASSERT_FALSE(text.isEmpty()) << "fixture edit does not apply";
    CRemoteTemplate t;
    EXPECT_FALSE(t.ReadBytes(text, shippedParts()));
    EXPECT_EQ(t.FailedReaders(), c.failed);
    EXPECT_TRUE(t.Reports().contains(QString::fromLatin1(c.report))) << t.Reports().join(" | ").toStdString();
    // One "MakeList" report per failed reader, last and in order.
    const int n = int(c.failed.size());
    ASSERT_GE(t.Reports().size(), n);
    for (int i = 0; i < n; ++i)
        EXPECT_EQ(t.Reports().at(t.Reports().size() - n + i),
                  QStringLiteral("CRemoteCtrlMng::MakeList - %1").arg(c.failed[size_t(i)]));
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, BrokenTemplates,
    ::testing::Values(
        BrokenCase{"SixtyKeys", "KeyIDList", "Size=61", "Size=60", {1},
                   "Number of KEY ID is not right.\nYou must register 61 ID by all means."},
        BrokenCase{"EightFaders", "FaderIDList", "Size=9", "Size=8", {2},
                   "Number of FADER ID is not right.\nYou must register 9 ID by all means."},
        BrokenCase{"NoBanks", "BankGroup", "Size=2", "Size=0", {4},
                   "Number of \"Size\" is not right...(0)\nSECTION [BankGroup]"},
        BrokenCase{"MessageWithTooFewDigits", "InitStandalone", "1=3,90497F", "1=3,9049", {0},
                   "A value is not right...\n SECTION [InitStandalone] - ITEM [1] - NUMBER [1]"},
        BrokenCase{"WindowNamedTwice", "WindowList", "1=0,MixRevSend", "1=0,MixPan", {8, 9, 13, 16},
                   "A value is not right...\n SECTION [WindowList] - ITEM [1] - NUMBER [0]"},
        BrokenCase{"TwoMasterAddresses", "FaderMasterValueDisplay", "Size=1", "Size=2", {7},
                   "A value of \"Size\" must be 1, but becomes 2...\nSECTION [FaderMasterValueDisplay]"},
        BrokenCase{"PageNotAWindow", "MIXER", "0=MixPan", "0=NoSuchPage", {9, 13, 16},
                   "[NoSuchPage] is not registered with [WindowList]..."},
        BrokenCase{"NegativeChildCount", "MIXER", "Size=8", "Size=-1", {9, 13, 16},
                   "A value of \"Size\" is a minus...(-1) : [MIXER]\n"},
        BrokenCase{"TreeThatContainsItself", "MIXER", "0=MixPan", "0=MIXER", {9, 13, 16},
                   "Cannot build a Window-Tree...\n SECTION [MIXER]"},
        BrokenCase{"MissingItemLine", "P1Gen", "ParamSize=7", "ParamSize=8", {10},
                   "This number is not found...\n SECTION [P1Gen] - ITEM [ParamSize] - NUMBER [7]"},
        BrokenCase{"MissingConstantText", "CArpA", "ConstantStr=", "Constant=", {10},
                   "Keyword \"ConstantStr\" is not found...\nSECTION [CArpA]"},
        BrokenCase{"ShortVariableLine", "DispModeValue", "0=0,0,0,0,1,37000E,0,-1,-1,0", "0=0,0,0,0,1,37000E", {10},
                   "Function \"ReadVariaLine\" gave back an error."},
        BrokenCase{"StyleOutsideItsList", "CInsA", "-1,0,1,Part 1", "-1,5,1,Part 1", {10},
                   "A value is not right...\n SECTION [CInsA] - ITEM [BitMask/DispStyle] - NUMBER [0]"},
        BrokenCase{"NoDisplayTime", "DisplayTime", "Time=1000", "Time=0", {12},
                   "Number of \"Time\" is not right...(0)\nSECTION [DisplayTime]"},
        BrokenCase{"JumpOutsideTheTree", "KeyOnJump", "0=-1,27,-1,0-0", "0=-1,27,-1,0-9", {13},
                   "A value is not right...\n SECTION [KeyOnJump] - ITEM [0] - NUMBER [0]"},
        BrokenCase{"TwoInvalidCharacters", "InvalidChar", "0=0,-", "0=0,--", {15},
                   "I can register only character one...\nSECTION [InvalidChar]"},
        BrokenCase{"UnknownInvalidType", "InvalidChar", "0=0,-", "0=7,-", {15},
                   "<Type>=7 : This number is not defined...\nSECTION [InvalidChar]"},
        BrokenCase{"MaskDigitsDoNotMatchTheCount", "BitMaskPattern", "0=1,01", "0=2,01", {10, 18},
                   "A value is not right...\n SECTION [BitMaskPattern] - ITEM [0] - NUMBER [2]"},
        BrokenCase{"MissingSection", "FaderValueDisplay", "[DisplayTime]", "[DisplayTimes]", {12},
                   "A section is not found... : [DisplayTime]\n"}),
    [](const ::testing::TestParamInfo<BrokenCase>& info) { return std::string(info.param.name); });

TEST(RemoteTemplate, TwoFailingReadersAreReportedInReaderOrder)
{
    QByteArray text = edited(shippedTemplate(), "DisplayTime", "Time=1000", "Time=-5");
    text = edited(text, "FaderIDList", "Size=9", "Size=10");
    CRemoteTemplate t;
    EXPECT_FALSE(t.ReadBytes(text, shippedParts()));
    EXPECT_EQ(t.FailedReaders(), (std::vector<int>{2, 12}));
    EXPECT_EQ(t.Reports().mid(t.Reports().size() - 2),
              (QStringList{QStringLiteral("CRemoteCtrlMng::MakeList - 2"), QStringLiteral("CRemoteCtrlMng::MakeList - 12")}));
    EXPECT_EQ(t.displayTime, 0);
}

TEST(RemoteTemplate, SupportNamesTheBeginningOfTheTypeName)
{
    const struct {
        const char* item;
        bool supports;
    } cases[] = {{"R5T", true}, {"R5", true}, {"R", true}, {"R5TX", false}, {"X5T", false}, {"NONE", false}};
    for (const auto& c : cases) {
        const QByteArray text = "[Support]\nSize=2\n0=ZZZ\n1=" + QByteArray(c.item) + "\n";
        CRemoteTemplate t;
        EXPECT_EQ(t.Supports(text, QStringLiteral("R5T")), c.supports) << c.item;
    }
    CRemoteTemplate t;
    EXPECT_FALSE(t.Supports("[Other]\nSize=1\n0=R5T\n", QStringLiteral("R5T")));
    EXPECT_EQ(t.Reports(), QStringList{QStringLiteral("A section was not found... : [Support]\n")});
}

TEST(RemoteTemplate, FolderIsSearchedForRegularTemplatesLargestFirst)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CRemoteTemplate none;
    EXPECT_FALSE(none.MakeList(dir.path(), QStringLiteral("R5T")));
    EXPECT_EQ(none.Warnings(), (QList<CRemoteTemplate::Warning>{{QStringLiteral("R5T"), QStringLiteral("Not support")}}));

    // A folder named like a template is not read; a larger template of another
    // surface is tried first and skipped.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.tpr")));
    writeFile(dir.filePath(QStringLiteral("other.tpr")),
              "[Support]\nSize=1\n0=Q9\n" + QByteArray(int(shippedTemplate().size()), ';'));
    writeFile(dir.filePath(QLatin1String(kTemplateName)), shippedTemplate());
    writeFile(dir.filePath(QStringLiteral("parts.ini")), shippedParts());
    CRemoteTemplate t;
    EXPECT_TRUE(t.MakeList(dir.path(), QStringLiteral("R5T"))) << t.Reports().join('\n').toStdString();
    EXPECT_TRUE(t.Path().endsWith(QLatin1String(kTemplateName)));
}

TEST(RemoteTemplate, CategoryListsEndAtTheFirstMissingSectionAndDropBrokenOnes)
{
    const QByteArray parts = "[ParamSelectType1]\nCategoryNum=2\n1=Low,L,0,15,0\n2=High,H,16,31,0\n"
                             "[ParamSelectType2]\nCategoryNum=1\n1=Wrong,W,9,3,0\n"
                             "[ParamSelectType4]\nCategoryNum=1\n1=Late,L,0,1,0\n";
    CRemoteTemplate t;
    EXPECT_TRUE(t.ReadBytes(shippedTemplate(), parts));
    EXPECT_EQ(t.selectLists[0].size(), 2u);
    EXPECT_EQ(t.selectLists[0][1].name, QByteArray("High"));
    EXPECT_TRUE(t.selectLists[1].empty());   // minimum above maximum
    EXPECT_TRUE(t.selectLists[3].empty());   // after the missing [ParamSelectType3]
}

TEST(RemoteTemplate, FailedStartUpEndsWithTheMakeListBoxAndLeavesTheSurfaceSilent)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    writeFile(dir.filePath(QLatin1String(kTemplateName)),
              edited(edited(shippedTemplate(), "KeyIDList", "Size=61", "Size=3"), "BankGroup", "Size=2", "Size=99"));
    SurfaceRig rig;
    SurfaceWarnings::all().clear();
    rig.mng().InitSet(rig.map(), 1, dir.path());
    ASSERT_FALSE(SurfaceWarnings::all().isEmpty());
    EXPECT_EQ(SurfaceWarnings::all().back(), (Box{QStringLiteral("RemoteCtrl-MakeList"), QStringLiteral("ERROR")}));
    EXPECT_TRUE(SurfaceWarnings::all().contains(Box{QStringLiteral("CRemoteCtrlMng::MakeList - 4"), QStringLiteral("ERROR")}));
    EXPECT_TRUE(rig.mng().isFailed());
    rig.clear();
    rig.mng().Refresh(15);
    rig.surface.tapKey(41);
    rig.surface.moveFader(0, 1023);
    rig.ticks(20);
    EXPECT_TRUE(rig.surfacePort.sent.isEmpty());
    EXPECT_TRUE(rig.instrumentMessages().isEmpty());
}

// Start-up shows the boxes of the read one by one, in the order found: each reader
// error titled with its message, then each failed reader's box, then the closing
// one; a type no template supports has a box of its own.
TEST(RemoteTemplate, StartUpShowsEveryBoxOfTheReadInTurn)
{
    const auto error = [](const char* title) { return Box{QString::fromLatin1(title), QStringLiteral("ERROR")}; };
    const Box notSupported{QStringLiteral("R5T"), QStringLiteral("Not support")};
    const Box makeList = error("RemoteCtrl-MakeList");
    const QByteArray noSupport = edited(shippedTemplate(), "Support", "Size=1", "Count=1");
    struct File
    {
        const char* name;
        QByteArray text;
    };
    struct Case
    {
        const char* name;
        std::vector<File> files;
        QList<Box> boxes;
        bool started;
    };
    const Case cases[] = {
        {"shipped", {{kTemplateName, shippedTemplate()}}, {}, true},
        {"empty folder", {}, {notSupported, makeList}, false},
        {"another surface's template", {{kTemplateName, edited(shippedTemplate(), "Support", "0=R5T", "0=Q9")}},
         {notSupported, makeList}, false},
        {"no size in [Support]", {{kTemplateName, noSupport}},
         {error("Keyword \"Size\" was not found...\nSECTION [Support]"), notSupported, makeList}, false},
        {"a template passed over before the good one",
         {{"other.tpr", noSupport + QByteArray(64, ';')}, {kTemplateName, shippedTemplate()}},
         {error("Keyword \"Size\" was not found...\nSECTION [Support]")}, true},
        {"one reader",
         {{kTemplateName, edited(shippedTemplate(), "DisplayTime", "Time=1000", "Time=-5")}},
         {error("Number of \"Time\" is not right...(-5)\nSECTION [DisplayTime]"), error("CRemoteCtrlMng::MakeList - 12"),
          makeList},
         false},
        {"two readers",
         {{kTemplateName,
           edited(edited(shippedTemplate(), "FaderIDList", "Size=9", "Size=10"), "DisplayTime", "Time=1000", "Time=-5")}},
         {error("Number of FADER ID is not right.\nYou must register 9 ID by all means."),
          error("Number of \"Time\" is not right...(-5)\nSECTION [DisplayTime]"), error("CRemoteCtrlMng::MakeList - 2"),
          error("CRemoteCtrlMng::MakeList - 12"), makeList},
         false},
        {"a display style left empty",
         {{kTemplateName, edited(shippedTemplate(), "SurfAscii", "ParamSize=1", "ParamSize=0")}},
         {error("Number of \"ParamSize\" is not right...(0)\nSECTION [SurfAscii]")}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        for (const File& f : c.files) {
            ASSERT_FALSE(f.text.isEmpty()) << "fixture edit does not apply";
            writeFile(dir.filePath(QLatin1String(f.name)), f.text);
        }
        if (!c.files.empty())
            writeFile(dir.filePath(QStringLiteral("parts.ini")), shippedParts());
        SurfaceRig rig;
        SurfaceWarnings::all().clear();
        rig.mng().InitSet(rig.map(), 1, dir.path());
        EXPECT_EQ(SurfaceWarnings::all(), c.boxes);
        EXPECT_EQ(rig.mng().isFailed(), !c.started);
    }
}

#include "TestPaths.h"
#include "console/model/IniFileJob.h"
#include "console/model/IniFileJobCache.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cstring>
#include <thread>
#include <vector>

namespace {

QByteArray item(CIniFileJob& ini, const char* key, int index = -1)
{
    char buf[CIniFileJob::kItemSize];
    if (!ini.GetItem(key, buf, index, int(sizeof buf)))
        return QByteArray("<missing>");
    // A value that runs to the end of its line keeps the line feed.
    QByteArray v(buf);
    if (v.endsWith('\n'))
        v.chop(1);
    return v;
}

} // namespace

TEST(IniFileJob, RepeatedSectionsAreReachedThroughAfter)
{
    CIniFileJob ini(fixturePath("reader.ini"));
    ASSERT_TRUE(ini.Opened());
    ASSERT_EQ(ini.GetSection("first"), 1);
    EXPECT_EQ(item(ini, "a"), "1");
    ASSERT_EQ(ini.GetSection("first", "second"), 1);
    EXPECT_EQ(item(ini, "a"), "2");
    ASSERT_EQ(ini.GetSection("first", "marker"), 1);
    EXPECT_EQ(item(ini, "a"), "3");
    EXPECT_EQ(ini.GetSection("first", "long"), 0);
    EXPECT_EQ(ini.GetSection("first", "nosuch"), 0);
    // Failure clears the section, so no key is found until one is selected.
    EXPECT_EQ(item(ini, "a"), "<missing>");
}

TEST(IniFileJob, RepeatedKeysFallBackToTheLastOccurrence)
{
    CIniFileJob ini(fixturePath("reader.ini"));
    ASSERT_EQ(ini.GetSection("first"), 1);
    EXPECT_EQ(item(ini, "dup"), "a");
    EXPECT_EQ(item(ini, "dup", 0), "a");
    EXPECT_EQ(item(ini, "dup", 1), "b");
    EXPECT_EQ(item(ini, "dup", 2), "c");
    EXPECT_EQ(item(ini, "dup", 5), "c");
    EXPECT_EQ(item(ini, "dup", -2), "<missing>");
    char raw[8];
    ASSERT_EQ(ini.GetItem("dup", raw, 1, int(sizeof raw)), 1);
    EXPECT_STREQ(raw, "b\n");
}

TEST(IniFileJob, CommentsTerminatorsAndBrackets)
{
    CIniFileJob ini(fixturePath("reader.ini"));
    ASSERT_EQ(ini.GetSection("first"), 1);
    EXPECT_EQ(item(ini, "spaced"), "value ");
    EXPECT_EQ(item(ini, "tabbed"), "left");
    EXPECT_EQ(item(ini, "cr"), "carriage");
    EXPECT_EQ(item(ini, "commented"), "<missing>");
    EXPECT_EQ(item(ini, "nokey"), "<missing>");
    EXPECT_EQ(item(ini, "  indented"), "2");
    int n = -5;
    EXPECT_EQ(ini.GetItem("  indented", n), 1);
    EXPECT_EQ(n, 2);
    // A key line whose value holds '[' and ']' is a section head.
    ASSERT_EQ(ini.GetSection("brackets"), 1);
    EXPECT_EQ(item(ini, "bad"), "<missing>");
    EXPECT_EQ(ini.GetSection("not"), 1);
    // Keys before the first section head are ignored.
    EXPECT_EQ(ini.GetSection("count"), 0);
}

TEST(IniFileJob, LongLineIsSplitAt511Characters)
{
    CIniFileJob ini(fixturePath("reader.ini"));
    ASSERT_EQ(ini.GetSection("long"), 1);
    const QByteArray v = item(ini, "long");
    EXPECT_EQ(v.size(), 511 - 5);
    EXPECT_EQ(v, QByteArray(506, 'x'));
    const int longLine = ini.GetItemLine("long");
    ASSERT_EQ(ini.GetSection("after"), 1);
    // The remaining 89 characters were read as a line of their own.
    EXPECT_EQ(ini.GetItemLine("k"), longLine + 3);
    // A short output buffer receives a cut value and its terminator, nothing more.
    ASSERT_EQ(ini.GetSection("long"), 1);
    char small[8];
    std::memset(small, 'Z', sizeof small);
    EXPECT_EQ(ini.GetItem("long", small, -1, 4), 1);
    EXPECT_STREQ(small, "xxx");
    EXPECT_EQ(small[4], 'Z');
}

TEST(IniFileJob, MissingFileIsTriedOnce)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/missing.tpm");
    const int before = CIniFileJobCache::OpenCount();
    CIniFileJob a(path);
    CIniFileJob b(path);
    EXPECT_FALSE(a.Opened());
    EXPECT_FALSE(b.Opened());
    EXPECT_EQ(CIniFileJobCache::OpenCount(), before + 1);
    EXPECT_EQ(b.GetSection("x"), 0);
    int v = 7;
    EXPECT_EQ(b.GetItem("x", v), 0);
    EXPECT_EQ(v, 7);
}

TEST(IniFileJob, TwoReadersShareOneParse)
{
    const QString path = fixturePath("reader.ini");
    CIniFileJob a(path);
    const int before = CIniFileJobCache::OpenCount();
    CIniFileJob b(path);
    EXPECT_TRUE(b.Opened());
    EXPECT_EQ(CIniFileJobCache::OpenCount(), before);
}

TEST(IniFileJob, ConcurrentFirstReadsParseOnce)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/race.tpm");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QByteArray text = "[s]\n";
        for (int i = 0; i < 2000; ++i)
            text += QByteArray::number(i) + "=v" + QByteArray::number(i) + "\n";
        f.write(text);
    }
    const int before = CIniFileJobCache::OpenCount();
    int found[2] = {0, 0};
    auto reader = [&](int t) {
        CIniFileJob ini(path);
        if (ini.GetSection("s")) {
            char buf[32];
            found[t] = ini.GetItem("1999", buf, -1, int(sizeof buf)) && std::strcmp(buf, "v1999\n") == 0;
        }
    };
    std::thread t1(reader, 0), t2(reader, 1);
    t1.join();
    t2.join();
    EXPECT_EQ(found[0], 1);
    EXPECT_EQ(found[1], 1);
    EXPECT_EQ(CIniFileJobCache::OpenCount(), before + 1);
}

TEST(IniFileJob, TokensAreSplitAndBounded)
{
    CIniFileJob ini(std::shared_ptr<const CIniFileJobCache>{});
    char out[CIniFileJob::kTokenSize];
    ini.Get1stStrToken("370000,,0\t12,Name of it", "\t,", out);
    EXPECT_STREQ(out, "370000");
    ini.Get2ndStrToken(out);
    EXPECT_STREQ(out, "0");  // the empty field is dropped
    EXPECT_EQ(ini.Get2ndNumToken(), 12);
    QString name;
    ini.Get2ndStrToken(name);
    EXPECT_EQ(name, QStringLiteral("Name of it"));
    ini.Get2ndStrToken(out);
    EXPECT_STREQ(out, "");
    EXPECT_FALSE(ini.LastTokenFound());
    EXPECT_EQ(ini.Get2ndNumToken2(), 0);

    EXPECT_EQ(ini.Get1stHexToken("7F,1a", ","), 0x7F);
    EXPECT_EQ(ini.Get2ndHexToken(), 0x1A);

    // A source longer than the reader's buffer is cut, never overrun.
    const std::string big(1000, 'q');
    char small[5];
    ini.Get1stStrToken(big.c_str(), ",", small, int(sizeof small));
    EXPECT_STREQ(small, "qqqq");
    QString whole;
    ini.Get1stStrToken(big.c_str(), ",", whole);
    EXPECT_EQ(whole.size(), CIniFileJob::kTokenSize - 1);
}

TEST(IniFileJob, FixedWidthAndDottedFields)
{
    CIniFileJob ini(std::shared_ptr<const CIniFileJobCache>{});
    EXPECT_EQ(ini.GetNumToken("00.7F.40", 2), 0x40);
    EXPECT_EQ(ini.GetNumToken("00.7F.40", 5), 0x00);
    EXPECT_EQ(ini.GetNumToken("1F", 0), 0x1F);
    EXPECT_EQ(ini.GetNumToken("0A0B0C", 1, 2), 0x0B);
    EXPECT_EQ(ini.GetNumToken("0A0B0C", 7, 2), 0x0A);
    char out[4] = {'-', '-', '-', '-'};
    EXPECT_EQ(ini.GetStrToken("abcdef", out, 1, 3), 3);
    EXPECT_EQ(std::string(out, 4), "def-");
    EXPECT_EQ(ini.GetStrToken("ab", out, 1, 3), 0);
}

namespace {

// Names given again are numbered in order (a head's name ends at its first ']'), and a
// long name is found as a short one is.
const char kRepeats[] =
    "[x]\n"
    "a=1\n"
    "a=2\n"
    "[1][x]\n"
    "b=literal\n"
    "[x]\n"
    "a=3\n"
    "[y]\n"
    "a=4\n"
    "a=5\n"
    "a=6\n"
    "[a-section-name-longer-than-any-buffer-a-reader-keeps-for-the-names-it-looks-up-"
    "a-section-name-longer-than-any-buffer-a-reader-keeps-for-the-names-it-looks-up-"
    "a-section-name-longer-than-any-buffer-a-reader-keeps-for-the-names-it-looks-up-"
    "a-section-name-longer-than-any-buffer-a-reader-keeps]\n"
    "k=long\n"
    "k=longer\n";

struct Lookup
{
    const char* section;
    const char* after;
    const char* key;
    int index;
    const char* value;
};

const Lookup kLookups[] = {
    {"x", nullptr, "a", -1, "1"},
    {"x", nullptr, "a", 1, "2"},
    {"x", nullptr, "a", 4, "2"},
    {"1", nullptr, "b", -1, "literal"},
    {"1][x", nullptr, "a", -1, "3"},
    {"x", "1", "a", -1, "3"},
    {"x", "y", "a", -1, "<missing>"},
    {"y", nullptr, "a", 2, "6"},
    {"y", nullptr, "a", 9, "6"},
    {"y", nullptr, "b", -1, "<missing>"},
    {"a-section-name-longer-than-any-buffer-a-reader-keeps-for-the-names-it-looks-up-"
     "a-section-name-longer-than-any-buffer-a-reader-keeps-for-the-names-it-looks-up-"
     "a-section-name-longer-than-any-buffer-a-reader-keeps-for-the-names-it-looks-up-"
     "a-section-name-longer-than-any-buffer-a-reader-keeps",
     nullptr, "k", 1, "longer"},
};

} // namespace

TEST(IniFileJob, RepeatedNamesReadTheSameFromAFileAndFromMemory)
{
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/repeats.ini");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kRepeats);
    }
    // Never on disk: the image is set from memory.
    const QString held = dir.path() + QStringLiteral("/no/such/folder/held.ini");
    CIniFileJobCache::Set(held, QByteArray(kRepeats));
    for (const QString& path : {file, held}) {
        CIniFileJob ini(path);
        ASSERT_TRUE(ini.Opened());
        for (const Lookup& l : kLookups) {
            SCOPED_TRACE(std::string(l.section) + "/" + l.key + "/" + std::to_string(l.index) + " in "
                         + path.toStdString());
            const int found = ini.GetSection(l.section, l.after);
            EXPECT_EQ(item(ini, l.key, l.index), found ? QByteArray(l.value) : QByteArray("<missing>"));
        }
    }
    CIniFileJobCache::Set(held, QByteArray("[x]\na=other\n"));
    CIniFileJob again(held);
    ASSERT_EQ(again.GetSection("x"), 1);
    EXPECT_EQ(item(again, "a"), "other");
    CIniFileJobCache::Forget(held);
    EXPECT_FALSE(CIniFileJob(held).Opened());
}

// Many long names, most of them given again, fill several of the blocks an image keeps
// its names in: a name stored, or tried and numbered, at the end of one block and the
// start of the next is found as any other.
TEST(IniFileJob, NamesBeyondOneBlockAreAllFound)
{
    constexpr int kSections = 60;
    constexpr int kRepeatsPerKey = 12;
    auto sectionName = [](int s) { return QByteArray::number(s) + QByteArray(300 + s, 'n'); };
    QByteArray text;
    for (int s = 0; s < kSections; ++s) {
        text += '[' + sectionName(s) + "]\n";
        for (int r = 0; r < kRepeatsPerKey; ++r)
            text += "key=" + QByteArray::number(s) + '.' + QByteArray::number(r) + '\n';
        text += "single=" + QByteArray::number(s) + '\n';
    }
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/blocks.ini");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    const QString held = dir.path() + QStringLiteral("/held.ini");
    CIniFileJobCache::Set(held, text);
    for (const QString& path : {file, held}) {
        CIniFileJob ini(path);
        for (int s = 0; s < kSections; ++s) {
            SCOPED_TRACE(s);
            ASSERT_EQ(ini.GetSection(sectionName(s).constData()), 1);
            EXPECT_EQ(item(ini, "single"), QByteArray::number(s));
            for (int r = 0; r < kRepeatsPerKey; ++r)
                EXPECT_EQ(item(ini, "key", r), QByteArray::number(s) + '.' + QByteArray::number(r));
            EXPECT_EQ(item(ini, "key", kRepeatsPerKey), QByteArray::number(s) + '.' + QByteArray::number(kRepeatsPerKey - 1));
        }
    }
    CIniFileJobCache::Forget(held);
}

// A value read out of an image is the reader's own: it stays as read when the image
// goes, and reading into a buffer changes no copy made of that buffer before.
TEST(IniFileJob, ValuesReadOutLiveOnWithoutTheImage)
{
    // A value read to the end of its line keeps the line feed.
    QByteArray text = "[s]\nempty=\t\nshort=ab\nspaced= a b \n";
    const QByteArray longValue(CIniFileJobCache::kLineLimit - 8, 'v');
    text += "long=" + longValue + '\n';
    // Past the first of the blocks an image keeps its text in.
    for (int i = 0; i < 80; ++i)
        text += "filler" + QByteArray::number(i) + '=' + QByteArray(300, 'f') + '\n';
    text += "last=end";
    struct Read
    {
        const char* key;
        QByteArray value;
    };
    const Read reads[] = {{"empty", ""}, {"short", "ab\n"}, {"spaced", " a b \n"}, {"long", longValue + '\n'}, {"last", "end"}};
    QTemporaryDir dir;
    const QString held = dir.path() + QStringLiteral("/held.ini");
    for (bool reuse : {false, true}) {
        CIniFileJobCache::Set(held, text);
        std::vector<QByteArray> values, copies;
        QByteArray buffer = "an earlier value that is longer than most of the values read into it";
        {
            CIniFileJob ini(held);
            ASSERT_EQ(ini.GetSection("s"), 1);
            for (const Read& r : reads) {
                SCOPED_TRACE(r.key);
                QByteArray fresh;
                QByteArray& out = reuse ? buffer : fresh;
                copies.push_back(out);
                ASSERT_EQ(ini.GetItem(r.key, out), 1);
                EXPECT_FALSE(out.isNull());
                values.push_back(out);
            }
        }
        CIniFileJobCache::Set(held, QByteArray("[s]\nshort=other\n"));
        CIniFileJobCache::Forget(held);
        for (size_t i = 0; i < values.size(); ++i) {
            SCOPED_TRACE(reads[i].key);
            EXPECT_EQ(values[i], reads[i].value);
            if (reuse && i > 0)
                EXPECT_EQ(copies[i], reads[i - 1].value);
        }
        if (reuse)
            EXPECT_EQ(copies[0], QByteArray("an earlier value that is longer than most of the values read into it"));
    }
}

namespace {

// One image parsed twice: what the second text answers, and nothing of the first.
struct Reparse
{
    const char* section;
    const char* key;
    int index;
    const char* value;  // "<missing>" when the second text has no such entry
};

const char kFirstText[] =
    "[a]\nonlyFirst=1\nboth=first\ndup=1\ndup=2\ndup=3\n"
    "[a]\nboth=first again\n"
    "[gone]\nk=v\n";
// Lines much shorter than a template's, so that the table grows while it is read; a
// line whose ']' comes before its '[' is a key, not a section.
const char kSecondText[] =
    "[a]\nboth=second\ndup=x\ndup=y\n]k[ey]=odd\n"
    "[s]\n0=a\n1=b\n2=c\n3=d\n4=e\n5=f\n6=g\n7=h\n8=i\n9=j\nA=k\nB=l\nC=m\nD=n\nE=o\nF=p\n"
    "G=q\nH=r\nI=s\nJ=t\nK=u\nL=v\nM=w\nN=x\nO=y\nP=z\n";

const Reparse kReparses[] = {
    {"a", "onlyFirst", -1, "<missing>"},
    {"a", "both", -1, "second"},
    {"a", "dup", 0, "x"},
    {"a", "dup", 1, "y"},
    {"a", "dup", 2, "y"},
    {"a", "]k[ey]", -1, "odd"},
    {"gone", "k", -1, "<missing>"},
    {"s", "0", -1, "a"},
    {"s", "P", -1, "z"},
    {"s", "G", -1, "q"},
};

} // namespace

TEST(IniFileJob, AnImageParsedAgainAnswersOnlyFromTheNewText)
{
    auto image = std::make_shared<CIniFileJobCache>();
    image->ReadBytes(QByteArray(kFirstText));
    ASSERT_EQ(CIniFileJob(image).GetSection("gone"), 1);
    image->ReadBytes(QByteArray(kSecondText));
    EXPECT_EQ(image->Count(), 2 + 4 + 26);
    CIniFileJob ini(image);
    // The section given twice before is there once now.
    EXPECT_EQ(ini.GetSection("a", "s"), 0);
    for (const Reparse& r : kReparses) {
        SCOPED_TRACE(std::string(r.section) + "/" + r.key + "/" + std::to_string(r.index));
        const int found = ini.GetSection(r.section);
        EXPECT_EQ(found ? item(ini, r.key, r.index) : QByteArray("<missing>"), QByteArray(r.value));
        // The value in place: as the copy, line feed and all.
        QByteArrayView view;
        if (found && ini.GetItem(r.key, view, r.index))
            EXPECT_EQ(view.toByteArray(), QByteArray(r.value) + '\n');
    }
}

// The user's project through the substitute host: a project the editor cannot load
// (cut short, a bit flipped in its header, length or preferences) is reported and
// kept byte for byte, and so is a file the load leaves bytes of unread (any bit of the
// header flipped, text, random bytes) or a project with no write bit; a save that
// cannot be written is reported, a save syncs the folder it renames into, and what an
// interrupted save left beside the project is removed at the next start, nothing else.
#include "HostTestSupport.h"
#include "host/HostProjectFile.h"
#include "host/SubstituteHost.h"
#include "platform/testing/SyncProbe.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using NS_HostTest::OwnSettings;
using NS_HostTest::pumpToolkit;
using NS_HostTest::readBytes;
using NS_HostTest::writeBytes;

NS_Host::HostOptions projectOptions(const QString& name, const QString& projectPath)
{
    static int run = 0;
    NS_Host::HostOptions options;
    options.componentPath = QStringLiteral(VANTREL_HOST_COMPONENT_PATH);
    options.projectPath = projectPath;
    options.simulatorName = QStringLiteral("TOVAR-VANTREL %1 %2-%3").arg(name).arg(QCoreApplication::applicationPid()).arg(++run);
    options.surfaceName = options.simulatorName + QStringLiteral(" surface");
    options.settleMs = 100;
    return options;
}

// One project as the editor writes it, made once.
const QByteArray& savedProject()
{
    static const QByteArray bytes = [] {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("made.tvproj"));
        NS_Host::SubstituteHost host(projectOptions(QStringLiteral("maker"), path));
        host.setIdleHook(&pumpToolkit);
        if (!host.start())
            return QByteArray();
        host.stop(true);
        return readBytes(path);
    }();
    return bytes;
}

QByteArray flipped(QByteArray bytes, qsizetype offset, int bit)
{
    bytes[offset] = char(bytes.at(offset) ^ (1 << bit));
    return bytes;
}

// Offsets in the project: "KXQR", "2000", the payload's length, then the payload,
// which starts with the preferences' map (its count first).
struct Damage
{
    const char* name;
    std::function<QByteArray(const QByteArray&)> apply;
};

const Damage kDamages[] = {
    {"CutByOneByte", [](const QByteArray& b) { return b.left(b.size() - 1); }},
    {"CutAfterTheHeader", [](const QByteArray& b) { return b.left(12); }},
    {"VersionBitFlipped", [](const QByteArray& b) { return flipped(b, 4, 0); }},
    {"LengthHighBitFlipped", [](const QByteArray& b) { return flipped(b, 8, 7); }},
    // The lowest clear bit of the length: the payload is announced longer than it is.
    {"LengthLowBitFlipped",
     [](const QByteArray& b) {
         const quint32 length = quint32(uchar(b[8])) << 24 | quint32(uchar(b[9])) << 16 | quint32(uchar(b[10])) << 8
                                | uchar(b[11]);
         int bit = 0;
         while (length & (1u << bit))
             ++bit;
         return flipped(b, 11 - bit / 8, bit % 8);
     }},
    {"PreferenceCountBitFlipped", [](const QByteArray& b) { return flipped(b, 12, 6); }},
    {"NotADocumentAtAll", [](const QByteArray&) { return QByteArray("not a document stream at all"); }},
};

class SubstituteHostDamagedProject : public ::testing::TestWithParam<Damage>
{
    OwnSettings m_settings;
};

} // namespace

TEST_P(SubstituteHostDamagedProject, IsReportedAndKeptByteForByte)
{
    ASSERT_GT(savedProject().size(), 12) << "no project to damage";
    const QByteArray damaged = GetParam().apply(savedProject());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("damaged.tvproj"));
    ASSERT_TRUE(writeBytes(path, damaged));

    NS_Host::SubstituteHost host(projectOptions(QString::fromLatin1(GetParam().name), path));
    host.setIdleHook(&pumpToolkit);
    ASSERT_TRUE(host.start()) << qPrintable(host.error());
    EXPECT_TRUE(host.projectKept());
    EXPECT_NE(host.saveProject(), 0);
    EXPECT_FALSE(host.stop(true));
    EXPECT_TRUE(host.error().contains(QLatin1String("kept as it is"))) << qPrintable(host.error());
    EXPECT_EQ(readBytes(path), damaged);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("damaged.tvproj")});
    EXPECT_EQ(host.outstandingReferences(), 0);
}

INSTANTIATE_TEST_SUITE_P(Host, SubstituteHostDamagedProject, ::testing::ValuesIn(kDamages),
                         [](const ::testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

TEST(SubstituteHostProject, AWholeProjectLoadsAndIsSavedIntoASyncedFolder)
{
    OwnSettings settings;
    ASSERT_GT(savedProject().size(), 12);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("projects"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/whole.tvproj");
    ASSERT_TRUE(writeBytes(path, savedProject()));

    NS_Host::SubstituteHost host(projectOptions(QStringLiteral("whole"), path));
    host.setIdleHook(&pumpToolkit);
    ASSERT_TRUE(host.start()) << qPrintable(host.error());
    EXPECT_FALSE(host.projectKept());
    NS_Testing::forgetSyncs();
    EXPECT_TRUE(host.stop(true)) << qPrintable(host.error());
    EXPECT_TRUE(readBytes(path).startsWith("KXQR2000"));
    // The rename over the project is an entry of its folder.
    EXPECT_GE(NS_Testing::syncsOf(folder), 1);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("whole.tvproj")});
}

TEST(SubstituteHostProject, ASaveThatCannotBeWrittenIsReported)
{
    OwnSettings settings;
    struct Case
    {
        const char* what;
        std::function<QString(const QDir&)> project;
        // The largest file the save may write (0: no limit): a disk that fills part way.
        rlim_t fileSizeLimit = 0;
    };
    std::vector<Case> cases = {
        {"the project's folder is a file",
         [](const QDir& d) {
             return writeBytes(d.filePath(QStringLiteral("file")), "x") ? d.filePath(QStringLiteral("file/p.tvproj"))
                                                                         : QString();
         }},
        {"a folder that takes no new files",
         [](const QDir&) { return QStringLiteral("/proc/self/vantrel-unsaved.tvproj"); }},
        {"a disk that fills part way", [](const QDir& d) { return d.filePath(QStringLiteral("p.tvproj")); },
         100000},
    };
    // Permissions do not stop root.
    if (::geteuid() != 0)
        cases.push_back({"a folder nobody may write",
                         [](const QDir& d) {
                             d.mkpath(QStringLiteral("locked"));
                             QFile::setPermissions(d.filePath(QStringLiteral("locked")),
                                                   QFile::ReadOwner | QFile::ExeOwner);
                             return d.filePath(QStringLiteral("locked/p.tvproj"));
                         }});
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const QString path = c.project(QDir(dir.path()));
        NS_Host::SubstituteHost host(projectOptions(QStringLiteral("unsaved"), path));
        host.setIdleHook(&pumpToolkit);
        ASSERT_TRUE(host.start()) << c.what << ": " << qPrintable(host.error());
        // Even root cannot write past the limit; the signal it sends is not wanted.
        struct rlimit was{};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &was), 0);
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        if (c.fileSizeLimit) {
            struct rlimit low = was;
            low.rlim_cur = c.fileSizeLimit;
            ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &low), 0);
        }
        const bool saved = host.stop(true);
        ::setrlimit(RLIMIT_FSIZE, &was);
        std::signal(SIGXFSZ, handler);
        EXPECT_FALSE(saved) << c.what;
        EXPECT_TRUE(host.error().contains(QLatin1String("not saved"))) << c.what << ": " << qPrintable(host.error());
        EXPECT_FALSE(QFileInfo::exists(path)) << c.what;
        EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("*.saving-*")}, QDir::Files | QDir::Hidden), QStringList())
            << c.what;
        QFile::setPermissions(dir.filePath(QStringLiteral("locked")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

TEST(SubstituteHostProject, TheStartRemovesWhatAnInterruptedSaveLeftAndNothingElse)
{
    OwnSettings settings;
    QTemporaryDir dir;
    const QDir folder(dir.path());
    const QString path = folder.filePath(QStringLiteral("p.tvproj"));
    ASSERT_TRUE(writeBytes(path, savedProject()));
    ASSERT_TRUE(folder.mkpath(QStringLiteral("elsewhere")));
    ASSERT_TRUE(writeBytes(folder.filePath(QStringLiteral("elsewhere/target")), "mine"));
    struct Entry
    {
        const char* name;
        enum Kind { File, Folder, Link } kind;
        bool removed;
    };
    const Entry entries[] = {
        {"p.tvproj.saving-Ab3dE9", Entry::File, true},
        {"p.tvproj.saving-ZZZZZZ", Entry::File, true},
        {"p.tvproj.saving-Ab3dE", Entry::File, false},
        {"p.tvproj.saving-Ab3dE9x", Entry::File, false},
        {"p.tvproj.saving-Ab3d.9", Entry::File, false},
        {"p.tvproj.saving-Ab3dé9", Entry::File, false},
        {"p.tvproj.backup", Entry::File, false},
        {"p.tvproj.ABCDEF", Entry::File, false},
        {"q.tvproj.saving-Ab3dE9", Entry::File, false},
        {"xp.tvproj.saving-Ab3dE9", Entry::File, false},
        {"p.tvproj.saving-Folder", Entry::Folder, false},
        {"p.tvproj.saving-Link00", Entry::Link, false},
    };
    for (const Entry& e : entries) {
        const QString name = folder.filePath(QString::fromUtf8(e.name));
        if (e.kind == Entry::File)
            ASSERT_TRUE(writeBytes(name, "left"));
        else if (e.kind == Entry::Folder)
            ASSERT_TRUE(folder.mkpath(name));
        else
            ASSERT_TRUE(QFile::link(folder.filePath(QStringLiteral("elsewhere/target")), name));
    }

    NS_Host::SubstituteHost host(projectOptions(QStringLiteral("stale"), path));
    host.setIdleHook(&pumpToolkit);
    ASSERT_TRUE(host.start()) << qPrintable(host.error());
    for (const Entry& e : entries) {
        const QFileInfo left(folder.filePath(QString::fromUtf8(e.name)));
        EXPECT_EQ(!left.exists() && !left.isSymLink(), e.removed) << e.name;
    }
    EXPECT_EQ(readBytes(folder.filePath(QStringLiteral("elsewhere/target"))), QByteArray("mine"));
    host.stop(false);
    EXPECT_EQ(readBytes(path), savedProject());
}

namespace {

QByteArray text(qsizetype size)
{
    const QByteArray line("A project holds the editor's document and nothing else.\n");
    return line.repeated(size / line.size() + 1).left(size);
}

QByteArray randomBytes(qsizetype size)
{
    QRandomGenerator generator(20261210);
    QByteArray bytes(size, '\0');
    for (char& byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

// The older fixed form, whole: a device number, four port identifiers and no image.
QByteArray olderStream()
{
    QByteArray bytes(320, '\0');
    bytes[1] = 5;
    for (int port = 0; port < 4; ++port)
        bytes[240 + 20 * port + 15] = char(port + 1);
    return bytes;
}

int grantEverything(const char*)
{
    return 0;
}

struct WholeCase
{
    QString what;
    QByteArray bytes;
    int status;
    mode_t mode = 0644;
    NS_Host::WriteAccessCheck check = nullptr;
};

// One group of cases per byte of the header (each of its bits flipped), then the files
// that are no project and the projects that are whole.
std::vector<WholeCase> wholeCases(int group)
{
    std::vector<WholeCase> cases;
    if (group < 12) {
        for (int bit = 0; bit < 8; ++bit)
            cases.push_back({QStringLiteral("bit %1 of byte %2 flipped").arg(bit).arg(group),
                             flipped(savedProject(), group, bit), 1});
        return cases;
    }
    cases.push_back({QStringLiteral("400 bytes of text"), text(400), 1});
    cases.push_back({QStringLiteral("19,000 bytes of text"), text(19000), 1});
    cases.push_back({QStringLiteral("random bytes"), randomBytes(19000), 1});
    cases.push_back({QStringLiteral("a whole project of mode 0444"), savedProject(), 1, 0444});
    cases.push_back({QStringLiteral("a whole project of mode 0444 the process may write"), savedProject(), 1, 0444,
                     &grantEverything});
    cases.push_back({QStringLiteral("a whole older-form stream"), olderStream(), 0});
    return cases;
}

class SubstituteHostWholeProject : public ::testing::TestWithParam<int>
{
    OwnSettings m_settings;
};

} // namespace

TEST_P(SubstituteHostWholeProject, OnlyAFileReadWholeAndWritableIsSavedOver)
{
    ASSERT_GT(savedProject().size(), 12);
    for (const WholeCase& c : wholeCases(GetParam())) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("p.tvproj"));
        ASSERT_TRUE(writeBytes(path, c.bytes));
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), c.mode), 0);
        NS_Host::setWriteAccessCheck(c.check);
        NS_Host::HostOptions options = projectOptions(QStringLiteral("whole"), path);
        options.runForMs = 1;
        NS_Host::SubstituteHost host(options);
        host.setIdleHook(&pumpToolkit);
        EXPECT_EQ(host.exec(), c.status) << qPrintable(c.what) << ": " << qPrintable(host.error());
        NS_Host::setWriteAccessCheck(nullptr);
        if (c.status == 0)
            EXPECT_TRUE(readBytes(path).startsWith("KXQR2000")) << qPrintable(c.what);
        else
            EXPECT_EQ(readBytes(path), c.bytes) << qPrintable(c.what);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("p.tvproj")})
            << qPrintable(c.what);
    }
}

INSTANTIATE_TEST_SUITE_P(Host, SubstituteHostWholeProject, ::testing::Range(0, 13),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return info.param < 12 ? "HeaderByte" + std::to_string(info.param) : std::string("NoProject");
                         });

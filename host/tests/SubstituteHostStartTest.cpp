// What the substitute host says when it cannot start: a component that is not there or
// is no component, a project it cannot read, an editor it cannot open, a picture it
// cannot write. Each ends with a message and nothing left running; a project whose
// bytes the component refuses is reported, kept as it is, and the editor still starts.
#include "HostTestSupport.h"
#include "host/HostEditorWindows.h"
#include "host/SubstituteHost.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include "host/HostGuid.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using NS_HostTest::OwnSettings;
using NS_HostTest::pumpToolkit;

NS_Host::HostOptions baseOptions(const char* name)
{
    NS_Host::HostOptions options;
    options.componentPath = QStringLiteral(VANTREL_HOST_COMPONENT_PATH);
    options.simulatorName =
        QStringLiteral("TOVAR-VANTREL %1 %2").arg(QLatin1String(name)).arg(QCoreApplication::applicationPid());
    options.surfaceName = options.simulatorName + QStringLiteral(" surface");
    options.settleMs = 100;
    options.screenshotDelayMs = 50;
    return options;
}

struct StartFault
{
    const char* name;
    std::function<void(NS_Host::HostOptions&, const QTemporaryDir&)> arrange;
    const char* message;
};

class SubstituteHostStart : public ::testing::TestWithParam<StartFault>
{
    OwnSettings m_settings;
};

} // namespace

TEST_P(SubstituteHostStart, FailsWithItsMessageAndLeavesNothingRunning)
{
    const StartFault& f = GetParam();
    QTemporaryDir dir;
    NS_Host::HostOptions options = baseOptions(f.name);
    f.arrange(options, dir);
    NS_Host::SubstituteHost host(options);
    host.setIdleHook(&pumpToolkit);
    EXPECT_FALSE(host.start());
    EXPECT_TRUE(host.error().contains(QLatin1String(f.message))) << qPrintable(host.error());
    host.stop(false);
    EXPECT_EQ(host.outstandingReferences(), 0);
    EXPECT_EQ(host.editorWindows(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Host, SubstituteHostStart,
    ::testing::Values(
        StartFault{"NoLibrary",
                   [](NS_Host::HostOptions& o, const QTemporaryDir& d) { o.componentPath = d.filePath(QStringLiteral("none.so")); },
                   "cannot load"},
        StartFault{"LibraryWithoutFactory",
                   [](NS_Host::HostOptions& o, const QTemporaryDir&) {
                       // A library of the bundle that is not the component.
                       o.componentPath = QFileInfo(QStringLiteral(VANTREL_HOST_COMPONENT_PATH)).absolutePath()
                           + QStringLiteral("/libvantrel_kxe21_utilities.so");
                   },
                   "has no MacLoaderFactory"},
        StartFault{"ProjectThatIsAFolder",
                   [](NS_Host::HostOptions& o, const QTemporaryDir& d) {
                       o.projectPath = d.filePath(QStringLiteral("project"));
                       QDir().mkpath(o.projectPath);
                   },
                   "cannot read project"},
        StartFault{"EditorNobodyOffers",
                   [](NS_Host::HostOptions& o, const QTemporaryDir&) {
                       o.openEditors = {{NS_Host::toUuid(NS_AddOnIds::PartDetailAddOn), 40}};
                   },
                   "cannot open editor 40 of part"}),
    [](const ::testing::TestParamInfo<StartFault>& info) { return std::string(info.param.name); });

TEST(SubstituteHostProject, RefusedProjectBytesAreReportedAndTheEditorStillStarts)
{
    OwnSettings settings;
    QTemporaryDir dir;
    NS_Host::HostOptions options = baseOptions("garbled");
    options.projectPath = dir.filePath(QStringLiteral("garbled.tvproj"));
    {
        QFile file(options.projectPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a document stream at all");
    }
    NS_Host::SubstituteHost host(options);
    host.setIdleHook(&pumpToolkit);
    ASSERT_TRUE(host.start()) << qPrintable(host.error());
    ASSERT_NE(host.editorWindows(), nullptr);
    // What the editor holds is not the project: the bytes it could not load stay.
    EXPECT_TRUE(host.projectKept());
    EXPECT_NE(host.saveProject(), 0);
    host.stop(false);
    QFile file(options.projectPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("not a document stream at all"));
    EXPECT_EQ(host.outstandingReferences(), 0);
}

TEST(SubstituteHostProgram, APictureThatCannotBeWrittenEndsTheProgramWithStatus1)
{
    OwnSettings settings;
    QTemporaryDir dir;
    NS_Host::HostOptions options = baseOptions("unwritable");
    options.projectPath.clear();
    // A file where the folder should be.
    const QString blocker = dir.filePath(QStringLiteral("blocker"));
    {
        QFile file(blocker);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    options.screenshotPath = blocker + QStringLiteral("/editor.png");
    NS_Host::SubstituteHost host(options);
    host.setIdleHook(&pumpToolkit);
    EXPECT_EQ(host.exec(), 1);
    EXPECT_TRUE(host.error().contains(QStringLiteral("cannot write"))) << qPrintable(host.error());
}

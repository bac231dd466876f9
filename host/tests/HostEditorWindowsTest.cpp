// Editor windows by command in the substitute host, with the component library loaded
// as the host program loads it: requests by short name or module identifier, windows
// opened through the component's user-interface server, and one picture per window.
#include "HostTestSupport.h"
#include "host/HostEditorWindows.h"
#include "host/SubstituteHost.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include "host/HostGuid.h"
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

using NS_HostTest::OwnSettings;
using NS_HostTest::pumpToolkit;

const QUuid kMixer = NS_Host::toUuid(NS_AddOnIds::LayerAddOn);
const QUuid kCommon = NS_Host::toUuid(NS_AddOnIds::CommonDetailAddOn);
const QUuid kPart = NS_Host::toUuid(NS_AddOnIds::PartDetailAddOn);
const QUuid kDialogs = NS_Host::toUuid(NS_AddOnIds::DialogsAddOn);

} // namespace

TEST(HostEditorRequests, ShortNamesAndIdentifiersWithAnOptionalId)
{
    struct Case
    {
        const char* text;
        bool valid;
        QUuid module;
        int id;
    };
    const Case cases[] = {
        {"mixer", true, kMixer, 1},
        {"part:5", true, kPart, 5},
        {"Common:1", true, kCommon, 1},
        {"dialogs:17", true, kDialogs, 17},
        {"{0b2621dc-3d30-3c4b-b6fe-3fd92456225f}:20", true, kPart, 20},
        {"17CD5AFA-0E92-8543-B8A7-2AEBEE9FDD63", true, kMixer, 1},
        {"part:0", false},
        {"part:-3", false},
        {"part:x", false},
        {"mixer:", false},
        {"piano", false},
        {"", false},
    };
    for (const Case& c : cases) {
        NS_Host::EditorRequest request;
        QString error;
        EXPECT_EQ(NS_Host::parseEditorRequest(QString::fromLatin1(c.text), &request, &error), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(request.module, c.module) << c.text;
            EXPECT_EQ(request.id, c.id) << c.text;
        } else {
            EXPECT_FALSE(error.isEmpty()) << c.text;
        }
    }
    EXPECT_EQ(NS_Host::shortNameOf(kPart), QStringLiteral("part"));
    EXPECT_EQ(NS_Host::shortNameOf(QUuid(QStringLiteral("{6b1d0c2e-11aa-4b0c-9e21-0a5c3e771042}"))),
              QStringLiteral("6b1d0c2e-11aa-4b0c-9e21-0a5c3e771042"));
}

TEST(HostEditorWindows, OpensWindowsByCommandAndDrawsEachIntoAPictureOfItsOwn)
{
    OwnSettings settings;
    QTemporaryDir dir;
    NS_Host::HostOptions options;
    options.componentPath = QStringLiteral(VANTREL_HOST_COMPONENT_PATH);
    options.projectPath.clear();
    options.simulatorName =
        QStringLiteral("TOVAR-VANTREL windows %1").arg(QCoreApplication::applicationPid());
    options.settleMs = 100;
    // Id 21 is part 5's second id: the window of part 5.
    options.openEditors = {{kPart, 21}, {kCommon, 1}};
    options.screenshotDir = dir.filePath(QStringLiteral("windows"));

    NS_Host::SubstituteHost host(options);
    host.setIdleHook(&pumpToolkit);
    ASSERT_TRUE(host.start()) << qPrintable(host.error());
    NS_Host::HostEditorWindows* windows = host.editorWindows();
    ASSERT_NE(windows, nullptr);
    ASSERT_TRUE(windows->isValid());
    EXPECT_NE(windows->window(kMixer, 1), nullptr) << "the mixer did not open by default";
    EXPECT_NE(windows->window(kPart, 5), nullptr);
    EXPECT_NE(windows->window(kCommon, 1), nullptr);
    EXPECT_EQ(windows->window(kPart, 6), nullptr);
    EXPECT_NE(host.openEditor({kPart, 40}), 0) << "an id the add-on does not offer";
    EXPECT_NE(host.openEditor({QUuid(QStringLiteral("{6b1d0c2e-11aa-4b0c-9e21-0a5c3e771042}")), 1}), 0);

    ASSERT_TRUE(host.saveEditorScreenshots(options.screenshotDir));
    const QStringList written = QDir(options.screenshotDir).entryList(QDir::Files, QDir::Name);
    // The dialogs add-on's toolbar is a window of the page too.
    EXPECT_EQ(written, (QStringList{QStringLiteral("common-1.png"), QStringLiteral("dialogs-11.png"),
                                    QStringLiteral("mixer-1.png"), QStringLiteral("part-5.png")}));
    struct Picture
    {
        const char* name;
        QSize size;
    };
    for (const Picture& p : {Picture{"mixer-1.png", {843, 513}}, Picture{"common-1.png", {618, 401}},
                             Picture{"part-5.png", {618, 265}}}) {
        const QImage image(QDir(options.screenshotDir).filePath(QLatin1String(p.name)));
        EXPECT_EQ(image.size(), p.size) << p.name;
    }
    host.stop(false);
    EXPECT_EQ(host.outstandingReferences(), 0);
}

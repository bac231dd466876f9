// The component with the build's real view add-ons, in the substitute host on the
// simulated instrument: the add-ons are found and initialised, their entries fill the
// Windows menu, the mixer opens by default at the first show, windows open by module
// identifier and id under their window keys, a closed mixer is kept and comes back
// where it stood, and a saved project reopens its windows at their places.
#include "genericeditor/CUserInterfaceServer_VANTREL_KXE.h"
#include "genericeditor/CompIMPInitialise_VANTREL_KXE.h"
#include "genericeditor/TCompIMPInitialisePrivate.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include "host/SubstituteHost.h"
#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>

extern "C" IUnknown* MacLoaderFactory(void* allocator, const Y_GUID* type);

namespace {

void pumpToolkit()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

const QString kMixerKey = QStringLiteral("1;{17cd5afa-0e92-8543-b8a7-2aebee9fdd63}");

QMdiSubWindow* frameOf(QWidget* window)
{
    return window ? qobject_cast<QMdiSubWindow*>(window->parentWidget()) : nullptr;
}

QAction* findAction(QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

class ViewAddOnsInComponent : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_options.factory = &MacLoaderFactory;
        m_options.projectPath = m_dir.filePath(QStringLiteral("views.tvproj"));
        m_options.simulatorName =
            QStringLiteral("TOVAR-VANTREL views %1").arg(QCoreApplication::applicationPid());
        m_options.settleMs = 100;
        m_live = CompIMPInitialise_VANTREL_KXE::liveCount();
    }
    void TearDown() override
    {
        stopHost();
        QElapsedTimer clock;
        clock.start();
        while (CompIMPInitialise_VANTREL_KXE::liveCount() > m_live && clock.elapsed() < 5000)
            pumpToolkit();
    }

    void startHost()
    {
        m_host = std::make_unique<NS_Host::SubstituteHost>(m_options);
        m_host->setIdleHook(&pumpToolkit);
        ASSERT_TRUE(m_host->start()) << qPrintable(m_host->error());
        m_component = dynamic_cast<CompIMPInitialise_VANTREL_KXE*>(m_host->component());
        ASSERT_NE(m_component, nullptr);
        m_server = m_component->uiServer();
        ASSERT_NE(m_server, nullptr);
        ASSERT_NE(m_server->workspace(), nullptr);
    }
    void stopHost(bool save = false)
    {
        if (!m_host)
            return;
        m_host->stop(save);
        EXPECT_EQ(m_host->outstandingReferences(), 0);
        m_host.reset();
        m_server = nullptr;
        m_component = nullptr;
    }
    QWidget* openEditor(const Y_GUID& module, int id)
    {
        QWidget* window = nullptr;
        EXPECT_EQ(m_server->CS_openEditor(Guid2QUuid(module), id, &window, nullptr, true), 0);
        pumpToolkit();
        return window;
    }
    QMenu* windowsMenu() const
    {
        for (QAction* action : m_server->menuBar()->actions()) {
            if (action->menu() && action->text() == QStringLiteral("&Windows"))
                return action->menu();
        }
        return nullptr;
    }
    int shownWindows() const
    {
        int n = 0;
        for (QMdiSubWindow* frame : m_server->workspace()->subWindowList())
            n += frame->isVisible() ? 1 : 0;
        return n;
    }

    QTemporaryDir m_dir;
    NS_Host::HostOptions m_options;
    std::unique_ptr<NS_Host::SubstituteHost> m_host;
    CompIMPInitialise_VANTREL_KXE* m_component = nullptr;
    CUserInterfaceServer_VANTREL_KXE* m_server = nullptr;
    int m_live = 0;
};

} // namespace

TEST_F(ViewAddOnsInComponent, FindsTheViewAddOnsFillsTheWindowsMenuAndOpensTheMixer)
{
    startHost();
    std::set<QString> modules;
    for (const auto& descriptor : m_component->modules().addOns()) {
        ASSERT_NE(descriptor->addOn(), nullptr);
        modules.insert(descriptor->moduleId.toString());
    }
    EXPECT_TRUE(m_component->modules().initialised);
    for (const Y_GUID& id : {NS_AddOnIds::LayerAddOn, NS_AddOnIds::CommonDetailAddOn,
                             NS_AddOnIds::PartDetailAddOn})
        EXPECT_EQ(modules.count(Guid2QUuid(id).toString()), 1u) << qPrintable(Guid2QUuid(id).toString());

    QMenu* windows = windowsMenu();
    ASSERT_NE(windows, nullptr);
    QStringList texts;
    for (QAction* action : windows->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    // The server's own items first, then the views' entries by their positions (other
    // add-ons may put entries between them).
    EXPECT_EQ(texts.mid(0, 3), (QStringList{QStringLiteral("Close"), QStringLiteral("Close All"),
                                            QStringLiteral("-")}));
    const int mixerAt = texts.indexOf(QStringLiteral("Part Mixer"));
    const int commonAt = texts.indexOf(QStringLiteral("Common Detail"));
    const int partsAt = texts.indexOf(QStringLiteral("Part Detail "));
    EXPECT_TRUE(2 < mixerAt && mixerAt < commonAt && commonAt < partsAt)
        << qPrintable(texts.join(QLatin1Char('|')));
    QAction* mixer = findAction(windows, QStringLiteral("Part Mixer"));
    QAction* common = findAction(windows, QStringLiteral("Common Detail"));
    QAction* parts = findAction(windows, QStringLiteral("Part Detail "));
    ASSERT_TRUE(mixer && common && parts && parts->menu());
    EXPECT_EQ(mixer->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_1));
    EXPECT_EQ(common->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_2));
    QStringList partEntries;
    for (QAction* action : parts->menu()->actions())
        partEntries << action->text();
    ASSERT_EQ(partEntries.size(), 16);
    EXPECT_EQ(partEntries.first(), QStringLiteral("Part 1"));
    EXPECT_EQ(partEntries.last(), QStringLiteral("Part 16"));

    // The first show opened the default editors: the mixer, in the workspace.
    QWidget* window = m_server->recordedEditor(kMixerKey);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(frameOf(window), nullptr);
    EXPECT_TRUE(m_server->workspace()->subWindowList().contains(frameOf(window)));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->size(), QSize(843, 513));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Part Mixer"));
    EXPECT_EQ(shownWindows(), 1);
}

TEST_F(ViewAddOnsInComponent, OpensEachWindowOnceUnderItsKey)
{
    startHost();
    struct Case
    {
        Y_GUID module;
        int id;
        const char* key;
        const char* caption;
        QSize size;
    };
    const Case cases[] = {
        {NS_AddOnIds::PartDetailAddOn, 20, "4;{0b2621dc-3d30-3c4b-b6fe-3fd92456225f}", "Part Detail 4", {618, 265}},
        {NS_AddOnIds::PartDetailAddOn, 4, "4;{0b2621dc-3d30-3c4b-b6fe-3fd92456225f}", "Part Detail 4", {618, 265}},
        {NS_AddOnIds::PartDetailAddOn, 16, "16;{0b2621dc-3d30-3c4b-b6fe-3fd92456225f}", "Part Detail 16", {618, 265}},
        {NS_AddOnIds::CommonDetailAddOn, 1, "1;{f2bc2d80-c162-744f-b324-3ad8e1df4a00}", "Common Detail ", {618, 401}},
        {NS_AddOnIds::LayerAddOn, 1, "1;{17cd5afa-0e92-8543-b8a7-2aebee9fdd63}", "Part Mixer", {843, 513}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        QWidget* window = openEditor(c.module, c.id);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(m_server->recordedEditor(QString::fromLatin1(c.key)), window);
        EXPECT_EQ(window->windowTitle(), QString::fromLatin1(c.caption));
        EXPECT_EQ(window->size(), c.size);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(m_server->workspace()->activeSubWindow(), frameOf(window));
    }
    // Part 4 was asked for twice (ids 20 and 4): one window.
    EXPECT_EQ(shownWindows(), 4);

    // A part's menu entry opens the same way.
    QMenu* windows = windowsMenu();
    ASSERT_NE(windows, nullptr);
    QAction* parts = findAction(windows, QStringLiteral("Part Detail "));
    ASSERT_TRUE(parts && parts->menu());
    QAction* part7 = findAction(parts->menu(), QStringLiteral("Part 7"));
    ASSERT_NE(part7, nullptr);
    part7->trigger();
    pumpToolkit();
    QWidget* seventh = m_server->recordedEditor(QStringLiteral("7;{0b2621dc-3d30-3c4b-b6fe-3fd92456225f}"));
    ASSERT_NE(seventh, nullptr);
    EXPECT_EQ(seventh->windowTitle(), QStringLiteral("Part Detail 7"));
    EXPECT_EQ(shownWindows(), 5);
}

TEST_F(ViewAddOnsInComponent, AClosedMixerIsKeptAndComesBackWhereItStood)
{
    startHost();
    QWidget* mixer = m_server->recordedEditor(kMixerKey);
    ASSERT_NE(mixer, nullptr);
    frameOf(mixer)->move(30, 40);
    EXPECT_EQ(m_server->doCloseWindow(mixer), 0);
    pumpToolkit();
    ASSERT_EQ(m_server->recordedEditor(kMixerKey), mixer) << "closing deleted the mixer";
    EXPECT_FALSE(mixer->isVisible());
    EXPECT_EQ(shownWindows(), 0);

    QAction* entry = findAction(windowsMenu(), QStringLiteral("Part Mixer"));
    ASSERT_NE(entry, nullptr);
    entry->trigger();
    pumpToolkit();
    EXPECT_EQ(m_server->recordedEditor(kMixerKey), mixer);
    EXPECT_TRUE(mixer->isVisible());
    EXPECT_EQ(frameOf(mixer)->pos(), QPoint(30, 40));
    EXPECT_EQ(mixer->size(), QSize(843, 513));
}

TEST_F(ViewAddOnsInComponent, ASavedProjectReopensItsWindowsAtTheirPlaces)
{
    startHost();
    QWidget* mixer = m_server->recordedEditor(kMixerKey);
    ASSERT_NE(mixer, nullptr);
    frameOf(mixer)->move(20, 30);
    QWidget* part = openEditor(NS_AddOnIds::PartDetailAddOn, 5);
    ASSERT_NE(part, nullptr);
    frameOf(part)->move(200, 100);
    stopHost(true);

    startHost();
    mixer = m_server->recordedEditor(kMixerKey);
    part = m_server->recordedEditor(QStringLiteral("5;{0b2621dc-3d30-3c4b-b6fe-3fd92456225f}"));
    ASSERT_NE(mixer, nullptr);
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(frameOf(mixer)->pos(), QPoint(20, 30));
    EXPECT_EQ(frameOf(part)->pos(), QPoint(200, 100));
    EXPECT_EQ(part->windowTitle(), QStringLiteral("Part Detail 5"));
    EXPECT_EQ(mixer->size(), QSize(843, 513));
    EXPECT_EQ(shownWindows(), 2);

    // With every window closed the project holds none, and the next start opens the
    // default editors again.
    EXPECT_EQ(m_server->CS_closeEditor(nullptr), 0);
    pumpToolkit();
    EXPECT_EQ(shownWindows(), 0);
    stopHost(true);
    startHost();
    ASSERT_NE(m_server->recordedEditor(kMixerKey), nullptr);
    EXPECT_TRUE(m_server->recordedEditor(kMixerKey)->isVisible());
    EXPECT_EQ(shownWindows(), 1);
}

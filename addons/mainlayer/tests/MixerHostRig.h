#pragma once
// The real component with the build's add-ons in the substitute host, on the simulated
// instrument over the in-process MIDI bus: the mixer as a musician meets it. A modal
// dialog that another add-on opens is dismissed, so that no test waits for a click.
#include "MixerTestSupport.h"
#include "console/memapi/TovarIMemAPI.h"
#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"
#include "genericeditor/CUserInterfaceServer_VANTREL_KXE.h"
#include "genericeditor/CompIMPInitialise_VANTREL_KXE.h"
#include "host/SubstituteHost.h"
#include "memapi/CSimpleNotifier_VANTREL_KXE.h"
#include "simulator/SimulatedInstrument.h"
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

extern "C" IUnknown* MacLoaderFactory(void* allocator, const Y_GUID* type);

namespace NS_MixerTest {

using Companion = TovarIMemAPIQObject_VANTREL_KXE;
using Instrument = NS_Simulator::SimulatedInstrument;

inline const QString& mixerKey()
{
    static const QString key = QStringLiteral("1;{17cd5afa-0e92-8543-b8a7-2aebee9fdd63}");
    return key;
}

inline void pumpToolkit()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

inline bool pumpUntil(const std::function<bool()>& done, int ms)
{
    return QTest::qWaitFor(
        [&] {
            pumpToolkit();
            return done();
        },
        ms);
}

inline QMdiSubWindow* frameOf(QWidget* window)
{
    return window ? qobject_cast<QMdiSubWindow*>(window->parentWidget()) : nullptr;
}

class MixerHostRig : public ::testing::Test
{
protected:
    static constexpr int kFirstShowSettleMs = 400;

    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_options.factory = &MacLoaderFactory;
        m_options.projectPath = m_dir.filePath(QStringLiteral("mixer.tvproj"));
        static int run = 0;
        ++run;
        const qint64 pid = QCoreApplication::applicationPid();
        m_options.simulatorName = QStringLiteral("TOVAR-VANTREL mixer %1-%2").arg(pid).arg(run);
        m_options.surfaceName = QStringLiteral("TOVAR-VANTREL mixer surface %1-%2").arg(pid).arg(run);
        m_options.settleMs = 100;
        // Each test starts from empty settings (the store is the process's): the ports of
        // an earlier test's instrument are gone.
        QSettings(NS_TovarMemAPI::settingsOrganization(), NS_TovarMemAPI::settingsApplication()).clear();
        m_live = CompIMPInitialise_VANTREL_KXE::liveCount();
        // Whatever modal dialog another add-on opens on the way is dismissed.
        QObject::connect(&m_modalWatch, &QTimer::timeout, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
        });
        m_modalWatch.start(50);
    }
    void TearDown() override
    {
        stopHost();
        m_modalWatch.stop();
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
        ASSERT_TRUE(pumpUntil([&] { return m_server->recordedEditor(mixerKey()) != nullptr; }, 5000))
            << "the mixer did not open at the first show";
        m_mixer = m_server->recordedEditor(mixerKey());
        // Another add-on's first-show step runs a moment after the page is shown; it is
        // let run, so that nothing of it is pending when a test stops the host.
        m_host->runFor(kFirstShowSettleMs);
        m_view = viewOf(m_mixer);
        ASSERT_NE(m_view, nullptr);
        m_strips = stripsOf(m_view);
        ASSERT_EQ(m_strips.size(), kStrips);
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
        m_mixer = m_view = nullptr;
        m_strips.clear();
    }

    IMemAPI* api() const { return m_component ? m_component->memAPI() : nullptr; }
    Companion* companion() const { return api() ? qobject_cast<Companion*>(api()->MAPI_qself()) : nullptr; }
    Instrument* instrument() const { return m_host ? m_host->instrument() : nullptr; }

    // Writes a parameter of a part by its named address, as an edit of the user.
    void write(const char* address, int part, int value)
    {
        CSimpleNotifier_VANTREL_KXE notifier;
        notifier.setNamedAddress(QLatin1String(address));
        api()->MAPI_assignServer(&notifier, part);
        ASSERT_TRUE(notifier.memAPIReady()) << address;
        notifier.setValue(value);
    }

    // Receives the multi from the instrument as the dialogs' receive command does.
    void receiveMulti()
    {
        Companion* c = companion();
        ASSERT_NE(c, nullptr);
        int progress = 0;
        const QMetaObject::Connection onProgress = QObject::connect(
            c, &Companion::bulkProgressChanged, c, [&](int percent) { progress = std::max(progress, percent); });
        c->requestMultiBulk();
        const bool done = pumpUntil([&] { return progress >= 100 && c->m_requestStateNow.load() == 0; }, 15000);
        QObject::disconnect(onProgress);
        ASSERT_TRUE(done) << "the multi receive did not complete (" << progress << " %)";
    }

    QTemporaryDir m_dir;
    NS_Host::HostOptions m_options;
    std::unique_ptr<NS_Host::SubstituteHost> m_host;
    CompIMPInitialise_VANTREL_KXE* m_component = nullptr;
    CUserInterfaceServer_VANTREL_KXE* m_server = nullptr;
    QWidget* m_mixer = nullptr;
    QWidget* m_view = nullptr;
    QList<QWidget*> m_strips;
    QTimer m_modalWatch;
    int m_live = 0;
};

} // namespace NS_MixerTest

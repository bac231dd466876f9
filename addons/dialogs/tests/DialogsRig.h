#pragma once
// The real component with the build's add-ons in the substitute host, on the simulated
// instrument over the in-process MIDI bus: the dialogs add-on is found, initialised and
// shown as a user meets it. Modal dialogs are seen as they are shown and driven inside
// their own modal loop; a watchdog ends any dialog that would otherwise stay open.
// Message boxes and file dialogs go through a scripted prompter on the document frame.
#include "console/memapi/TovarIMemAPI.h"
#include "console/memapi/TovarIMemAPIQObject_VANTREL_KXE.h"
#include "console/model/BlkAdrs.h"
#include "console/model/EditorBlk.h"
#include "console/model/PrmCtrl.h"
#include "console/model/SynthMemory.h"
#include "genericeditor/CUserInterfaceServer_VANTREL_KXE.h"
#include "genericeditor/CompIMPInitialise_VANTREL_KXE.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include "host/SubstituteHost.h"
#include "platform/testing/ModalShowWatch.h"
#include "simulator/SimulatedInstrument.h"
#include "utilities/DocuPrompter.h"
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMdiArea>
#include <QMutex>
#include <QPointer>
#include <QProgressBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

extern "C" IUnknown* MacLoaderFactory(void* allocator, const Y_GUID* type);

namespace DialogsTest {

using Companion = TovarIMemAPIQObject_VANTREL_KXE;
using Fault = NS_Simulator::SimulatedInstrument::Fault;
using Bytes = std::vector<uint8_t>;

inline void pumpToolkit()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Runs the toolkit until the condition holds or the time is up.
inline bool pumpUntil(const std::function<bool()>& done, int ms)
{
    return QTest::qWaitFor(
        [&] {
            pumpToolkit();
            return done();
        },
        ms);
}

inline const QUuid& dialogsModule()
{
    static const QUuid id = Guid2QUuid(NS_AddOnIds::DialogsAddOn);
    return id;
}

// Answers every question as told and records what was asked, with the time.
class ScriptedPrompter : public NS_Utilities::IDocuPrompter
{
public:
    Answer question(QWidget*, const QString& caption, const QString& text, bool) override
    {
        asked.append(caption + QLatin1Char('|') + text);
        return answer;
    }
    void critical(QWidget*, const QString& caption, const QString& text) override
    {
        record(caption + QLatin1Char('|') + text);
    }
    Answer warning(QWidget*, const QString& caption, const QString& text) override
    {
        warnings.append(caption + QLatin1Char('|') + text);
        return overwrite;
    }
    void information(QWidget*, const QString& caption, const QString& text) override
    {
        record(caption + QLatin1Char('|') + text);
    }
    QString openFileName(QWidget*, const QString&, const QString& start, const QString& filter, QString*) override
    {
        starts.append(start);
        filters.append(filter);
        return openName;
    }
    QString saveFileName(QWidget*, const QString&, const QString& start, const QString& filter, QString*) override
    {
        starts.append(start);
        filters.append(filter);
        return saveName;
    }
    void record(const QString& message)
    {
        messages.append(message);
        messageMs.append(clock.isValid() ? clock.elapsed() : -1);
        if (duringMessage)
            duringMessage();
    }

    Answer answer = Yes;
    Answer overwrite = No;
    QString openName;
    QString saveName;
    QStringList asked, warnings, messages, filters, starts;
    QList<qint64> messageMs;
    QElapsedTimer clock;
    // Runs while a message is up.
    std::function<void()> duringMessage;
};

class DialogsRig : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_options.factory = &MacLoaderFactory;
        m_options.projectPath.clear();
        static int run = 0;
        m_options.simulatorName =
            QStringLiteral("TOVAR-VANTREL dialogs %1-%2").arg(QCoreApplication::applicationPid()).arg(++run);
        m_options.surfaceName =
            QStringLiteral("TOVAR-VANTREL dialogs surface %1-%2").arg(QCoreApplication::applicationPid()).arg(run);
        m_options.settleMs = 100;
        // Each test starts from empty settings (the store is the process's).
        QSettings(NS_TovarMemAPI::settingsOrganization(), NS_TovarMemAPI::settingsApplication()).clear();
        m_live = CompIMPInitialise_VANTREL_KXE::liveCount();
    }
    void TearDown() override
    {
        Companion::setCommandTimeScale(1.0);
        stopHost();
        QElapsedTimer clock;
        clock.start();
        while (CompIMPInitialise_VANTREL_KXE::liveCount() > m_live && clock.elapsed() < 5000)
            pumpToolkit();
    }

    // presetVoices: what preference 518 says before the first page settles (whatever
    // preset data earlier runs left in the data folder): 0 makes the editor ask for the
    // preset voices 250 ms after its saved windows.
    void startHost(int presetVoices = 1)
    {
        m_host = std::make_unique<NS_Host::SubstituteHost>(m_options);
        m_host->setIdleHook(&pumpToolkit);
        ASSERT_TRUE(m_host->start()) << qPrintable(m_host->error());
        m_component = dynamic_cast<CompIMPInitialise_VANTREL_KXE*>(m_host->component());
        ASSERT_NE(m_component, nullptr);
        m_component->preferences()->setProperty(NS_TovarMemAPI::kPrefPresetVoices, presetVoices);
        m_server = m_component->uiServer();
        ASSERT_NE(m_server, nullptr);
        m_api = m_component->memAPI();
        ASSERT_NE(m_api, nullptr);
        m_companion = dynamic_cast<Companion*>(m_api->MAPI_qself());
        ASSERT_NE(m_companion, nullptr);
        m_companion->DSL_setPrompter(&m_prompter);
        // The first page settles: toolbar, saved windows, the preset receive step.
        m_host->runFor(400);
    }
    void stopHost()
    {
        if (!m_host)
            return;
        if (m_companion)
            m_companion->DSL_setPrompter(nullptr);
        m_host->stop(false);
        EXPECT_EQ(m_host->outstandingReferences(), 0);
        m_host.reset();
        m_server = nullptr;
        m_component = nullptr;
        m_api = nullptr;
        m_companion = nullptr;
    }

    NS_Simulator::SimulatedInstrument& instrument() { return *m_host->instrument(); }
    QMainWindow* mainWindow() const
    {
        return m_server->workspace() ? qobject_cast<QMainWindow*>(m_server->workspace()->parentWidget()) : nullptr;
    }
    QToolBar* toolbar() const
    {
        QWidget* window = nullptr;
        m_server->CS_isEditorOpened(dialogsModule(), 11, &window);
        return qobject_cast<QToolBar*>(window);
    }

    // Opens editor `id` of the dialogs add-on as a menu entry does. `drive` runs once
    // inside the dialog's modal loop, as soon as a dialog is the active modal widget;
    // the dialog must end by itself or by what `drive` does. After `watchdogMs` any
    // dialog still open is ended, and the test fails. Returns the open call's status.
    int32_t openDialog(int id, const std::function<void(QDialog*)>& drive, int watchdogMs = 15000)
    {
        int32_t status = 0;
        runModal(
            [&] {
                QWidget* window = nullptr;
                status = m_server->CS_openEditor(dialogsModule(), id, &window, nullptr, true);
            },
            drive, watchdogMs);
        return status;
    }
    // The same for a dialog that `trigger` opens (a toolbar button, a menu entry).
    void runModal(const std::function<void()>& trigger, const std::function<void(QDialog*)>& drive,
                  int watchdogMs = 15000)
    {
        // The first modal dialog shown is seen in its show event, however short its
        // life, and driven from a call queued there, which runs inside its own modal
        // loop (or at once after it, when the dialog ended first).
        QPointer<QDialog> seen;
        bool shown = false;
        QObject driving;
        NS_Testing::ModalShowWatch watch([&](QWidget* window) {
            auto* dialog = qobject_cast<QDialog*>(window);
            if (shown || !dialog)
                return;
            shown = true;
            seen = dialog;
            QMetaObject::invokeMethod(
                &driving,
                [&] {
                    if (drive && seen)
                        drive(seen);
                },
                Qt::QueuedConnection);
        });
        qApp->installEventFilter(&watch);
        bool watchdogFired = false;
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [&] {
            watchdogFired = true;
            while (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->done(QDialog::Rejected);
        });
        watchdog.start(watchdogMs);
        trigger();
        EXPECT_FALSE(watchdogFired) << "the dialog did not end by itself";
        // A dialog shown without a modal loop of its own is driven here.
        pumpToolkit();
        qApp->removeEventFilter(&watch);
        m_lastDialogRan = shown;
        pumpToolkit();
        pumpToolkit();
        m_lastDialogDeleted = shown && seen.isNull();
    }

    // The editor's own copy of a multi block.
    Bytes editorBlock(const Bytes& address) const
    {
        CPrmCtrl* map = dynamic_cast<TovarIMemAPI*>(m_api)->memory()->MultiMap();
        BLK blk;
        if (!map || !map->EditorBlk().GetBlk(0, address.data(), blk) || !blk.curImage)
            return Bytes();
        return Bytes(blk.curImage, blk.curImage + blk.memSize);
    }
    std::vector<Bytes> multiAddresses() const
    {
        CPrmCtrl* map = dynamic_cast<TovarIMemAPI*>(m_api)->memory()->MultiMap();
        std::vector<Bytes> out;
        for (int i = 0; map && i < map->BlkAdrs().GetBlkAdrsSize(0); ++i) {
            const LIBVCEDATA_ADRS a = map->BlkAdrs().GetVceDataFileBlk(0, i);
            out.push_back(Bytes(a.address, a.address + 3));
        }
        return out;
    }
    // Gives every multi block of the instrument a pattern of its own; returns them.
    std::vector<std::pair<Bytes, Bytes>> patternInstrumentMulti()
    {
        std::vector<std::pair<Bytes, Bytes>> blocks;
        int seed = 3;
        for (const Bytes& a : multiAddresses()) {
            const Bytes current = instrument().multiBlock(a);
            if (current.empty())
                continue;
            Bytes data(current.size());
            for (size_t i = 0; i < data.size(); ++i)
                data[i] = uint8_t((i * 7 + size_t(seed) * 13 + 5) % 0x60 + 0x10);
            ++seed;
            // The part blocks begin with the voice's bank select and program number.
            if (a[0] == 0x37)
                data[0] = data[1] = data[2] = 0;
            blocks.emplace_back(a, data);
        }
        instrument().editImage([&](NS_Simulator::SimMemoryImage& image) {
            for (const auto& b : blocks)
                image.setMultiBlock(b.first, b.second);
        });
        return blocks;
    }

    QTemporaryDir m_dir;
    NS_Host::HostOptions m_options;
    std::unique_ptr<NS_Host::SubstituteHost> m_host;
    CompIMPInitialise_VANTREL_KXE* m_component = nullptr;
    CUserInterfaceServer_VANTREL_KXE* m_server = nullptr;
    IMemAPI* m_api = nullptr;
    Companion* m_companion = nullptr;
    ScriptedPrompter m_prompter;
    bool m_lastDialogRan = false;
    bool m_lastDialogDeleted = false;
    int m_live = 0;
};

// Records the companion's progress reports (on whatever thread they are made) with the
// time, through a direct connection of its own.
class ProgressLog : public QObject
{
    Q_OBJECT
public:
    explicit ProgressLog(Companion* companion)
    {
        m_clock.start();
        connect(companion, &Companion::bulkProgressChanged, this, &ProgressLog::report, Qt::DirectConnection);
    }
    QList<QPair<int, qint64>> reports() const
    {
        QMutexLocker locker(&m_mutex);
        return m_reports;
    }
    bool reached100() const
    {
        for (const auto& r : reports())
            if (r.first >= 100)
                return true;
        return false;
    }

public slots:
    void report(int percent)
    {
        QMutexLocker locker(&m_mutex);
        m_reports.append({percent, m_clock.elapsed()});
    }

private:
    mutable QMutex m_mutex;
    QList<QPair<int, qint64>> m_reports;
    QElapsedTimer m_clock;
};

} // namespace DialogsTest

// The voice receive dialog (the Setup menu's "Receive Voice Bulk") and the preset voice
// receive dialog (shown 250 ms after the saved windows while no preset voice data are
// loaded) in the component against the simulated instrument: a bank or the presets
// received with progress, the dialog staying open; Stop before and after the first
// report; silence, bulk errors and closing during a transfer, with the time-outs on a
// scaled clock.
#include "VoiceDialogsRig.h"
#include <QAction>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <thread>

using namespace DialogsTest;

namespace {

// QTimer's coarse timers may fire up to 5 % early.
constexpr double kEarly = 0.9;

// Reports as the bulk engine makes them: on another thread.
void reportFromPump(const std::function<void()>& report)
{
    std::thread pump(report);
    pump.join();
}

class VoiceReceiveDialogs : public VoiceDialogsRig
{
protected:
    void receiveFromMenu(const std::function<void(QDialog*)>& drive)
    {
        QAction* entry = nullptr;
        for (QAction* menu : m_server->menuBar()->actions())
            if (menu->menu() && menu->text() == QStringLiteral("&Setup"))
                for (QAction* action : menu->menu()->actions())
                    if (action->text() == QStringLiteral("Receive Voice Bulk"))
                        entry = action;
        ASSERT_NE(entry, nullptr);
        runModal([&] { entry->trigger(); }, drive, 30000);
        EXPECT_TRUE(m_lastDialogRan);
        EXPECT_TRUE(m_lastDialogDeleted);
    }
    // The editor's cache of the preset voices, which a preset receive writes; put back
    // as it was after the test.
    QString presetCache() const
    {
        CPrmCtrl* map = dynamic_cast<TovarIMemAPI*>(m_api)->memory()->VoiceMap();
        return map ? map->PresetCacheFile() : QString();
    }
};

} // namespace

TEST_F(VoiceReceiveDialogs, ReceivesTheChosenBankWithProgressStaysOpenAndUpdatesTheSurfaceOnClose)
{
    startHost();
    instrument().editImage([](NS_Simulator::SimMemoryImage& image) {
        Bytes record = image.defaultRecord(NS_Simulator::VoiceType::Normal);
        const QByteArray name("Glass Harp");
        std::copy(name.begin(), name.end(), record.begin());
        record[10] = 12;
        image.setVoice(0x01, 17, record);
    });
    struct Seen
    {
        QStringList types;
        QString receiving, done;
        bool closeEnabled = true, stayed = false, startShown = false, doneCloseEnabled = false;
        int updates = -1;
    } seen;
    receiveFromMenu([&](QDialog* dialog) {
        auto* types = child<QComboBox>(dialog, "ReceiveTypeComboBox");
        auto* group = child<QGroupBox>(dialog, "GroupBox");
        for (int i = 0; i < types->count(); ++i)
            seen.types << types->itemText(i);
        QSignalSpy updates(dialog, SIGNAL(updateBulk()));
        types->setCurrentIndex(1);
        child<QPushButton>(dialog, "StartButton")->click();
        seen.receiving = group->title();
        seen.closeEnabled = child<QPushButton>(dialog, "CloseButton")->isEnabled();
        dialog->close();
        seen.stayed = dialog->isVisible();
        ASSERT_TRUE(pumpUntil([&] { return group->title() != QStringLiteral("Receiving..."); }, 20000));
        seen.done = group->title();
        seen.startShown = child<QPushButton>(dialog, "StartButton")->isVisible();
        seen.doneCloseEnabled = child<QPushButton>(dialog, "CloseButton")->isEnabled();
        child<QPushButton>(dialog, "CloseButton")->click();
        seen.updates = int(updates.count());
    });
    EXPECT_EQ(seen.types, (QStringList{"Normal User 1", "Normal User 2", "Normal User 3", "Drum User",
                                       "Plug-in User 1", "Plug-in User 2", "Normal User 1 + 2 + 3 + Drum User",
                                       "Preset Voices"}));
    EXPECT_EQ(seen.receiving, QStringLiteral("Receiving..."));
    EXPECT_FALSE(seen.closeEnabled);
    EXPECT_TRUE(seen.stayed) << "closed during the transfer";
    EXPECT_EQ(seen.done, QStringLiteral("Receive completed successfully"));
    EXPECT_TRUE(seen.startShown);
    EXPECT_TRUE(seen.doneCloseEnabled);
    EXPECT_EQ(seen.updates, 1);
    QString category;
    EXPECT_EQ(voiceData()->voiceNameCategory(1, 17, category), QStringLiteral("Glass Harp"));
    EXPECT_EQ(category, QStringLiteral("Cp"));
}

TEST_F(VoiceReceiveDialogs, StopSilenceAndBulkErrorsEndATransferWithTheirStatus)
{
    startHost();
    instrument().setFault(Fault::NoReply);
    // 8000 ms before the first report become 400 ms, 4000 ms after one 200 ms.
    Companion::setCommandTimeScale(0.05);
    struct Case
    {
        const char* name;
        int type;          // the receive type chosen; -1 the last, "Preset Voices"
        int report;        // a report from the pump thread after Start, -1 none
        int error;         // a bulk error from the pump thread, 0 none
        bool stop;         // Stop pressed
        const char* title; // the status afterwards
        const char* signal;
        qint64 atLeastMs;  // silence before the time-out, from the last event
    };
    const Case cases[] = {
        {"stop before the first report", 0, -1, 0, true, "Receive", SIGNAL(timeoutBulkReceive()), 0},
        {"stop after a report", 2, 30, 0, true, "Receive", SIGNAL(stopBulkTransfer()), 0},
        {"silence", 0, -1, 0, false, "Bulk Data Timeout Error!", SIGNAL(timeoutBulkReceive()), 400},
        {"silence after a report", 3, 50, 0, false, "Bulk Data Timeout Error!", SIGNAL(timeoutBulkReceive()), 200},
        {"byte count error", 1, -1, 2, false, "Bulk Data Byte Count Error!", SIGNAL(stopBulkTransfer()), 0},
        {"preset voices", -1, -1, 0, true, "Receive", SIGNAL(startPresetTransfer()), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString title;
        int emitted = -1, userRequests = -1;
        qint64 silence = -1;
        bool idle = false;
        receiveFromMenu([&](QDialog* dialog) {
            auto* group = child<QGroupBox>(dialog, "GroupBox");
            auto* bar = child<QProgressBar>(dialog, "ReceiveProgressBar");
            QSignalSpy spy(dialog, c.signal);
            QSignalSpy user(dialog, SIGNAL(startBulkTransfer(int)));
            auto* types = child<QComboBox>(dialog, "ReceiveTypeComboBox");
            types->setCurrentIndex(c.type < 0 ? types->count() - 1 : c.type);
            QElapsedTimer clock;
            clock.start();
            child<QPushButton>(dialog, "StartButton")->click();
            if (c.report >= 0) {
                reportFromPump([&] { emit m_companion->bulkProgressChanged(c.report); });
                ASSERT_TRUE(pumpUntil([&] { return bar->value() == c.report; }, 3000));
                clock.restart();
            }
            if (c.error)
                reportFromPump([&] { emit m_companion->bulkRcvErrorOccurred(c.error); });
            if (c.stop)
                child<QPushButton>(dialog, "StopButton")->click();
            ASSERT_TRUE(pumpUntil([&] { return child<QPushButton>(dialog, "CloseButton")->isEnabled(); }, 5000));
            silence = clock.elapsed();
            title = group->title();
            idle = child<QPushButton>(dialog, "StartButton")->isVisible()
                   && !child<QPushButton>(dialog, "StopButton")->isVisible()
                   && child<QComboBox>(dialog, "ReceiveTypeComboBox")->isEnabled();
            emitted = int(spy.count());
            userRequests = int(user.count());
            dialog->close();
        });
        EXPECT_EQ(title, QLatin1String(c.title));
        EXPECT_TRUE(idle);
        EXPECT_EQ(emitted, 1);
        EXPECT_EQ(userRequests, c.type < 0 ? 0 : 1);
        EXPECT_GE(silence, qint64(c.atLeastMs * kEarly));
        if (c.atLeastMs == 200)
            EXPECT_LT(silence, 400) << "the first-report time-out ran instead";
        EXPECT_TRUE(pumpUntil([&] { return m_companion->m_requestStateNow.load() == 0; }, 3000))
            << "the request was not stopped";
    }
}

TEST_F(VoiceReceiveDialogs, PresetVoicesAreAskedForAtStartAndReceivedWhileTheDialogStaysOpen)
{
    // The prompt is answered here, not by the host.
    m_options.closePresetPrompt = false;
    struct Seen
    {
        QString caption, explanation;
        bool statusShown = true, stopShown = true, setupDuring = true, closeDuring = true, stayed = false;
        bool startAgain = false, closeAfter = false;
        int value = -1;
    } seen;
    QString cache;
    bool cached = false;
    runModal(
        [&] {
            startHost(0);
            cache = presetCache();
        },
        [&](QDialog* dialog) {
            cache = presetCache();
            cached = QFile::exists(cache);
            seen.caption = dialog->windowTitle();
            seen.explanation = child<QLabel>(dialog, "textLabel1")->text();
            seen.statusShown = child<QLabel>(dialog, "Status")->isVisible();
            seen.stopShown = child<QPushButton>(dialog, "StopButton")->isVisible();
            auto* bar = child<QProgressBar>(dialog, "ReceiveProgressBar");
            child<QPushButton>(dialog, "StartButton")->click();
            seen.setupDuring = child<QPushButton>(dialog, "SetupButton")->isEnabled();
            seen.closeDuring = child<QPushButton>(dialog, "CloseButton")->isEnabled();
            ASSERT_TRUE(pumpUntil([&] { return bar->value() == 100; }, 30000));
            ASSERT_TRUE(pumpUntil([&] { return child<QPushButton>(dialog, "CloseButton")->isEnabled(); }, 3000));
            seen.stayed = dialog->isVisible();
            seen.startAgain = child<QPushButton>(dialog, "StartButton")->isVisible();
            seen.value = m_component->preferences()->getProperty(NS_TovarMemAPI::kPrefPresetVoices).toInt();
            child<QPushButton>(dialog, "CloseButton")->click();
        },
        30000);
    if (!cached && !cache.isEmpty())
        QFile::remove(cache);
    EXPECT_TRUE(m_lastDialogRan);
    EXPECT_TRUE(m_lastDialogDeleted);
    EXPECT_EQ(seen.caption, QStringLiteral("Receive Preset Voices"));
    EXPECT_EQ(seen.explanation,
              QStringLiteral("Preset Voice data must be loaded.\nIn order to load Preset Voice data appropriate ports "
                             "must be selected. \nPress the \"Setup\" button and select the ports, then press the "
                             "\"Start\" button."));
    EXPECT_FALSE(seen.statusShown);
    EXPECT_FALSE(seen.stopShown);
    EXPECT_FALSE(seen.setupDuring);
    EXPECT_FALSE(seen.closeDuring);
    EXPECT_TRUE(seen.stayed);
    EXPECT_TRUE(seen.startAgain);
    EXPECT_EQ(seen.value, 1);
}

TEST_F(VoiceReceiveDialogs, PresetReceiveStopsOnStopSilenceAndErrorsWithTheTextInPlaceOfTheBar)
{
    m_options.closePresetPrompt = false;
    startHost();
    instrument().setFault(Fault::NoReply);
    Companion::setCommandTimeScale(0.05);
    m_component->preferences()->setProperty(NS_TovarMemAPI::kPrefPresetVoices, 0);
    struct Case
    {
        const char* name;
        int report; // from the pump thread after Start, -1 none
        int error;
        bool stop;
        const char* status; // null: no status, the bar stays
    };
    const Case cases[] = {
        {"stop", -1, 0, true, nullptr},
        {"silence", -1, 0, false, "Bulk Data Timeout Error!"},
        {"silence after 99", 99, 0, false, "Bulk Data Timeout Error!"},
        {"checksum error", -1, 1, false, "Bulk Data Checksum Error!"},
        {"byte count error", -1, 2, false, "Bulk Data Byte Count Error!"},
        {"number error after 99", 99, 3, false, "Bulk Data Number Error!"},
        // A code without a text: the status line shows, with its own text.
        {"unknown error", -1, 4, false, "textLabel1"},
        {"unknown error after 99", 99, 255, false, "textLabel1"},
        {"negative error", -1, -1, false, "textLabel1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString status;
        bool barShown = false, statusShown = true, idle = false, stayedWhileReceiving = false;
        int stops = -1;
        openDialog(9, [&](QDialog* dialog) {
            auto* bar = child<QProgressBar>(dialog, "ReceiveProgressBar");
            auto* close = child<QPushButton>(dialog, "CloseButton");
            QSignalSpy stopped(dialog, SIGNAL(stopBulkTransfer()));
            child<QPushButton>(dialog, "StartButton")->click();
            dialog->close();
            stayedWhileReceiving = dialog->isVisible();
            if (c.report >= 0) {
                reportFromPump([&] { emit m_companion->bulkProgressChanged(c.report); });
                ASSERT_TRUE(pumpUntil([&] { return bar->value() == c.report; }, 3000));
            }
            if (c.error)
                reportFromPump([&] { emit m_companion->bulkRcvErrorOccurred(c.error); });
            if (c.stop)
                child<QPushButton>(dialog, "StopButton")->click();
            ASSERT_TRUE(pumpUntil([&] { return close->isEnabled(); }, 5000));
            auto* label = child<QLabel>(dialog, "Status");
            status = label->text();
            statusShown = label->isVisible();
            barShown = bar->isVisible();
            idle = child<QPushButton>(dialog, "StartButton")->isVisible()
                   && child<QPushButton>(dialog, "SetupButton")->isEnabled();
            stops = int(stopped.count());
            close->click();
        });
        EXPECT_TRUE(m_lastDialogRan);
        EXPECT_TRUE(stayedWhileReceiving) << "closed during the transfer";
        EXPECT_TRUE(idle);
        EXPECT_EQ(stops, 1);
        EXPECT_EQ(statusShown, c.status != nullptr);
        EXPECT_EQ(barShown, c.status == nullptr);
        if (c.status)
            EXPECT_EQ(status, QLatin1String(c.status));
        EXPECT_TRUE(pumpUntil([&] { return m_companion->m_requestStateNow.load() == 0; }, 3000));
    }
}

TEST_F(VoiceReceiveDialogs, PresetReceiveOpensTheSetupDialogAndStaysHiddenOncePresetsAreLoaded)
{
    m_options.closePresetPrompt = false;
    startHost();
    m_component->preferences()->setProperty(NS_TovarMemAPI::kPrefPresetVoices, 0);
    QString setupSeen;
    openDialog(9, [&](QDialog* dialog) {
        QTimer setupWatch;
        QObject::connect(&setupWatch, &QTimer::timeout, [&] {
            auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (modal && modal != dialog) {
                setupSeen = modal->objectName();
                modal->reject();
            }
        });
        setupWatch.start(5);
        child<QPushButton>(dialog, "SetupButton")->click();
        setupWatch.stop();
        dialog->close();
    });
    EXPECT_EQ(setupSeen, QStringLiteral("SetupDialog"));

    m_component->preferences()->setProperty(NS_TovarMemAPI::kPrefPresetVoices, 1);
    openDialog(9, {}, 3000);
    EXPECT_FALSE(m_lastDialogRan);
    pumpToolkit();
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_NE(w->objectName(), QStringLiteral("PresetReceiveDialog")) << "left behind";
}

TEST_F(VoiceReceiveDialogs, ASecondReceiveAfterACompletedOneEndsOnItsOwnReports)
{
    m_options.closePresetPrompt = false;
    startHost();
    instrument().setFault(Fault::NoReply);
    // The time-out after a report: 4000 ms (8000 ms for the preset voices) scaled.
    Companion::setCommandTimeScale(0.05);
    struct Case
    {
        const char* name;
        bool preset;
        const char* completed; // the status after a report of 100
    };
    const Case cases[] = {
        {"voice bank", false, "Receive completed successfully"},
        {"preset voices", true, "bar at 100"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString first, second;
        const auto drive = [&](QDialog* dialog) {
            auto* start = child<QPushButton>(dialog, "StartButton");
            auto* close = child<QPushButton>(dialog, "CloseButton");
            const auto status = [&] {
                if (!c.preset)
                    return child<QGroupBox>(dialog, "GroupBox")->title();
                auto* label = child<QLabel>(dialog, "Status");
                return label->isVisible() ? label->text()
                                          : QStringLiteral("bar at %1").arg(
                                                child<QProgressBar>(dialog, "ReceiveProgressBar")->value());
            };
            start->click();
            reportFromPump([&] { emit m_companion->bulkProgressChanged(100); });
            ASSERT_TRUE(pumpUntil([&] { return close->isEnabled(); }, 3000));
            first = status();
            // The next receive gets one report and then nothing more.
            start->click();
            reportFromPump([&] { emit m_companion->bulkProgressChanged(50); });
            ASSERT_TRUE(pumpUntil([&] { return close->isEnabled(); }, 5000));
            second = status();
            close->click();
        };
        if (c.preset) {
            m_component->preferences()->setProperty(NS_TovarMemAPI::kPrefPresetVoices, 0);
            openDialog(9, drive);
        } else {
            receiveFromMenu(drive);
        }
        EXPECT_TRUE(m_lastDialogRan);
        EXPECT_EQ(first, QLatin1String(c.completed));
        EXPECT_EQ(second, QStringLiteral("Bulk Data Timeout Error!"));
        EXPECT_TRUE(pumpUntil([&] { return m_companion->m_requestStateNow.load() == 0; }, 3000));
    }
}

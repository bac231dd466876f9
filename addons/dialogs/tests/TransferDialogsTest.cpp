// The bulk transfer dialogs through the component against the simulated instrument:
// the multi is received with progress and the dialog closes itself at 100; bulk errors
// and silence end it with their messages (the 8000 and 4000 ms time-outs on a scaled
// clock); reports from another thread are handed over without ever waiting; the multi
// is transmitted, and a transmission that never completes still ends.
#include "DialogsRig.h"
#include "console/bulk/Bulk.h"
#include "console/memapi/ITovarVoiceData.h"
#include "appserver/CAppServer.h"
#include "appserver/CMarshallDispatcher.h"
#include "appserver/TMarshallEvent_VANTREL_KXE.h"
#include "platform/MidiService.h"
#include "utilities/interfaces/TMIDIProxyInOut.h"
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QToolButton>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace DialogsTest;

namespace {

// Counts the marshalled calls delivered to one dialog.
class DeliveryCounter : public QObject
{
public:
    QPointer<QObject> target;
    int delivered = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Type(TMarshallEvent_VANTREL_KXE::MarshallEventInt)
            && static_cast<TMarshallEvent_VANTREL_KXE*>(event)->target() == target)
            ++delivered;
        return QObject::eventFilter(watched, event);
    }
};

// A third of a MIDI cable's speed: a whole multi takes about one and a half seconds.
constexpr int kSlowLine = 1000;
// QTimer's coarse timers may fire up to 5 % early.
constexpr double kEarly = 0.9;

class TransferDialogs : public DialogsRig
{
protected:
    QToolButton* toolbarButton(const char* name) const
    {
        return toolbar()->findChild<QToolButton*>(QLatin1String(name));
    }
    // Runs the receive dialog from the toolbar; `drive` as in runModal.
    void receive(const std::function<void(QDialog*)>& drive = {}, int watchdogMs = 30000)
    {
        m_prompter.clock.start();
        runModal([&] { toolbarButton("ReceiveButton")->click(); }, drive, watchdogMs);
    }
};

} // namespace

TEST_F(TransferDialogs, ReceivesTheMultiAndClosesItselfAt100)
{
    startHost();
    const auto blocks = patternInstrumentMulti();
    ASSERT_FALSE(blocks.empty());
    // On a slow line (1000 bytes a second): the transfer takes long enough to be
    // watched, and no time-out fires while replies keep arriving.
    instrument().setCableSpeed(true, kSlowLine);
    ProgressLog log(m_companion);
    QString caption;
    QSize size;
    bool stayedAfterEscape = false;
    QList<int> shown;
    receive([&](QDialog* dialog) {
        caption = dialog->windowTitle();
        size = dialog->size();
        // Every value the bar takes, from the one it opens with.
        auto* bar = dialog->findChild<QProgressBar*>(QStringLiteral("ReceiveProgressBar"));
        shown.append(bar->value());
        QObject::connect(bar, &QProgressBar::valueChanged, dialog, [&shown](int value) {
            if (shown.last() != value)
                shown.append(value);
        });
        QTest::keyClick(dialog, Qt::Key_Escape);
        dialog->close();
        stayedAfterEscape = dialog->isVisible();
    });
    EXPECT_TRUE(m_lastDialogRan);
    EXPECT_TRUE(m_lastDialogDeleted);
    EXPECT_EQ(caption, QStringLiteral("Receiving Bulk Data"));
    EXPECT_EQ(size, QSize(332, 108));
    EXPECT_TRUE(stayedAfterEscape) << "closed during the transfer";
    EXPECT_TRUE(m_prompter.messages.isEmpty()) << qPrintable(m_prompter.messages.join(QLatin1Char(',')));
    ASSERT_TRUE(log.reached100());
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown.last(), 100);
    EXPECT_EQ(shown.first(), 0);
    for (const auto& b : blocks)
        EXPECT_EQ(editorBlock(b.first), b.second) << int(b.first[0]) << ' ' << int(b.first[1]);
}

TEST_F(TransferDialogs, InstrumentFaultsStopTheRequestAndCloseWithABulkErrorText)
{
    startHost();
    // Each fault ends the transfer with its own bulk error, also when the rest of the
    // previous damaged dump is still arriving as the next receive starts.
    struct Case
    {
        Fault fault;
        int param;
        const char* text;
    };
    const Case cases[] = {{Fault::BadChecksum, 3, "Bulk Data Checksum Error!"},
                          {Fault::BadCount, 5, "Bulk Data Byte Count Error!"},
                          {Fault::MissingBlock, 7, "Bulk Data Number Error!"}};
    for (const auto& [fault, param, text] : cases) {
        SCOPED_TRACE(int(fault));
        instrument().setFault(fault, param);
        m_prompter.messages.clear();
        receive();
        EXPECT_EQ(m_prompter.messages, QStringList{QStringLiteral("TOVAR-VANTREL Editor|") + QLatin1String(text)});
        EXPECT_EQ(m_companion->m_requestStateNow.load(), 0) << "the request was not stopped";
        instrument().setFault(Fault::None);
        instrument().waitIdle(3000);
        pumpToolkit();
    }
}

TEST_F(TransferDialogs, EachErrorCodeFromThePumpThreadShowsItsTextAndCloses)
{
    startHost();
    instrument().setFault(Fault::NoReply);
    struct Case
    {
        int code;
        const char* text; // null: no message
    };
    const Case cases[] = {
        {1, "Bulk Data Checksum Error!"},
        {2, "Bulk Data Byte Count Error!"},
        {3, "Bulk Data Number Error!"},
        {4, nullptr},
        {-2, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        m_prompter.messages.clear();
        bool open = false;
        receive([&](QDialog* dialog) {
            std::thread pump([&] {
                emit m_companion->bulkRcvErrorOccurred(0); // no error: nothing happens
                emit m_companion->bulkRcvErrorOccurred(c.code);
            });
            pump.join();
            open = dialog->isVisible();
        });
        EXPECT_TRUE(open) << "the report arrived before it was handed over";
        EXPECT_TRUE(m_lastDialogDeleted);
        if (c.text) {
            EXPECT_EQ(m_prompter.messages, QStringList{QStringLiteral("TOVAR-VANTREL Editor|") + QLatin1String(c.text)});
        } else {
            EXPECT_TRUE(m_prompter.messages.isEmpty()) << qPrintable(m_prompter.messages.join(QLatin1Char(',')));
        }
    }
}

TEST_F(TransferDialogs, SilenceEndsTheTransferAfter8000msFirstAnd4000msAfterAReport)
{
    startHost();
    // A silent instrument: nothing within the first 8000 ms (scaled to 400 ms).
    Companion::setCommandTimeScale(0.05);
    instrument().setFault(Fault::NoReply);
    receive();
    ASSERT_EQ(m_prompter.messages, QStringList{QStringLiteral("TOVAR-VANTREL Editor|Bulk Data Timeout Error!")});
    EXPECT_GE(m_prompter.messageMs.first(), 400 * kEarly);
    EXPECT_LT(m_prompter.messageMs.first(), 4000);
    EXPECT_EQ(m_companion->m_requestStateNow.load(), 0);

    // A report restarts the wait with 4000 ms (scaled to 800 ms): without one the first
    // wait would end 1600 ms after the start. The multi comes as one framed dump, so the
    // report is made here, from another thread, as the bulk engine makes its reports
    // during a walk of several requests.
    Companion::setCommandTimeScale(0.2);
    m_prompter.messages.clear();
    m_prompter.messageMs.clear();
    qint64 reported = -1;
    receive([&](QDialog*) {
        std::thread pump([&] { emit m_companion->bulkProgressChanged(50); });
        pump.join();
        reported = m_prompter.clock.elapsed();
    });
    ASSERT_EQ(m_prompter.messages, QStringList{QStringLiteral("TOVAR-VANTREL Editor|Bulk Data Timeout Error!")});
    ASSERT_GE(reported, 0);
    const qint64 silence = m_prompter.messageMs.first() - reported;
    EXPECT_GE(silence, 800 * kEarly);
    EXPECT_LT(silence, 1600 - reported - 100) << "the first-report time-out ran instead";
}

TEST_F(TransferDialogs, ABurstFromAnotherThreadLeavesOneDeliveryAndTheFinal100Closes)
{
    startHost();
    instrument().setFault(Fault::NoReply);
    DeliveryCounter counter;
    CAppServer::MS()->installEventFilter(&counter);
    int before = -1;
    int afterBurst = -1;
    QPointer<QDialog> receiving;
    receive([&](QDialog* dialog) {
        receiving = dialog;
        counter.target = dialog;
        // The MIDI pump reports with the memory-API lock held; the GUI thread waits for
        // the burst here, so nothing is delivered meanwhile, and nothing may wait for
        // the GUI thread either.
        std::thread pump([&] {
            m_api->MAPI_lock(true);
            for (int round = 0; round < 3; ++round)
                for (int percent = 1; percent < 100; ++percent)
                    emit m_companion->bulkProgressChanged(percent);
            emit m_companion->bulkProgressChanged(100);
            for (int percent = 40; percent < 60; ++percent)
                emit m_companion->bulkProgressChanged(percent);
            m_api->MAPI_lock(false);
        });
        pump.join();
        before = counter.delivered;
        QCoreApplication::sendPostedEvents(CAppServer::MS());
        afterBurst = counter.delivered;
        afterBurst = afterBurst * 1000 + dialog->findChild<QProgressBar*>(QStringLiteral("ReceiveProgressBar"))->value();
    });
    CAppServer::MS()->removeEventFilter(&counter);
    EXPECT_EQ(before, 0);
    EXPECT_EQ(afterBurst, 1 * 1000 + 100) << "one delivery, showing the final 100";
    EXPECT_TRUE(m_prompter.messages.isEmpty()) << qPrintable(m_prompter.messages.join(QLatin1Char(',')));
    EXPECT_TRUE(receiving.isNull());
}

TEST_F(TransferDialogs, TransmitsTheMultiAndClosesItselfAt100)
{
    startHost();
    const auto blocks = patternInstrumentMulti(); // the instrument now differs from the editor
    ProgressLog log(m_companion);
    QString caption;
    m_prompter.clock.start();
    runModal([&] { toolbarButton("TransmitButton")->click(); },
             [&](QDialog* dialog) { caption = dialog->windowTitle(); });
    EXPECT_TRUE(m_lastDialogDeleted);
    EXPECT_EQ(caption, QStringLiteral("Transmitting bulk data....."));
    EXPECT_TRUE(m_prompter.messages.isEmpty());
    EXPECT_TRUE(log.reached100());
    // The last dumps may still be on their way over the bus.
    const auto arrived = [&] {
        for (const auto& b : blocks)
            if (b.first[0] != 0x00 && instrument().multiBlock(b.first) != editorBlock(b.first))
                return false;
        return true;
    };
    EXPECT_TRUE(pumpUntil(arrived, 5000));
    for (const auto& b : blocks) {
        if (b.first[0] == 0x00)
            continue; // the system block is not part of the multi dump
        EXPECT_EQ(instrument().multiBlock(b.first), editorBlock(b.first)) << int(b.first[0]) << ' ' << int(b.first[1]);
    }
}

TEST_F(TransferDialogs, AMonitorTransmissionShowsOnlyWhileItSendsAndNeverTimesOut)
{
    startHost();
    // A stall would end after 400 ms.
    Companion::setCommandTimeScale(0.05);
    auto* data = dynamic_cast<ITovarVoiceData*>(m_api->MAPI_qself());
    ASSERT_NE(data, nullptr);
    CPrmCtrl* voices = dynamic_cast<TovarIMemAPI*>(m_api)->memory()->VoiceMap();
    ASSERT_NE(voices, nullptr);
    enum Origin { Unknown, Missing, Loaded };
    struct Case
    {
        const char* name;
        int id;
        Origin origin; // where the edit buffer's voice came from
        bool loaded;   // whether that voice can be sent
    };
    const Case cases[] = {
        {"the edit voice, from nowhere", 34, Unknown, false},
        {"the voice, from a place its bank does not have", 36, Missing, false},
        {"the voice, loaded from the first user bank", 36, Loaded, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.origin == Missing)
            voices->SetEditBufferOrigin(0, 9999);
        if (c.origin == Loaded)
            ASSERT_TRUE(data->loadToEditBuffer(0, 3, false));
        instrument().waitIdle(3000);
        instrument().clearLogs();
        m_prompter.messages.clear();
        QString caption;
        openDialog(c.id, [&](QDialog* dialog) { caption = dialog->windowTitle(); });
        EXPECT_TRUE(m_prompter.messages.isEmpty()) << qPrintable(m_prompter.messages.join(QLatin1Char(',')));
        // Shown only while a dump goes out, and closed by its own 100.
        EXPECT_EQ(m_lastDialogRan, c.loaded);
        if (c.loaded) {
            EXPECT_TRUE(m_lastDialogDeleted);
            EXPECT_EQ(caption, QStringLiteral("Transmitting bulk data....."));
        }
        using Kind = NS_Simulator::SimulatedInstrument::Kind;
        const auto dumped = [&] { return !instrument().received(Kind::Dump).empty(); };
        EXPECT_EQ(pumpUntil(dumped, c.loaded ? 3000 : 200), c.loaded);
        for (QWidget* w : QApplication::allWidgets())
            EXPECT_NE(w->objectName(), QStringLiteral("TransmittingDialog")) << "left behind";
    }
}

TEST_F(TransferDialogs, VoiceTransmitStartsStopsAndCompletes)
{
    startHost();
    // Paced at first, so that the transmission can be watched and stopped.
    m_component->preferences()->setProperty(NS_TovarMemAPI::kPrefDumpInterval, 30);
    struct Seen
    {
        QString type, title;
        bool closeEnabled = true;
        bool stayed = false;
    } running, stopped, done, again;
    bool cancelled = false;
    openDialog(6, [&](QDialog* dialog) {
        auto* group = dialog->findChild<QGroupBox*>(QStringLiteral("GroupBox"));
        auto* start = dialog->findChild<QPushButton*>(QStringLiteral("StartButton"));
        auto* stop = dialog->findChild<QPushButton*>(QStringLiteral("StopButton"));
        auto* close = dialog->findChild<QPushButton*>(QStringLiteral("CloseButton"));
        auto* bar = dialog->findChild<QProgressBar*>(QStringLiteral("TransmitProgressBar"));
        running.type = dialog->findChild<QComboBox*>(QStringLiteral("TransmitTypeComboBox"))->currentText();
        start->click();
        running.title = group->title();
        running.closeEnabled = close->isEnabled();
        dialog->close();
        running.stayed = dialog->isVisible();
        ASSERT_TRUE(pumpUntil([&] { return bar->value() > 0; }, 10000));
        stop->click();
        stopped.title = group->title() + QLatin1Char('|') + QString::number(bar->value());
        stopped.closeEnabled = close->isEnabled();
        // Unpaced this time: the whole bank.
        m_component->preferences()->setProperty(NS_TovarMemAPI::kPrefDumpInterval, 0);
        start->click();
        ASSERT_TRUE(pumpUntil([&] { return bar->value() == 100; }, 20000));
        done.title = group->title();
        done.closeEnabled = close->isEnabled();
        // Paced again: the next transmission's first reports, long before its 100.
        m_component->preferences()->setProperty(NS_TovarMemAPI::kPrefDumpInterval, 30);
        start->click();
        ASSERT_TRUE(pumpUntil([&] { return bar->value() > 0; }, 10000));
        again.title = group->title() + QLatin1Char('|') + QString::number(bar->value() < 100);
        again.closeEnabled = close->isEnabled();
        // Cancelled, as the editor's release and a host that ends cancel it: the
        // transmission stops and the dialog goes.
        dialog->reject();
        cancelled = !dialog->isVisible();
    }, 30000);
    EXPECT_TRUE(m_lastDialogDeleted);
    EXPECT_FALSE(running.type.isEmpty());
    EXPECT_EQ(running.title, QStringLiteral("Transmitting..."));
    EXPECT_FALSE(running.closeEnabled);
    EXPECT_TRUE(running.stayed) << "closed during a transmission";
    EXPECT_EQ(stopped.title, QStringLiteral("Transmit|0"));
    EXPECT_TRUE(stopped.closeEnabled);
    EXPECT_EQ(done.title, QStringLiteral("Transmit completed successfully"));
    EXPECT_TRUE(done.closeEnabled);
    EXPECT_EQ(again.title, QStringLiteral("Transmitting...|1")) << "completed by the report before";
    EXPECT_FALSE(again.closeEnabled);
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(pumpUntil([&] { return !m_companion->bulkSendPending(); }, 1000)) << "still transmitting";
}

// A port that refuses a message ends the send at once (the bulk engine reports it): the
// transmit windows end with their error then, not after a time-out or never. The
// multi's port goes away in the middle of its dump: the step that finds it gone runs
// under the memory-API lock, and another thread gets that lock while the box is up.
TEST_F(TransferDialogs, ATransmissionThePortRefusesEndsWithItsErrorAtOnce)
{
    startHost();
    // Paced, so that the transmission is still under way when the port refuses.
    m_component->preferences()->setProperty(NS_TovarMemAPI::kPrefDumpInterval, 30);
    const QString error = QStringLiteral("Bulk Data Timeout Error!");
    const QString box = QStringLiteral("TOVAR-VANTREL Editor|") + error;
    struct Case
    {
        const char* name;
        bool voiceBank; // the voice bank window (6), else the multi's (the toolbar)
    };
    const Case cases[] = {{"a voice bank", true}, {"the multi", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_prompter.messages.clear();
        CSynthMemory* memory = dynamic_cast<TovarIMemAPI*>(m_api)->memory();
        CBulk* bulk = (c.voiceBank ? memory->VoiceMap() : memory->MultiMap())->Bulk();
        ASSERT_NE(bulk, nullptr);
        QString title;
        bool closeEnabled = false, endedAtOnce = false;
        auto refuse = [&](QDialog* dialog) {
            auto* bar = dialog->findChild<QProgressBar*>(QStringLiteral("TransmitProgressBar"));
            ASSERT_TRUE(pumpUntil([&] { return bar->value() > 0; }, 10000));
            ASSERT_LT(bar->value(), 100);
            QMetaObject::invokeMethod(bulk, "bulkSendFailed");
            pumpToolkit();
            endedAtOnce = m_prompter.messages.contains(box) || !dialog->isVisible();
        };
        if (c.voiceBank) {
            openDialog(6, [&](QDialog* dialog) {
                auto* group = dialog->findChild<QGroupBox*>(QStringLiteral("GroupBox"));
                auto* close = dialog->findChild<QPushButton*>(QStringLiteral("CloseButton"));
                dialog->findChild<QPushButton*>(QStringLiteral("StartButton"))->click();
                refuse(dialog);
                title = group->title();
                closeEnabled = close->isEnabled();
                endedAtOnce = title == error;
                close->click();
            });
            EXPECT_EQ(title, error);
            EXPECT_TRUE(closeEnabled);
        } else {
            NS_Platform::MidiService& bus = NS_Platform::MidiService::system();
            NS_Platform::MidiRef client = 0, port = 0;
            const QString name = QStringLiteral("Unplugged %1").arg(QCoreApplication::applicationPid());
            ASSERT_EQ(bus.createClient(name, &client), 0);
            ASSERT_EQ(bus.createDestination(client, name, [](const NS_Platform::MidiPacketList&, void*) {}, nullptr,
                                            &port),
                      0);
            m_host->ports().refresh();
            // The bridge's own lists, not only the host's, must hold the port it selects.
            m_server->CS_updatePortInformation();
            TMIDIProxyInOut* io = m_api->MAPI_ioProxy(0);
            const QUuid ports[2] = {io->portIdentity(0), NS_Host::HostMidiPorts::portIdentity(true, name)};
            io->selectPorts(ports, 0);
            std::mutex mutex;
            std::condition_variable changed;
            bool locked = false, lockedWhileUp = false;
            std::thread other;
            m_prompter.duringMessage = [&] {
                other = std::thread([&] {
                    m_api->MAPI_lock(true);
                    m_api->MAPI_lock(false);
                    std::lock_guard<std::mutex> lock(mutex);
                    locked = true;
                    changed.notify_all();
                });
                std::unique_lock<std::mutex> lock(mutex);
                lockedWhileUp = changed.wait_for(lock, std::chrono::seconds(5), [&] { return locked; });
            };
            runModal([&] { toolbarButton("TransmitButton")->click(); }, [&](QDialog* dialog) {
                auto* bar = dialog->findChild<QProgressBar*>(QStringLiteral("TransmitProgressBar"));
                ASSERT_TRUE(pumpUntil([&] { return bar->value() > 0; }, 10000));
                ASSERT_LT(bar->value(), 100);
                bus.disposeEndpoint(port);
                // Well before the 4000 ms after a report that would end it as stalled.
                endedAtOnce = pumpUntil([&] { return !m_prompter.messages.isEmpty() || !dialog->isVisible(); }, 2000);
            });
            m_prompter.duringMessage = nullptr;
            if (other.joinable())
                other.join();
            bus.disposeClient(client);
            EXPECT_EQ(m_prompter.messages, QStringList{box});
            EXPECT_TRUE(lockedWhileUp) << "the box was up inside the memory-API lock";
        }
        EXPECT_TRUE(endedAtOnce);
        EXPECT_TRUE(m_lastDialogDeleted);
        instrument().waitIdle(3000);
    }
}

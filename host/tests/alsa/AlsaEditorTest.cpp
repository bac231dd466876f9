// The editor in the substitute host over the kernel's sequencer: a total recall with the
// simulated instrument on a client of its own carries the same bytes as on the
// in-process bus; a whole recall dump and a run of the editor's bulk messages arrive
// whole, from amidi and at a slow cable; the instrument port is kept by name, so that
// an edit never reaches a program that took its old address and reaches it again when
// it comes back; and an upload to an instrument that stops reading ends with its error.
#include "AlsaGuest.h"
#include "HostTestSupport.h"
#include "host/SubstituteHost.h"
#include "platform/VirtualMidiBus.h"
#include "simulator/SimulatedInstrument.h"
#include "simulator/SimulatedSurface.h"
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>

using namespace NS_AlsaTest;
using NS_HostTest::OwnSettings;
using NS_HostTest::pumpToolkit;
using NS_Platform::MidiService;
using Kind = NS_Simulator::SimulatedInstrument::Kind;

namespace {

constexpr int kRecallMs = 900000; // the guest's emulated processor: minutes, not seconds
constexpr int kQuietMs = 20000;
constexpr int kListedMs = 30000;

// The editor's settings store and the keys of the instrument ports it starts with.
const char kOrganization[] = "halvorsk.example";
const char kApplication[] = "VANTREL_KXE Tovar Editor";

NS_Host::HostOptions editorOptions(MidiService& service)
{
    NS_Host::HostOptions o;
    o.componentPath = QStringLiteral(VANTREL_HOST_COMPONENT_PATH);
    o.projectPath.clear();
    o.saveOnExit = false;
    o.settleMs = 100;
    o.midiService = &service;
    return o;
}

Bytes joined(const std::vector<Bytes>& messages)
{
    Bytes all;
    for (const Bytes& m : messages)
        all.insert(all.end(), m.begin(), m.end());
    return all;
}

// Everything a total recall down and then up carried between the editor and the
// simulated instrument.
struct RecallRecord
{
    bool downloaded = false, uploaded = false;
    uint64_t messagesIn = 0;    // what the host's ports handed to the editor
    Bytes instrumentSent;       // the download, as the instrument sent it
    std::vector<Bytes> upload;  // the upload, message by message, as the instrument took it
    QByteArray clients;         // aconnect -l while the editor ran
};

bool runRecall(NS_Host::SubstituteHost& host, bool upload)
{
    NS_Host::HostProgressHandler& progress = host.progress();
    if (host.recall(upload, 0) != 0)
        return false;
    host.runFor(kRecallMs, [&] { return progress.reachedEnd() || progress.finished(); });
    return progress.reachedEnd() && !progress.finished();
}

RecallRecord recordRecall(MidiService& service)
{
    RecallRecord r;
    OwnSettings settings;
    NS_Host::HostOptions o = editorOptions(service);
    o.surface = false;
    NS_Host::SubstituteHost host(o);
    host.setIdleHook(&pumpToolkit);
    if (!host.start())
        return r;
    NS_Simulator::SimulatedInstrument& sim = *host.instrument();
    r.clients = run(QStringLiteral("aconnect"), {QStringLiteral("-l")});
    sim.clearLogs();
    const uint64_t before = host.ports().messagesIn();
    r.downloaded = runRecall(host, false);
    r.messagesIn = host.ports().messagesIn() - before;
    for (const NS_Simulator::SimulatedInstrument::Sent& s : sim.sent())
        r.instrumentSent.insert(r.instrumentSent.end(), s.bytes.begin(), s.bytes.end());
    sim.clearLogs();
    r.uploaded = runRecall(host, true);
    // The last messages may still be on their way when the editor reports the end.
    size_t seen = 0;
    host.runFor(kRecallMs, [&] {
        const size_t n = sim.received().size();
        const bool still = n == seen;
        seen = n;
        return still && sim.waitIdle(2000);
    });
    for (const NS_Simulator::SimulatedInstrument::Received& m : sim.received())
        r.upload.push_back(m.bytes);
    host.stop(false);
    return r;
}

// The recall on the in-process bus, once per test program.
const RecallRecord& busRecord()
{
    static const RecallRecord record = [] {
        NS_Platform::VirtualMidiBus bus;
        return recordRecall(bus);
    }();
    return record;
}

class AlsaEditor : public ::testing::Test
{
protected:
    void SetUp() override { VANTREL_NEEDS_ALSA(); }
};

} // namespace

TEST_F(AlsaEditor, TotalRecallDownAndUpCarriesTheSameBytesAsOnTheInProcessBus)
{
    const RecallRecord& bus = busRecord();
    ASSERT_TRUE(bus.downloaded && bus.uploaded) << "the recall on the in-process bus did not run through";
    auto alsa = MidiService::create(QStringLiteral("alsa"));
    ASSERT_NE(alsa, nullptr);
    const RecallRecord kernel = recordRecall(*alsa);
    std::printf("total recall: download %llu messages (%zu bytes) on the bus, %llu on the kernel's sequencer; "
                "upload %zu messages (%zu bytes) on the bus, %zu on the kernel's sequencer\n",
                (unsigned long long)bus.messagesIn, bus.instrumentSent.size(), (unsigned long long)kernel.messagesIn,
                bus.upload.size(), joined(bus.upload).size(), kernel.upload.size());
    // The editor, the instrument and the surface are clients of their own, by their names.
    EXPECT_TRUE(kernel.clients.contains("'TOVAR-VANTREL host' [type=user"));
    EXPECT_TRUE(kernel.clients.contains("'TOVAR-VANTREL (simulated)' [type=user")) << kernel.clients.constData();
    EXPECT_TRUE(kernel.downloaded) << "the download did not run through";
    EXPECT_TRUE(kernel.uploaded) << "the upload did not run through";
    EXPECT_EQ(kernel.messagesIn, bus.messagesIn);
    EXPECT_TRUE(kernel.instrumentSent == bus.instrumentSent) << difference(kernel.instrumentSent, bus.instrumentSent);
    ASSERT_EQ(kernel.upload.size(), bus.upload.size());
    for (size_t i = 0; i < bus.upload.size(); ++i)
        ASSERT_TRUE(kernel.upload[i] == bus.upload[i]) << "upload message " << i << ": "
                                                       << difference(kernel.upload[i], bus.upload[i]);
}

TEST_F(AlsaEditor, AWholeRecallDumpFromAmidiArrivesWholeAndInOrderOverTenRuns)
{
    const RecallRecord& bus = busRecord();
    ASSERT_TRUE(bus.downloaded);
    const std::vector<Bytes> dump = wholeMessages(bus.instrumentSent);
    ASSERT_GT(dump.size(), 1000u);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("recall.syx"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const Bytes all = joined(dump);
        ASSERT_EQ(f.write(reinterpret_cast<const char*>(all.data()), qint64(all.size())), qint64(all.size()));
    }
    auto alsa = MidiService::create(QStringLiteral("alsa"));
    ASSERT_NE(alsa, nullptr);
    RecordingFilter filter;
    NS_Host::HostMidiPorts ports(*alsa);
    ASSERT_TRUE(ports.open());
    ports.setEventFilter(&filter);
    ASSERT_TRUE(waitFor([&] { return portNumber(ports, false, virmidiPort(1)) != 0; }, kListedMs));
    AmidiRuns seen;
    ASSERT_NO_FATAL_FAILURE(amidiTenTimes(1, path, joined(dump), filter, seen));
    char what[96];
    std::snprintf(what, sizeof what, "total recall dump of %zu messages (%zu bytes)", dump.size(), joined(dump).size());
    printRuns(what, seen);
}

TEST_F(AlsaEditor, ARunOfTheEditorsBulkMessagesAtIntervalZeroReachesASlowCableByteForByte)
{
    const RecallRecord& bus = busRecord();
    ASSERT_TRUE(bus.uploaded);
    std::vector<Bytes> run40;
    size_t bytes = 0;
    for (const Bytes& m : bus.upload) {
        if (bytes >= 40 * 1024)
            break;
        run40.push_back(m);
        bytes += m.size();
    }
    ASSERT_GE(bytes, size_t(40 * 1024));
    auto alsa = MidiService::create(QStringLiteral("alsa"));
    ASSERT_NE(alsa, nullptr);
    NS_Host::HostMidiPorts ports(*alsa);
    ASSERT_TRUE(ports.open());
    SlowCableReader cable(virmidiDevice(3));
    ASSERT_TRUE(cable.isOpen());
    ASSERT_TRUE(waitFor([&] { return portNumber(ports, true, virmidiPort(3)) != 0; }, kListedMs));
    const int32_t port = portNumber(ports, true, virmidiPort(3));
    QElapsedTimer clock;
    clock.start();
    // One after the other, as the bulk engine sends them at a dump interval of 0.
    for (const Bytes& m : run40)
        ASSERT_EQ(sendThroughHost(ports, port, m), 0);
    const qint64 handedOver = clock.elapsed();
    cable.waitFor(bytes, kQuietMs);
    std::printf("slow cable: %zu of %zu bytes of %zu bulk messages in %lld ms (handed over in %lld ms)\n", cable.size(),
                bytes, run40.size(), clock.elapsed(), handedOver);
    EXPECT_TRUE(cable.bytes() == joined(run40)) << difference(cable.bytes(), joined(run40));
}

namespace {

// The editor with the simulated surface and, as its instrument, whatever program has
// the port `instrument`.
class AlsaEditorByName : public AlsaEditor
{
protected:
    void start(const QString& instrument)
    {
        m_alsa = MidiService::create(QStringLiteral("alsa"));
        ASSERT_NE(m_alsa, nullptr);
        QSettings settings{QString::fromLatin1(kOrganization), QString::fromLatin1(kApplication)};
        settings.setValue(QStringLiteral("OutGuid"), NS_Host::HostMidiPorts::portIdentity(true, instrument).toString());
        settings.setValue(QStringLiteral("InGuid"), NS_Host::HostMidiPorts::portIdentity(false, instrument).toString());
        settings.sync();
        NS_Host::HostOptions o = editorOptions(*m_alsa);
        o.simulator = false;
        o.surfaceKeys = {QStringLiteral("remote")};
        m_host = std::make_unique<NS_Host::SubstituteHost>(o);
        m_host->setIdleHook(&pumpToolkit);
        ASSERT_TRUE(m_host->start()) << qPrintable(m_host->error());
        ASSERT_TRUE(m_host->surface());
        ASSERT_TRUE(waitFor([&] { return m_host->surface()->surface().remoteMode(); }, kListedMs))
            << "the editor did not take the surface";
    }
    void TearDown() override
    {
        if (m_host)
            m_host->stop(false);
        m_host.reset();
        m_alsa.reset();
    }
    // Part 1's fader on the surface: the editor sends part 1's volume to its instrument.
    void moveFader(int position) { m_host->surface()->surface().moveFader(0, position); }
    bool listed(const QString& name, bool present)
    {
        return waitFor([&] { return (portNumber(m_host->ports(), true, name) != 0) == present; }, kListedMs);
    }
    static int clientOf(Program& p)
    {
        waitFor([&] { return p.output().contains('\n'); }, kListedMs);
        const QByteArray first = p.output().split('\n').front();
        return first.startsWith("client ") ? first.mid(7).toInt() : -1;
    }
    static bool gotEdit(Program& p) { return p.output().contains("sysex F0 43 10 5C 37 00 0D"); }

    OwnSettings m_settings;
    std::unique_ptr<MidiService> m_alsa;
    std::unique_ptr<NS_Host::SubstituteHost> m_host;
};

} // namespace

TEST_F(AlsaEditorByName, AnEditNeverReachesAProgramThatTookTheInstrumentsAddressAndReachesItAgainWhenItComesBack)
{
    const QString chosen = QStringLiteral("Vantrel chosen instrument");
    auto first = std::make_unique<Program>(QStringLiteral(VANTREL_ALSA_PEER), QStringList{chosen});
    ASSERT_TRUE(first->start());
    const int address = clientOf(*first);
    ASSERT_GE(address, 128);
    ASSERT_NO_FATAL_FAILURE(start(chosen));
    ASSERT_TRUE(listed(chosen, true));
    moveFader(512);
    ASSERT_TRUE(waitFor([&] { return gotEdit(*first); }, kQuietMs)) << first->output().constData();

    // The instrument's program ends; another one starts and gets its client number.
    first.reset();
    ASSERT_TRUE(listed(chosen, false));
    Program other(QStringLiteral(VANTREL_ALSA_PEER), {QStringLiteral("Vantrel other program")});
    ASSERT_TRUE(other.start());
    ASSERT_EQ(clientOf(other), address) << "the other program did not take the old address";
    ASSERT_TRUE(listed(QStringLiteral("Vantrel other program"), true));
    moveFader(256);
    moveFader(768);
    EXPECT_FALSE(waitFor([&] { return other.output().contains("sysex"); }, 5000))
        << "an edit reached the program at the instrument's old address: " << other.output().constData();

    // The instrument's program comes back, at another address: the edits reach it again.
    Program again(QStringLiteral(VANTREL_ALSA_PEER), {chosen});
    ASSERT_TRUE(again.start());
    EXPECT_NE(clientOf(again), address);
    ASSERT_TRUE(listed(chosen, true));
    bool reached = false;
    for (int position : {128, 640, 896, 384}) {
        moveFader(position);
        if ((reached = waitFor([&] { return gotEdit(again); }, 5000)))
            break;
    }
    EXPECT_TRUE(reached) << again.output().constData();
    EXPECT_FALSE(other.output().contains("sysex")) << other.output().constData();
}

TEST_F(AlsaEditorByName, AnUploadToAnInstrumentThatStopsReadingEndsWithItsError)
{
    const QString chosen = QStringLiteral("Vantrel stopped instrument");
    Program instrument(QStringLiteral(VANTREL_ALSA_PEER), {chosen});
    ASSERT_TRUE(instrument.start());
    ASSERT_GE(clientOf(instrument), 128);
    ASSERT_NO_FATAL_FAILURE(start(chosen));
    ASSERT_TRUE(listed(chosen, true));
    instrument.pause();
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(m_host->recall(true, 0), 0);
    NS_Host::HostProgressHandler& progress = m_host->progress();
    // When the instrument's queue took its last message: the host's count of messages
    // sent stops there.
    uint64_t sent = m_host->ports().messagesOut();
    qint64 lastTaken = 0;
    m_host->runFor(kRecallMs, [&] {
        const uint64_t now = m_host->ports().messagesOut();
        if (now != sent) {
            sent = now;
            lastTaken = clock.elapsed();
        }
        return progress.finished() || progress.reachedEnd();
    });
    const qint64 ended = clock.elapsed();
    std::printf("upload to a stopped instrument: %llu messages taken, the last after %lld ms; ended with status "
                "0x%08x after %lld ms\n",
                (unsigned long long)sent, lastTaken, uint32_t(progress.lastStatus()), ended);
    EXPECT_TRUE(progress.finished()) << "the upload was reported as complete";
    EXPECT_NE(progress.lastStatus(), 0);
    EXPECT_FALSE(progress.reachedEnd());
    // The message that found no room failed within the service's bound, and the upload
    // ended with it, at the next turn of its pacing timer at the latest; the emulated
    // processor's timers are coarse, so the bound here is generous.
    EXPECT_LT(ended - lastTaken, 1000) << "the upload went on after the instrument stopped taking messages";
    instrument.resume();
}

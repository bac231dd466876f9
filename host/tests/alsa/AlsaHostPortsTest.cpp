// The host's MIDI ports over the kernel's sequencer, with the programs of alsa-utils
// and snd-virmidi's cables at the other end: long dumps arrive whole, sends reach the
// kernel's ports with their exact bytes, a cable gets its bytes no faster than it
// carries them, reading goes on while a long send goes out, a receiver that stops
// reading makes a send fail within its bound, and other programs connect the host's
// ports.
#include "AlsaGuest.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using namespace NS_AlsaTest;
using NS_Platform::MidiService;

namespace {

constexpr int kListedMs = 30000;
constexpr int kQuietMs = 20000;

class AlsaHostPortsRig : public ::testing::Test
{
protected:
    void SetUp() override
    {
        VANTREL_NEEDS_ALSA();
        m_service = MidiService::create(QStringLiteral("alsa"));
        ASSERT_NE(m_service, nullptr);
        m_ports = std::make_unique<NS_Host::HostMidiPorts>(*m_service);
        ASSERT_TRUE(m_ports->open());
        m_ports->setEventFilter(&m_filter);
    }
    void TearDown() override
    {
        m_ports.reset();
        m_service.reset();
    }
    bool listed(bool output, const QString& name)
    {
        return waitFor([&] { return portNumber(*m_ports, output, name) != 0; }, kListedMs);
    }
    int32_t number(bool output, const QString& name) { return portNumber(*m_ports, output, name); }
    QString write(const QString& name, const Bytes& bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)
            || f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) != qint64(bytes.size()))
            return QString();
        return path;
    }

    QTemporaryDir m_dir;
    RecordingFilter m_filter;
    std::unique_ptr<MidiService> m_service;
    std::unique_ptr<NS_Host::HostMidiPorts> m_ports;
};

// ---- long dumps into the host

class AlsaSysExInput : public AlsaHostPortsRig, public ::testing::WithParamInterface<size_t>
{
};

} // namespace

TEST_P(AlsaSysExInput, ArrivesWholeAndInOrderOverTenRunsFromAmidi)
{
    const size_t size = GetParam();
    // Two messages a run, so that their order shows too.
    const Bytes first = sysexOf(size, 1), second = sysexOf(64, 2);
    Bytes file = first;
    file.insert(file.end(), second.begin(), second.end());
    const QString path = write(QStringLiteral("dump.syx"), file);
    ASSERT_FALSE(path.isEmpty());
    ASSERT_TRUE(listed(false, virmidiPort(1)));
    AmidiRuns seen;
    ASSERT_NO_FATAL_FAILURE(amidiTenTimes(1, path, file, m_filter, seen));
    char what[96];
    std::snprintf(what, sizeof what, "system exclusive of %zu bytes and one of 64", size);
    printRuns(what, seen);
}

INSTANTIATE_TEST_SUITE_P(Sizes, AlsaSysExInput, ::testing::Values(size_t(1024), size_t(64 * 1024), size_t(256 * 1024)),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                             return std::to_string(info.param / 1024) + "KB";
                         });

// ---- sends to a program and to a cable

namespace {

struct EditReceiver
{
    const char* name;
    bool cable; // a snd-virmidi port read by amidi; else aseqdump
};

class AlsaEditBytes : public AlsaHostPortsRig, public ::testing::WithParamInterface<EditReceiver>
{
};

} // namespace

TEST_P(AlsaEditBytes, AnEditArrivesWithItsExactBytes)
{
    const EditReceiver& c = GetParam();
    // Part 1's volume at 64, as the editor sends it.
    const Bytes edit{0xF0, 0x43, 0x10, 0x5C, 0x37, 0x00, 0x0D, 0x40, 0xF7};
    const QStringList dump = c.cable ? QStringList{QStringLiteral("-oL"), QStringLiteral("amidi"), QStringLiteral("-p"),
                                                   virmidiDevice(2), QStringLiteral("-d")}
                                     : QStringList{QStringLiteral("-oL"), QStringLiteral("aseqdump")};
    Program reader(QStringLiteral("stdbuf"), dump);
    ASSERT_TRUE(reader.start());
    const QString port = c.cable ? virmidiPort(2) : QStringLiteral("aseqdump");
    ASSERT_TRUE(listed(true, port)) << "the host does not list " << qPrintable(port);
    // The reader opens its side in its own time: the edit goes again until it is seen.
    auto seen = [&] {
        Bytes got;
        for (QByteArray line : reader.output().split('\n')) {
            if (!c.cable && !line.contains("System exclusive"))
                continue;
            // amidi prints each read as one run of hex digits, aseqdump a byte a word.
            line = c.cable ? line.simplified().replace(' ', "") : line.mid(line.indexOf("exclusive") + 9);
            if (c.cable)
                for (int i = 0; i + 1 < line.size(); i += 2)
                    got.push_back(uint8_t(line.mid(i, 2).toUInt(nullptr, 16)));
            else
                for (uint8_t b : hexBytes(line))
                    got.push_back(b);
        }
        return got;
    };
    bool arrived = false;
    for (int i = 0; i < 60 && !arrived; ++i) {
        ASSERT_EQ(sendThroughHost(*m_ports, number(true, port), edit), 0);
        arrived = waitFor([&] { return !seen().empty(); }, 500);
    }
    ASSERT_TRUE(arrived) << qPrintable(port) << " printed: " << reader.output().constData();
    waitFor([&] { return seen().size() % edit.size() == 0; }, 2000);
    const Bytes got = seen();
    ASSERT_EQ(got.size() % edit.size(), 0u) << reader.output().constData();
    for (size_t at = 0; at < got.size(); at += edit.size())
        EXPECT_TRUE(std::equal(edit.begin(), edit.end(), got.begin() + long(at))) << reader.output().constData();
}

INSTANTIATE_TEST_SUITE_P(Receivers, AlsaEditBytes,
                         ::testing::Values(EditReceiver{"Aseqdump", false}, EditReceiver{"VirmidiReadByAmidi", true}),
                         [](const ::testing::TestParamInfo<EditReceiver>& info) { return info.param.name; });

// ---- a cable's pace

TEST_F(AlsaHostPortsRig, ALongDumpReachesASlowCableWholeWithoutHoldingUpItsSender)
{
    SlowCableReader cable(virmidiDevice(3));
    ASSERT_TRUE(cable.isOpen());
    ASSERT_TRUE(listed(true, virmidiPort(3)));
    const Bytes dump = sysexOf(16 * 1024, 3);
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(sendThroughHost(*m_ports, number(true, virmidiPort(3)), dump), 0);
    // The cable takes 5.2 s; the sender is not kept waiting for it.
    EXPECT_LT(clock.elapsed(), 1000);
    cable.waitFor(dump.size(), kQuietMs);
    std::printf("slow cable: %zu of %zu bytes in %lld ms\n", cable.size(), dump.size(), clock.elapsed());
    EXPECT_TRUE(cable.bytes() == dump) << difference(cable.bytes(), dump);
    EXPECT_GE(clock.elapsed(), qint64(dump.size() * 1000 / 3125) * 9 / 10) << "faster than the cable";
}

TEST_F(AlsaHostPortsRig, InputArrivesWhileALongDumpGoesOut)
{
    SlowCableReader cable(virmidiDevice(3));
    ASSERT_TRUE(cable.isOpen());
    ASSERT_TRUE(listed(true, virmidiPort(3)));
    ASSERT_TRUE(listed(false, virmidiPort(1)));
    const Bytes dump = sysexOf(16 * 1024, 4);
    ASSERT_EQ(sendThroughHost(*m_ports, number(true, virmidiPort(3)), dump), 0);
    ASSERT_TRUE(cable.waitFor(1, kQuietMs));
    const Bytes incoming{0xF0, 0x43, 0x00, 0x5C, 0x00, 0x01, 0xF7};
    ASSERT_TRUE(runs(QStringLiteral("amidi"), {QStringLiteral("-p"), virmidiDevice(1), QStringLiteral("-S"),
                                               QStringLiteral("F0 43 00 5C 00 01 F7")}));
    ASSERT_TRUE(m_filter.waitFor(1, kQuietMs));
    EXPECT_LT(cable.size(), dump.size()) << "the message came only after the dump had gone out";
    EXPECT_EQ(m_filter.messages().front(), incoming);
    cable.waitFor(dump.size(), kQuietMs);
    EXPECT_TRUE(cable.bytes() == dump) << difference(cable.bytes(), dump);
}

// ---- a receiver that stops reading

TEST_F(AlsaHostPortsRig, ASendToAReceiverThatStopsReadingFailsWithinItsBoundAndItsQueueStaysWhole)
{
    const QString name = QStringLiteral("Vantrel stalled receiver");
    Program peer(QStringLiteral(VANTREL_ALSA_PEER), {name});
    ASSERT_TRUE(peer.start());
    ASSERT_TRUE(listed(true, name));
    ASSERT_TRUE(waitFor([&] { return peer.output().startsWith("client"); }, kListedMs));
    peer.pause();
    const Bytes message = sysexOf(1024, 5);
    int sent = 0;
    qint64 failedAfter = -1;
    for (int i = 0; i < 2000 && failedAfter < 0; ++i) {
        QElapsedTimer clock;
        clock.start();
        if (sendThroughHost(*m_ports, number(true, name), message) != 0)
            failedAfter = clock.elapsed();
        else
            ++sent;
    }
    std::printf("stalled receiver: %d messages taken, the next failed after %lld ms\n", sent, failedAfter);
    ASSERT_GE(failedAfter, 0) << "every send was reported as done";
    EXPECT_LE(failedAfter, 100) << "the send took longer than its bound";
    // Its queue was never overfilled: what it took reaches it whole once it reads again.
    peer.resume();
    ASSERT_TRUE(waitFor([&] { return peer.output().count("sysex F0") >= sent; }, kQuietMs)) << peer.output().constData();
    EXPECT_FALSE(peer.output().contains("overrun"));
}

// ---- other programs connect the host's ports

TEST_F(AlsaHostPortsRig, OtherProgramsConnectTheHostsPortsWithAconnect)
{
    const int host = clientNumber(QStringLiteral("TOVAR-VANTREL host"));
    const int cable0 = clientNumber(QStringLiteral("Virtual Raw MIDI 0-0"));
    const int cable3 = clientNumber(QStringLiteral("Virtual Raw MIDI 0-3"));
    ASSERT_GE(host, 128) << run(QStringLiteral("aconnect"), {QStringLiteral("-l")}).constData();
    ASSERT_GT(cable0, 0);
    ASSERT_GT(cable3, 0);
    ASSERT_TRUE(listed(false, virmidiPort(0)));
    const QString in = QStringLiteral("%1:0").arg(host), out = QStringLiteral("%1:1").arg(host);
    const QString from = QStringLiteral("%1:0").arg(cable0), to = QStringLiteral("%1:0").arg(cable3);
    QByteArray said;
    // The host's output to a cable, and a cable to the host's input taken apart and made again.
    EXPECT_TRUE(runs(QStringLiteral("aconnect"), {out, to}, &said)) << said.constData();
    EXPECT_TRUE(runs(QStringLiteral("aconnect"), {QStringLiteral("-d"), from, in}, &said)) << said.constData();
    EXPECT_TRUE(runs(QStringLiteral("aconnect"), {from, in}, &said)) << said.constData();
    const QByteArray listing = run(QStringLiteral("aconnect"), {QStringLiteral("-l")});
    EXPECT_TRUE(listing.contains("'in              '") && listing.contains("'out             '")) << listing.constData();
    EXPECT_TRUE(listing.contains(QStringLiteral("Connecting To: %1").arg(to).toLatin1())
                || listing.contains(QStringLiteral(", %1").arg(to).toLatin1()))
        << listing.constData();
    // What comes in through the connection made from outside arrives.
    ASSERT_TRUE(runs(QStringLiteral("amidi"), {QStringLiteral("-p"), virmidiDevice(0), QStringLiteral("-S"),
                                               QStringLiteral("F0 43 00 5C 00 02 F7")}));
    ASSERT_TRUE(m_filter.waitFor(1, kQuietMs));
    EXPECT_EQ(m_filter.messages().front(), (Bytes{0xF0, 0x43, 0x00, 0x5C, 0x00, 0x02, 0xF7}));
    EXPECT_TRUE(runs(QStringLiteral("aconnect"), {QStringLiteral("-d"), out, to}, &said)) << said.constData();
}

// The host's MIDI ports over the kernel's sequencer, with the programs of alsa-utils
// and snd-virmidi's cables at the other end: long dumps arrive whole, sends reach the
// kernel's ports with their exact bytes, a cable gets its bytes no faster than it
// carries them, reading goes on while a long send goes out, a receiver that stops
// reading makes a send fail within its bound and alone, what reached the host while its
// reader was held back arrives once it goes on, and other programs connect the host's
// ports.
#include "AlsaGuest.h"
#include "platform/AlsaMidiBackend.h"
#include "platform/MidiEndpointPair.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using namespace NS_AlsaTest;
using NS_Platform::MidiPacket;
using NS_Platform::MidiPacketList;
using NS_Platform::MidiRef;
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

    // Sends a short message until the host has it: it reads the sender from then on.
    bool hostReads(NS_Platform::MidiEndpointPair& sender)
    {
        for (int i = 0; i < 60; ++i)
            if (sender.send({MidiPacket{0, {0xF0, 0x7D, 0x01, 0xF7}}}) == 0 && m_filter.waitFor(1, 500)) {
                m_filter.clear();
                return true;
            }
        return false;
    }
    static MidiPacketList dumpOf(size_t messages, size_t size)
    {
        MidiPacketList dump;
        for (size_t i = 0; i < messages; ++i)
            dump.push_back(MidiPacket{0, sysexOf(size, uint8_t(i))});
        return dump;
    }
    // The host got these messages, each once and byte for byte.
    void expectReceived(const MidiPacketList& sent)
    {
        ASSERT_TRUE(m_filter.waitFor(sent.size(), kQuietMs)) << m_filter.count() << " of " << sent.size() << " messages";
        const std::vector<Bytes> got = m_filter.messages();
        ASSERT_EQ(got.size(), sent.size());
        for (size_t i = 0; i < sent.size(); ++i)
            EXPECT_TRUE(got[i] == sent[i].bytes) << "message " << i << ": " << difference(got[i], sent[i].bytes);
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

namespace {

// What a source of this process sends reaches a receiver that takes nothing: one that
// stopped reading, or one whose pool is smaller than a piece (the kernel refuses those).
struct RefusingReceiver
{
    const char* name;
    const char* pool; // null: the default, and it stops reading
};

class AlsaTwoReceivers : public AlsaHostPortsRig, public ::testing::WithParamInterface<RefusingReceiver>
{
};

} // namespace

TEST_P(AlsaTwoReceivers, TheOtherGetsEachMessageOnceWhileTheSendsToTheOneFailWithinTheirBound)
{
    const QString name = QStringLiteral("Vantrel refusing receiver");
    Program peer(QStringLiteral(VANTREL_ALSA_PEER),
                 GetParam().pool ? QStringList{name, QString::fromLatin1(GetParam().pool)} : QStringList{name});
    ASSERT_TRUE(peer.start());
    ASSERT_TRUE(waitFor([&] { return peer.output().startsWith("client"); }, kListedMs));
    // A source of this process, read by the host's input and by the peer.
    const QString sourceName = QStringLiteral("Vantrel two receivers");
    NS_Platform::MidiEndpointPair source(*m_service, sourceName, nullptr);
    const int peerClient = peer.output().mid(7).split('\n').front().toInt();
    ASSERT_TRUE(runs(QStringLiteral("aconnect"), {QStringLiteral("%1:0").arg(clientNumber(sourceName)),
                                                  QStringLiteral("%1:0").arg(peerClient)}));
    ASSERT_TRUE(hostReads(source));
    if (!GetParam().pool)
        peer.pause();
    const MidiPacketList sent = dumpOf(12, 1024);
    int failed = 0;
    qint64 longest = 0;
    for (const MidiPacket& p : sent) {
        QElapsedTimer clock;
        clock.start();
        failed += source.send({p}) != 0 ? 1 : 0;
        longest = std::max(longest, clock.elapsed());
    }
    std::printf("two receivers: %d of %zu sends failed, the longest took %lld ms\n", failed, sent.size(), longest);
    EXPECT_GT(failed, 0) << "the receiver that takes nothing took everything";
    EXPECT_LE(longest, 100) << "a send took longer than its bound";
    expectReceived(sent);
}

INSTANTIATE_TEST_SUITE_P(Receivers, AlsaTwoReceivers,
                         ::testing::Values(RefusingReceiver{"StopsReading", nullptr},
                                           RefusingReceiver{"PoolSmallerThanAPiece", "8"}),
                         [](const ::testing::TestParamInfo<RefusingReceiver>& info) { return info.param.name; });

// ---- the host's reader held back

namespace {

// A sender in a program of its own (a backend of its own) that sends a burst at once.
struct HeldBurst
{
    const char* name;
    int eventsPerDrain; // 0: the backend's own cap
    size_t messages, size;
    bool quits; // the sender quits at once
};

// The host's reader waits before its next poll() while the gate is shut.
class AlsaHeldReader : public AlsaHostPortsRig, public ::testing::WithParamInterface<HeldBurst>
{
protected:
    void SetUp() override
    {
        NS_Platform::setAlsaReaderForTesting(
            [this](pollfd* fds, nfds_t count, int timeoutMs) {
                std::unique_lock<std::mutex> lock(m_gateMutex);
                m_held = m_shut;
                m_gateMoved.notify_all();
                m_gateMoved.wait(lock, [this] { return !m_shut; });
                m_held = false;
                lock.unlock();
                return ::poll(fds, count, timeoutMs);
            },
            GetParam().eventsPerDrain);
        AlsaHostPortsRig::SetUp();
        NS_Platform::setAlsaReaderForTesting({}, 0);
    }
    void TearDown() override
    {
        shut(false);
        AlsaHostPortsRig::TearDown();
    }
    void shut(bool shut)
    {
        std::lock_guard<std::mutex> lock(m_gateMutex);
        m_shut = shut;
        m_gateMoved.notify_all();
    }

    std::mutex m_gateMutex;
    std::condition_variable m_gateMoved;
    bool m_shut = false, m_held = false;
};

} // namespace

TEST_P(AlsaHeldReader, WhatCameWhileTheReaderWasHeldBackArrivesWholeOnceItGoesOn)
{
    auto program = MidiService::create(QStringLiteral("alsa"));
    ASSERT_NE(program, nullptr);
    auto sender = std::make_unique<NS_Platform::MidiEndpointPair>(*program, QStringLiteral("Vantrel burst"), nullptr);
    ASSERT_TRUE(hostReads(*sender));
    // A client made now wakes the reader, which then waits at the gate.
    shut(true);
    MidiRef wakes = 0;
    ASSERT_EQ(m_service->createClient(QStringLiteral("Vantrel wakes the reader"), &wakes), 0);
    {
        std::unique_lock<std::mutex> lock(m_gateMutex);
        ASSERT_TRUE(m_gateMoved.wait_for(lock, std::chrono::milliseconds(kQuietMs), [this] { return m_held; }));
    }
    const MidiPacketList sent = dumpOf(GetParam().messages, GetParam().size);
    ASSERT_EQ(sender->send(sent), 0); // queued at the host's client when it returns
    if (GetParam().quits)
        sender.reset();
    shut(false);
    expectReceived(sent);
}

INSTANTIATE_TEST_SUITE_P(Bursts, AlsaHeldReader,
                         ::testing::Values(HeldBurst{"MoreThanOneDrainThenSilence", 8, 64, 16, false},
                                           HeldBurst{"ADumpFromAClientThatQuitsAtOnce", 0, 16, 1024, true}),
                         [](const ::testing::TestParamInfo<HeldBurst>& info) { return info.param.name; });

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

// The host's MIDI ports over the kernel's sequencer, with the programs of alsa-utils
// and snd-virmidi's cables at the other end: long dumps arrive whole, sends reach the
// kernel's ports with their exact bytes, a cable gets its bytes no faster than it
// carries them, reading goes on while a long send goes out, a receiver that stops
// reading makes a send fail within its bound and alone, and each receiver of a source
// gets every message reported delivered to it (a cable at its pace, a receiver fed by
// two sources at once, a subscription that asked for time stamps with them), what
// reached the host while its reader was held back arrives once it goes on, and other
// programs connect the host's ports and get what it sends.
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

// A source of this process read by the host's input and by a second receiver: one that
// takes nothing (it stopped reading, or its pool is smaller than a piece; the kernel
// refuses those), a cable read at a cable's pace, a peer that two sources feed at once,
// or a peer whose subscription asks for time stamps.
struct SecondReceiver
{
    const char* name;
    const char* pool; // the peer's input pool; null: the kernel's default
    bool stops;       // the peer stops reading while the sends go, and reads again after
    bool refuses;     // some sends fail
    bool cable;       // snd-virmidi's cable 3, read at a cable's pace, in place of the peer
    bool stamps;      // the peer's subscription asks for real-time stamps of its queue
    int sources;      // sources of this process that send at the same time
    size_t messages, size;
};

// The whole messages the peer printed, in order, and its lines of system-exclusive
// pieces.
std::vector<Bytes> peerMessages(const QByteArray& output, std::vector<QByteArray>* lines = nullptr)
{
    Bytes all;
    for (const QByteArray& line : output.split('\n')) {
        if (!line.startsWith("sysex "))
            continue;
        if (lines)
            lines->push_back(line);
        const int stamp = line.indexOf(" queue ");
        for (uint8_t b : hexBytes(line.mid(6, stamp < 0 ? -1 : stamp - 6)))
            all.push_back(b);
    }
    return wholeMessages(all);
}

class AlsaTwoReceivers : public AlsaHostPortsRig, public ::testing::WithParamInterface<SecondReceiver>
{
protected:
    // Once they have found room at the peer's client, two writes wait for each other a
    // little before they write: two senders that each looked at the room alone then
    // both write into it.
    void SetUp() override
    {
        NS_Platform::setAlsaWriterForTesting([this](int client) {
            if (client != m_paired.load())
                return;
            std::unique_lock<std::mutex> lock(m_pairMutex);
            if (m_waiting) {
                m_waiting = false;
                m_pairMet.notify_all();
                return;
            }
            m_waiting = true;
            m_pairMet.wait_for(lock, std::chrono::milliseconds(40), [this] { return !m_waiting; });
            m_waiting = false;
        });
        AlsaHostPortsRig::SetUp();
        NS_Platform::setAlsaWriterForTesting({});
    }

    std::atomic<int> m_paired{-1};
    std::mutex m_pairMutex;
    std::condition_variable m_pairMet;
    bool m_waiting = false;
};

} // namespace

TEST_P(AlsaTwoReceivers, EachGetsEveryMessageReportedDeliveredAndNoSendOutlastsItsBound)
{
    const SecondReceiver& r = GetParam();
    const QString name = QStringLiteral("Vantrel second receiver");
    Program peer(QStringLiteral(VANTREL_ALSA_PEER), r.pool ? QStringList{name, QString::fromLatin1(r.pool)} : QStringList{name});
    std::unique_ptr<SlowCableReader> cable;
    QString receiver;
    int queue = -1;
    if (r.cable) {
        cable = std::make_unique<SlowCableReader>(virmidiDevice(3));
        ASSERT_TRUE(cable->isOpen());
        receiver = QStringLiteral("%1:0").arg(clientNumber(QStringLiteral("Virtual Raw MIDI 0-3")));
    } else {
        ASSERT_TRUE(peer.start());
        ASSERT_TRUE(waitFor([&] { return peer.output().count('\n') >= 2; }, kListedMs));
        const QList<QByteArray> first = peer.output().split('\n');
        receiver = QStringLiteral("%1:0").arg(first[0].mid(7).toInt());
        queue = first[1].mid(6).toInt();
        m_paired = r.sources > 1 ? first[0].mid(7).toInt() : -1;
    }
    // Sources of this process, each read by the host's input, then by the second receiver.
    std::vector<std::unique_ptr<NS_Platform::MidiEndpointPair>> sources;
    std::vector<MidiPacketList> sent(size_t(r.sources));
    for (int s = 0; s < r.sources; ++s) {
        const QString sourceName = QStringLiteral("Vantrel source %1").arg(s + 1);
        sources.push_back(std::make_unique<NS_Platform::MidiEndpointPair>(*m_service, sourceName, nullptr));
        ASSERT_TRUE(hostReads(*sources.back()));
        QStringList connect = r.stamps ? QStringList{QStringLiteral("-r"), QString::number(queue)} : QStringList{};
        connect << QStringLiteral("%1:0").arg(clientNumber(sourceName)) << receiver;
        ASSERT_TRUE(runs(QStringLiteral("aconnect"), connect));
        for (size_t i = 0; i < r.messages; ++i)
            sent[size_t(s)].push_back(MidiPacket{0, sysexOf(r.size, uint8_t(s * 64 + int(i)))});
    }
    if (r.stops)
        peer.pause();
    // Each source from a thread of its own, all at once.
    std::vector<Bytes> delivered;
    std::mutex deliveredMutex;
    std::atomic<int> failed{0};
    std::atomic<qint64> longest{0};
    std::vector<std::thread> senders;
    for (int s = 0; s < r.sources; ++s)
        senders.emplace_back([&, s] {
            for (const MidiPacket& p : sent[size_t(s)]) {
                QElapsedTimer clock;
                clock.start();
                const bool ok = sources[size_t(s)]->send({p}) == 0;
                const qint64 took = clock.elapsed();
                qint64 before = longest.load();
                while (took > before && !longest.compare_exchange_weak(before, took)) {
                }
                std::lock_guard<std::mutex> lock(deliveredMutex);
                failed += ok ? 0 : 1;
                if (ok)
                    delivered.push_back(p.bytes);
            }
        });
    for (std::thread& t : senders)
        t.join();
    m_paired = -1;
    std::printf("%s: %d of %zu sends failed, the longest took %lld ms\n", r.name, failed.load(),
                size_t(r.sources) * r.messages, longest.load());
    if (r.refuses) {
        EXPECT_GT(failed.load(), 0) << "the receiver that takes nothing took everything";
    } else {
        EXPECT_EQ(failed.load(), 0);
    }
    EXPECT_LE(longest.load(), 100) << "a send took longer than its bound";
    // The host's input never refused.
    if (r.sources == 1) {
        expectReceived(sent.front());
    } else {
        std::vector<Bytes> all;
        for (const MidiPacketList& list : sent)
            for (const MidiPacket& p : list)
                all.push_back(p.bytes);
        ASSERT_TRUE(m_filter.waitFor(all.size(), kQuietMs)) << m_filter.count() << " of " << all.size();
        std::vector<Bytes> got = m_filter.messages();
        std::sort(got.begin(), got.end());
        std::sort(all.begin(), all.end());
        EXPECT_TRUE(got == all);
    }
    // The second receiver got every message reported delivered, whole; a cable at its
    // pace, byte for byte.
    if (r.cable) {
        Bytes wanted;
        for (const Bytes& m : delivered)
            wanted.insert(wanted.end(), m.begin(), m.end());
        cable->waitFor(wanted.size(), kQuietMs);
        EXPECT_TRUE(cable->bytes() == wanted) << difference(cable->bytes(), wanted);
        return;
    }
    peer.resume();
    waitFor([&] { return peerMessages(peer.output()).size() >= delivered.size(); }, kQuietMs);
    std::vector<QByteArray> lines;
    std::vector<Bytes> got = peerMessages(peer.output(), &lines);
    std::sort(got.begin(), got.end());
    std::sort(delivered.begin(), delivered.end());
    EXPECT_TRUE(got == delivered) << got.size() << " whole messages for " << delivered.size() << " reported delivered";
    EXPECT_FALSE(peer.output().contains("overrun"));
    const QByteArray stamp = QStringLiteral(" queue %1 time ").arg(queue).toLatin1();
    for (const QByteArray& line : lines)
        EXPECT_TRUE(!r.stamps || line.contains(stamp)) << line.constData();
}

INSTANTIATE_TEST_SUITE_P(
    Receivers, AlsaTwoReceivers,
    ::testing::Values(SecondReceiver{"StopsReading", nullptr, true, true, false, false, 1, 12, 1024},
                      SecondReceiver{"PoolSmallerThanAPiece", "8", false, true, false, false, 1, 12, 1024},
                      SecondReceiver{"ACableReadAtItsPace", nullptr, false, false, true, false, 1, 16, 1024},
                      // Room for one piece of 256 bytes and less than two, whatever else waits there.
                      SecondReceiver{"TwoSourcesIntoOneThatStops", "21", true, true, false, false, 2, 3, 256},
                      SecondReceiver{"SubscribedWithTimeStamps", nullptr, false, false, false, true, 1, 4, 256}),
    [](const ::testing::TestParamInfo<SecondReceiver>& info) { return info.param.name; });

// ---- the host's reader held back

namespace {

// A sender in a program of its own (a backend of its own) that sends a burst at once.
struct HeldBurst
{
    const char* name;
    int eventsPerDrain; // 0: the backend's own cap
    size_t messages, size;
    bool quits;   // the sender quits at once
    bool rereads; // then, before the reader goes on, a port is made and the lists are read
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
    if (GetParam().rereads) {
        // The lists no longer find the sender's port; what it sent is still to be read.
        MidiRef made = 0;
        ASSERT_EQ(m_service->createOutputPort(wakes, QStringLiteral("Vantrel reads the lists"), &made), 0);
        m_service->numberOfSources();
    }
    shut(false);
    expectReceived(sent);
}

INSTANTIATE_TEST_SUITE_P(Bursts, AlsaHeldReader,
                         ::testing::Values(HeldBurst{"MoreThanOneDrainThenSilence", 8, 64, 16, false, false},
                                           HeldBurst{"ADumpFromAClientThatQuitsAtOnce", 0, 16, 1024, true, false},
                                           HeldBurst{"AClientThatQuitsWhileTheListsAreReadAgain", 8, 64, 16, true, true}),
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
    // What the host sends reaches the destination chosen and the port connected from
    // outside, each once, also when the two are one.
    SlowCableReader chosen(virmidiDevice(2)), connected(virmidiDevice(3));
    ASSERT_TRUE(chosen.isOpen() && connected.isOpen());
    ASSERT_TRUE(listed(true, virmidiPort(2)) && listed(true, virmidiPort(3)));
    const Bytes first{0xF0, 0x43, 0x10, 0x5C, 0x37, 0x00, 0x0D, 0x40, 0xF7};
    const Bytes second{0xF0, 0x43, 0x10, 0x5C, 0x37, 0x00, 0x0D, 0x41, 0xF7};
    ASSERT_EQ(sendThroughHost(*m_ports, number(true, virmidiPort(2)), first), 0);
    ASSERT_EQ(sendThroughHost(*m_ports, number(true, virmidiPort(3)), second), 0);
    Bytes both = first;
    both.insert(both.end(), second.begin(), second.end());
    connected.waitFor(both.size(), kQuietMs);
    chosen.waitFor(first.size(), kQuietMs);
    EXPECT_TRUE(connected.bytes() == both) << difference(connected.bytes(), both);
    EXPECT_TRUE(chosen.bytes() == first) << difference(chosen.bytes(), first);
    EXPECT_TRUE(runs(QStringLiteral("aconnect"), {QStringLiteral("-d"), out, to}, &said)) << said.constData();
}

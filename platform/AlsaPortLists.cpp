#ifdef VANTREL_HAVE_ALSA
// The endpoint lists of the ALSA backend: the kernel's ports read on any thread that
// asks for the lists, and the announcements applied on the delivery thread.
//
// A port that has gone stays listed until its exit has come through the delivery
// thread, after everything read before it: a program that reads the lists in between,
// or that was told they changed, still gets what the port sent before it went.
#include "AlsaBackendPrivate.h"
#include <algorithm>

namespace NS_Platform {

using namespace AlsaBackend;

// Under `mutex`. Connections stay: the reader ends them where the client's own queue
// brings the exit.
void AlsaMidiBackend::Private::markGone(MidiRef ref)
{
    auto it = objects.find(ref);
    if (it == objects.end() || it->second.kind != Kind::Remote || it->second.gone)
        return;
    it->second.gone = true;
    auto live = liveByAddress.find(addressKey(it->second.remoteClient, it->second.remotePort));
    if (live != liveByAddress.end() && live->second == ref)
        liveByAddress.erase(live);
    sources.erase(std::remove(sources.begin(), sources.end(), ref), sources.end());
    destinations.erase(std::remove(destinations.begin(), destinations.end(), ref), destinations.end());
    eraseSenders(ref);
    goneLines.push_back(ref);
    ++generation;
}

// Under `mutex`: the scan becomes the lists. A port the scan no longer finds, or finds
// taken by another program, keeps its place until its exit is applied; only when
// announcements were lost does the scan alone decide.
void AlsaMidiBackend::Private::apply(const std::vector<ScannedPort>& scan, uint64_t begunAt, bool announcementsLost)
{
    std::map<int64_t, MidiRef> live, listed; // by address: the kernel's order
    for (const ScannedPort& p : scan) {
        const int64_t key = addressKey(p.client, p.port);
        if (p.caps & SND_SEQ_PORT_CAP_NO_EXPORT)
            continue;
        auto own = ownByAddress.find(key);
        if (own != ownByAddress.end()) {
            listed[key] = own->second; // own input and output ports are no endpoints: left out below
            continue;
        }
        if (handleOwns(p.client))
            continue; // an own port made a moment ago, not yet an object
        auto was = liveByAddress.find(key);
        if (was == liveByAddress.end() && exitedSince(begunAt, p.client, p.port))
            continue; // perhaps the one whose exit was applied while this scan ran: the next scan tells
        MidiRef ref = 0;
        if (was != liveByAddress.end()) {
            Object& o = objects.at(was->second);
            if (o.identity == p.identity) {
                ref = was->second;
                o.caps = p.caps;
                o.type = p.type;
            } else if (announcementsLost
                       || (o.identity.pid == p.identity.pid && o.identity.card == p.identity.card)) {
                markGone(was->second); // renamed by its program: another endpoint from now on
            } else {
                ref = was->second; // another program's: the one that left stays until its exit
            }
        }
        if (!ref) {
            Object o(Kind::Remote);
            o.remoteClient = p.client;
            o.remotePort = p.port;
            o.identity = p.identity;
            o.name = p.identity.port;
            o.caps = p.caps;
            o.type = p.type;
            ref = nextRef++;
            objects.emplace(ref, std::move(o));
        }
        live[key] = ref;
    }
    std::vector<MidiRef> left;
    for (const auto& [key, ref] : liveByAddress) {
        if (live.count(key))
            continue;
        if (announcementsLost)
            left.push_back(ref);
        else
            live[key] = ref;
    }
    for (MidiRef ref : left)
        markGone(ref);
    liveByAddress = live;
    listed.insert(live.begin(), live.end());
    std::vector<MidiRef> src, dst;
    for (const auto& [key, ref] : listed) {
        const Object& o = objects.at(ref);
        if (o.kind == Kind::Source || (o.kind == Kind::Remote && (o.caps & kReadable) == kReadable))
            src.push_back(ref);
        if (o.kind == Kind::Destination || (o.kind == Kind::Remote && (o.caps & kWritable) == kWritable))
            dst.push_back(ref);
    }
    if (src != sources || dst != destinations) {
        sources = std::move(src);
        destinations = std::move(dst);
        ++generation;
    }
}

bool AlsaMidiBackend::Private::handleOwns(int client)
{
    for (const auto& entry : objects)
        if (entry.second.kind == Kind::Client && entry.second.handle && entry.second.handle->client == client)
            return true;
    return false;
}

bool AlsaMidiBackend::Private::exitedSince(uint64_t begunAt, int client, int port) const
{
    for (const int64_t key : {addressKey(client, port), addressKey(client, 0xFFFF)}) {
        auto exit = lastExit.find(key);
        if (exit != lastExit.end() && exit->second > begunAt)
            return true;
    }
    return false;
}

// Any thread, without `mutex`.
void AlsaMidiBackend::Private::rescan(bool announcementsLost)
{
    {
        std::lock_guard<std::mutex> scanning(scanMutex);
        uint64_t begunAt = 0;
        {
            std::lock_guard<std::mutex> lock(mutex);
            dirty = false; // a change from here on makes the lists dirty again
            begunAt = exitsApplied;
        }
        const std::vector<ScannedPort> scan = scanKernel(watch->seq);
        std::lock_guard<std::mutex> lock(mutex);
        apply(scan, begunAt, announcementsLost);
    }
    eraseGoneLines();
}

void AlsaMidiBackend::Private::ensureCurrent()
{
    bool stale;
    {
        std::lock_guard<std::mutex> lock(mutex);
        stale = dirty;
    }
    if (stale)
        rescan();
}

// Delivery thread, after what was read before the exit: the endpoint at that address
// goes, unless the one there now is the same endpoint (the exit was of an earlier one
// that the lists never held).
void AlsaMidiBackend::Private::leave(int client, int port)
{
    struct Listed
    {
        MidiRef ref;
        int64_t key;
        PortIdentity identity;
    };
    std::vector<Listed> at;
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (const auto& [key, ref] : liveByAddress)
            if (keyClient(key) == client && (port < 0 || keyPort(key) == port))
                at.push_back(Listed{ref, key, objects.at(ref).identity});
    }
    std::vector<MidiRef> gone;
    for (const Listed& l : at)
        if (!isAt(watch->seq, keyClient(l.key), keyPort(l.key), l.identity))
            gone.push_back(l.ref);
    std::lock_guard<std::mutex> lock(mutex);
    lastExit[addressKey(client, port < 0 ? 0xFFFF : port)] = ++exitsApplied;
    for (MidiRef ref : gone)
        markGone(ref);
}

} // namespace NS_Platform
#endif

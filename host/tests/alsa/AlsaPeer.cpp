// A program at the other end of the sequencer for the tests: a client and a port of the
// name it is given, that prints its client number, then the number of a queue of its own
// that runs (for subscriptions that ask for its time stamps), then every event it
// receives, a line each, as hex bytes ("sysex F0 43 .. F7" for a system-exclusive
// piece), followed by the event's time stamp when it has one ("queue 1 time 2.5").
// Its input pool stays at the kernel's default, as most programs leave it, unless a size
// follows.
#include <alsa/asoundlib.h>
#include <cstdio>
#include <cstdlib>

static void printStamp(const snd_seq_event_t* ev)
{
    if (ev->queue == SND_SEQ_QUEUE_DIRECT)
        return;
    if (snd_seq_ev_is_real(ev))
        std::printf(" queue %d time %u.%09u", ev->queue, ev->time.time.tv_sec, ev->time.time.tv_nsec);
    else
        std::printf(" queue %d tick %u", ev->queue, ev->time.tick);
}

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s NAME [INPUT-POOL]\n", argv[0]);
        return 64;
    }
    snd_seq_t* seq = nullptr;
    if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_DUPLEX, 0) < 0)
        return 1;
    snd_seq_set_client_name(seq, argv[1]);
    if (argc == 3 && snd_seq_set_client_pool_input(seq, std::atoi(argv[2])) < 0)
        return 1;
    const int port = snd_seq_create_simple_port(
        seq, argv[1],
        SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE | SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
        SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    if (port < 0)
        return 1;
    const int queue = snd_seq_alloc_queue(seq);
    if (queue < 0 || snd_seq_start_queue(seq, queue, nullptr) < 0 || snd_seq_drain_output(seq) < 0)
        return 1;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("client %d\n", snd_seq_client_id(seq));
    std::printf("queue %d\n", queue);
    snd_midi_event_t* decoder = nullptr;
    snd_midi_event_new(64, &decoder);
    snd_midi_event_no_status(decoder, 1);
    for (;;) {
        snd_seq_event_t* ev = nullptr;
        const int r = snd_seq_event_input(seq, &ev);
        if (r == -ENOSPC) {
            std::printf("overrun\n");
            continue;
        }
        if (r < 0 || !ev)
            continue;
        if (ev->type == SND_SEQ_EVENT_SYSEX) {
            std::printf("sysex");
            const auto* b = static_cast<const unsigned char*>(ev->data.ext.ptr);
            for (unsigned i = 0; i < ev->data.ext.len; ++i)
                std::printf(" %02X", b[i]);
            printStamp(ev);
            std::printf("\n");
            continue;
        }
        unsigned char buf[16];
        const long n = snd_midi_event_decode(decoder, buf, sizeof buf, ev);
        if (n <= 0)
            continue;
        std::printf("event");
        for (long i = 0; i < n; ++i)
            std::printf(" %02X", buf[i]);
        printStamp(ev);
        std::printf("\n");
    }
}

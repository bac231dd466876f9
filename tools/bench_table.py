#!/usr/bin/env python3
"""Prints the headline figures of a benchmark report folder as one Markdown table.

The folder holds one Google Benchmark JSON file per benchmark program (bench_NAME.json)
and the host program's --measure output (host-measure-N.txt). Each figure stands beside
its physical reference: the 31250-baud MIDI cable (3,125 bytes a second, 3.2 ms for a
10-byte message) or one frame at 60 Hz (16.7 ms). A figure whose benchmark is missing
or failed shows as "-" with the reason under the table.
"""
import glob
import json
import os
import re
import statistics
import sys

CABLE_BYTES_PER_S = 3125.0
CABLE_MESSAGE_NS = 3.2e6
FRAME_NS = 16.7e6
UNIT_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}

CABLE_MESSAGE = "3.2 ms (10-byte message)"
FRAME = "16.7 ms (60 Hz frame)"

problems = []


def load(folder):
    runs = {}
    for path in sorted(glob.glob(os.path.join(folder, "bench_*.json"))):
        program = os.path.basename(path)[len("bench_"):-len(".json")]
        try:
            with open(path) as f:
                data = json.load(f)
        except (OSError, ValueError) as e:
            problems.append(f"{program}: unreadable output ({e})")
            continue
        for run in data.get("benchmarks", []):
            runs[(program, run.get("run_name", run["name"]))] = run
    return runs


def run_of(runs, program, name):
    """The run of BM_name (its run name may carry /iterations:N, /manual_time ...)."""
    for (p, run_name), run in runs.items():
        if p != program:
            continue
        if run_name == name or run_name.startswith(name + "/"):
            if run.get("error_occurred"):
                problems.append(f"{program} {name}: {run.get('error_message', 'failed')}")
                return None
            return run
    problems.append(f"{program} {name}: not run")
    return None


def time_ns(run):
    return run["real_time"] * UNIT_NS[run.get("time_unit", "ns")]


def counter(run, key):
    value = run.get(key) if run else None
    return float(value) if isinstance(value, (int, float)) else None


def duration(ns):
    if ns is None:
        return "-"
    if ns < 1e3:
        return f"{ns:.0f} ns"
    if ns < 1e6:
        return f"{ns / 1e3:.1f} µs" if ns < 1e5 else f"{ns / 1e3:.0f} µs"
    if ns < 1e9:
        return f"{ns / 1e6:.2f} ms" if ns < 1e7 else f"{ns / 1e6:.1f} ms"
    return f"{ns / 1e9:.2f} s"


def ratio(measured, reference):
    """measured / reference, written so that small shares stay readable."""
    if measured is None or not reference:
        return "-"
    r = measured / reference
    if r == 0:
        return "0"
    if r < 0.1:
        return f"1/{reference / measured:,.0f}"
    return f"{r:.2f}×" if r < 10 else f"{r:.0f}×"


def rate(bytes_per_s):
    if bytes_per_s is None:
        return "-"
    if bytes_per_s >= 1e6:
        return f"{bytes_per_s / 1e6:.1f} MB/s"
    return f"{bytes_per_s / 1e3:.1f} kB/s"


def host_measure(folder):
    """Median start-up, resident memory and idle use over the host program's runs."""
    startup, resident, idle = [], [], []
    for path in sorted(glob.glob(os.path.join(folder, "host-measure-*.txt"))):
        with open(path) as f:
            text = f.read()
        for pattern, into in ((r"first shown page: ([0-9.]+) ms", startup),
                              (r"page shown: ([0-9]+) KiB", resident),
                              (r"pump: ([0-9.]+) %", idle)):
            m = re.search(pattern, text)
            if m:
                into.append(float(m.group(1)))
    if not startup:
        problems.append("vantrel_host --measure: no figures")
    median = lambda xs: statistics.median(xs) if xs else None
    return median(startup), median(resident), median(idle), len(startup)


def main():
    folder = sys.argv[1]
    runs = load(folder)
    rows = []

    def row(figure, measured, reference="-", versus="-", source=""):
        rows.append((figure, measured, reference, versus, source))

    def percentiles(program, name):
        run = run_of(runs, program, name)
        return run, counter(run, "median_ns"), counter(run, "p99_ns")

    # Edits: one value changed to its message at the port.
    _, med, p99 = percentiles("memapi_edit", "BM_SetIndParamToPort")
    row("Edit to bytes at the port (memory API), median / p99", f"{duration(med)} / {duration(p99)}",
        CABLE_MESSAGE, ratio(med, CABLE_MESSAGE_NS), "memapi_edit SetIndParamToPort")
    _, med, p99 = percentiles("widget_controls", "BM_DialDragStepToPort")
    row("Dial drag step to bytes at the port, median / p99", f"{duration(med)} / {duration(p99)}",
        CABLE_MESSAGE, ratio(med, CABLE_MESSAGE_NS), "widget_controls DialDragStepToPort")
    run = run_of(runs, "model_maps", "BM_SetParameterToPort")
    row("Edit through the map (store, form, send)", duration(time_ns(run)) if run else "-",
        CABLE_MESSAGE, ratio(time_ns(run) if run else None, CABLE_MESSAGE_NS), "model_maps SetParameterToPort")
    run = run_of(runs, "memapi_edit", "BM_WorkerDelivers1000QueuedChanges")
    per = counter(run, "per_change_ns")
    if per is not None:
        per *= 1e9  # an inverted rate: seconds per change
    row("Worker delivery of a queued change to its observers", duration(per), CABLE_MESSAGE,
        ratio(per, CABLE_MESSAGE_NS), "memapi_edit WorkerDelivers1000QueuedChanges")

    # Bulk receive and transmit.
    run = run_of(runs, "bulk_transfer", "BM_ReceiveMultiDump")
    if run:
        row("Multi dump received and stored", f"{duration(time_ns(run))} ({rate(counter(run, 'bytes_per_second'))})",
            f"{counter(run, 'cable_s') * 1e3:.0f} ms (3,125 B/s)", ratio(time_ns(run), counter(run, "cable_s") * 1e9),
            "bulk_transfer ReceiveMultiDump")
    run = run_of(runs, "bulk_transfer", "BM_ReceiveAllUserBanks")
    if run:
        row("Every user bank received and stored", f"{duration(time_ns(run))} ({rate(counter(run, 'bytes_per_second'))})",
            f"{counter(run, 'cable_s'):.1f} s (3,125 B/s)", ratio(time_ns(run), counter(run, "cable_s") * 1e9),
            "bulk_transfer ReceiveAllUserBanks")
    for name, what in (("BM_ReceiveMultiThroughDialog", "Multi receive through the dialog, instrument unpaced"),
                       ("BM_ReceiveMultiThroughDialogAtCableSpeed",
                        "Multi receive through the dialog, replies at cable speed")):
        run = run_of(runs, "dialog_receive", name)
        to100, cable = counter(run, "to_100_ms"), counter(run, "cable_ms")
        if run:
            note = ""
            if counter(run, "timeouts"):
                note = f", {counter(run, 'timeouts'):.0f} time-outs"
            row(what, f"{duration(to100 * 1e6)} to 100 %{note}", f"{duration(cable * 1e6)} (3,125 B/s)",
                ratio(to100, cable), "dialog_receive " + name[3:])
    for name, what in (("BM_TotalRecallDownload", "Total recall, instrument to editor"),
                       ("BM_TotalRecallUpload", "Total recall, editor to instrument (transmit)")):
        run = run_of(runs, "total_recall", name)
        if run:
            row(what, f"{counter(run, 'run_s'):.2f} s ({counter(run, 'bytes'):,.0f} bytes)",
                f"{counter(run, 'cable_s'):.2f} s (3,125 B/s)", ratio(counter(run, "run_s"), counter(run, "cable_s")),
                "total_recall " + name[3:])
    for program, backend, what in (
            ("recall_midi_service", "virtual", "Total recall download, editor in the host, in-process bus"),
            ("recall_midi_service_guest", "alsa",
             "Total recall download, editor in the host, kernel's ALSA sequencer (QEMU guest, emulated)")):
        run = run_of(runs, program, "BM_TotalRecallDownloadThrough/" + backend)
        if run:
            row(what, f"{counter(run, 'run_s'):.2f} s ({counter(run, 'messages'):,.0f} messages, "
                f"{counter(run, 'bytes'):,.0f} bytes)", f"{counter(run, 'cable_s'):.2f} s (3,125 B/s)",
                ratio(counter(run, "run_s"), counter(run, "cable_s")), f"{program} TotalRecallDownloadThrough/{backend}")
    for name, what in (("BM_SaveDocument", "Document (.m3e) saved"), ("BM_LoadDocument", "Document (.m3e) loaded")):
        run = run_of(runs, "bulk_transfer", name)
        row(what, duration(time_ns(run)) if run else "-", FRAME, ratio(time_ns(run) if run else None, FRAME_NS),
            "bulk_transfer " + name[3:])

    # Map build.
    for program, name, what in (("model_maps", "BM_BuildBothMapsCold", "Multi and voice maps built, templates parsed"),
                                ("model_maps", "BM_BuildBothMapsFromCache", "Multi and voice maps built, parsed once"),
                                ("memory_map", "BM_ParseAndBuildMultiMap", "Multi map built, template parsed")):
        run = run_of(runs, program, name)
        row(what, duration(time_ns(run)) if run else "-", FRAME, ratio(time_ns(run) if run else None, FRAME_NS),
            f"{program} {name[3:]}")

    # Windows.
    run = run_of(runs, "mixer_view", "BM_OpenMixerWindow")
    if run:
        row(f"Mixer window opened ({counter(run, 'bound_controls'):.0f} bound controls, painted)",
            duration(time_ns(run)), FRAME, ratio(time_ns(run), FRAME_NS), "mixer_view OpenMixerWindow")
    for name, what in (("BM_OpenCommonDetailWindow", "Common detail window opened"),
                       ("BM_OpenPartDetailWindow", "Part detail window opened")):
        run = run_of(runs, "detail_views", name)
        row(what, duration(time_ns(run)) if run else "-", FRAME, ratio(time_ns(run) if run else None, FRAME_NS),
            "detail_views " + name[3:])
    for arg, what in (("0", "common"), ("1", "part")):
        run = run_of(runs, "detail_views", f"BM_SwitchPage/part:{arg}")
        row(f"Page switched and repainted, {what} window", duration(time_ns(run)) if run else "-", FRAME,
            ratio(time_ns(run) if run else None, FRAME_NS), f"detail_views SwitchPage/part:{arg}")
    run = run_of(runs, "voice_dialogs", "BM_VoiceListOpenOnALargestBankThenCategoryMode")
    if run:
        row(f"Voice list opened on a {counter(run, 'bank_voices'):.0f}-voice bank", duration(counter(run, "open_ms") * 1e6),
            FRAME, ratio(counter(run, "open_ms"), FRAME_NS / 1e6), "voice_dialogs VoiceListOpenOnALargestBankThenCategoryMode")
        row(f"Voice list switched to categories ({counter(run, 'category_voices'):.0f} voices)",
            duration(counter(run, "to_category_ms") * 1e6), FRAME, ratio(counter(run, "to_category_ms"), FRAME_NS / 1e6),
            "voice_dialogs VoiceListOpenOnALargestBankThenCategoryMode")
    run = run_of(runs, "voice_dialogs", "BM_ArpeggioTypeListFill")
    if run:
        row(f"Arpeggio type list opened ({counter(run, 'entries'):.0f} names)", duration(counter(run, "open_ms") * 1e6),
            FRAME, ratio(counter(run, "open_ms"), FRAME_NS / 1e6), "voice_dialogs ArpeggioTypeListFill")
    run = run_of(runs, "mixer_view", "BM_MultiReceivedToLastStripRepainted")
    multi = run_of(runs, "bulk_transfer", "BM_ReceiveMultiDump")
    if run:
        cable = counter(multi, "cable_s")
        row(f"Received multi to the last strip repainted ({counter(run, 'repaints_per_changed_control'):.1f} "
            "repaints per changed control)", duration(time_ns(run)),
            f"{cable * 1e3:.0f} ms (its bytes at 3,125 B/s)" if cable else "-",
            ratio(time_ns(run), cable * 1e9 if cable else None), "mixer_view MultiReceivedToLastStripRepainted")
    for program, name, what in (("widget_controls", "BM_DialRepaintFromCache", "Dial repainted from its cached look"),
                                ("widget_controls", "BM_FaderRepaintFromCache", "Fader repainted from its cached look"),
                                ("popup_repaint", "BM_PopupRepaintFromCache", "Popup repainted from its cached look")):
        _, med, p99 = percentiles(program, name)
        row(what + ", median / p99", f"{duration(med)} / {duration(p99)}", FRAME, ratio(med, FRAME_NS),
            f"{program} {name[3:]}")
    run = run_of(runs, "widget_controls", "BM_ThousandNotificationsToRepaints")
    if run:
        row(f"1,000 notifications from another thread to {counter(run, 'repaints_per_1000'):.0f} repaints",
            duration(time_ns(run)), FRAME, ratio(time_ns(run), FRAME_NS), "widget_controls ThousandNotificationsToRepaints")

    # The control surface.
    run, med, p99 = percentiles("control_surface", "BM_SurfaceFaderMoveToInstrumentPort")
    if run:
        cable = counter(run, "cable_ns_in_and_out")
        row("Surface fader move to the instrument port, median / p99", f"{duration(med)} / {duration(p99)}",
            f"{duration(cable)} (its bytes in and out on the cable)", ratio(med, cable),
            "control_surface SurfaceFaderMoveToInstrumentPort")
    for name, what in (("BM_SurfaceFullRefresh", "Surface full refresh"),
                       ("BM_SurfaceActivationRestoresEverything", "Surface taken over (every lamp again)")):
        run = run_of(runs, "control_surface", name)
        if run:
            cable = counter(run, "cable_ms")
            row(f"{what}: {counter(run, 'bytes'):.0f} bytes", duration(time_ns(run)),
                f"{duration(cable * 1e6)} (3,125 B/s)", ratio(time_ns(run), cable * 1e6), "control_surface " + name[3:])

    # The host program and the editor in it.
    startup, resident, idle, measured = host_measure(folder)
    source = f"vantrel_host --measure, median of {measured}"
    row("Host program start-up to the first shown page (mixer open)", duration(startup * 1e6 if startup else None),
        "-", "-", source)
    run = run_of(runs, "mixer_view", "BM_HostStartToMixerPainted")
    if run:
        row("Editor started in the host to the mixer painted (libraries loaded)", duration(time_ns(run)), "-", "-",
            "mixer_view HostStartToMixerPainted")
    row("Resident memory with the page shown", f"{resident / 1024:.0f} MiB" if resident else "-", "-", "-", source)
    run = run_of(runs, "detail_views", "BM_ResidentWithEveryWindowOpen")
    if run:
        row(f"Resident memory with {counter(run, 'windows'):.0f} windows open (grown by)",
            f"{counter(run, 'resident_MiB'):.0f} MiB ({counter(run, 'grown_MiB'):.0f} MiB)", "-", "-",
            "detail_views ResidentWithEveryWindowOpen")
    row("Idle processor use with the 1 ms pump", f"{idle:.1f} % of one core" if idle is not None else "-", "-", "-",
        source)

    print("| figure | measured | physical reference | measured / reference | benchmark |")
    print("|---|---|---|---|---|")
    for r in rows:
        print("| " + " | ".join(r) + " |")
    print()
    print(machine())
    for p in problems:
        print(f"missing: {p}")
    return 1 if problems else 0


def machine():
    model = "unknown processor"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    memory = ""
    try:
        with open("/proc/meminfo") as f:
            for line in f:
                if line.startswith("MemTotal:"):
                    memory = f", {int(line.split()[1]) / 1024 / 1024:.0f} GiB memory"
                    break
    except OSError:
        pass
    load = ""
    try:
        load = f"; load average {os.getloadavg()[0]:.1f} as the table was made"
    except OSError:
        pass
    return f"Machine: {model}, {os.cpu_count()} processors{memory}; Release build, offscreen{load}."


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Prints line and branch coverage per library from a gcovr JSON summary."""
import json
import sys

# (row title, path prefix, indented sub-row). A file counts for the first top-level row
# whose prefix it starts with, and for its sub-row too.
LIBRARIES = [
    ("utilities", "utilities/", False),
    ("appserver", "appserver/", False),
    ("memapi", "memapi/", False),
    ("transport", "transport/", False),
    ("console", "console/", False),
    ("model", "console/model/", True),
    ("bulk", "console/bulk/", True),
    ("libfile", "console/libfile/", True),
    ("memapi", "console/memapi/", True),
    ("remote", "console/remote/", True),
    ("genericeditor", "genericeditor/", False),
    # The ALSA sequencer backend runs only where /dev/snd/seq opens: a row of its own.
    ("platform ALSA backend", ("platform/AlsaMidiBackend", "platform/AlsaBackendPrivate",
                               "platform/AlsaClientReader", "platform/AlsaDelivery",
                               "platform/AlsaWriter", "platform/AlsaPortLists"), False),
    ("platform", "platform/", False),
    ("host", "host/", False),
    ("simulator", "simulator/", False),
    ("widgets", "widgets/", False),
    ("addons", "addons/", False),
    ("shell", "addons/shell/", True),
    ("mainlayer", "addons/mainlayer/", True),
    ("commondetail", "addons/commondetail/", True),
    ("partdetail", "addons/partdetail/", True),
    ("dialogs", "addons/dialogs/", True),
]
LOWER = {"utilities", "appserver", "memapi", "transport", "console", "genericeditor",
         "platform ALSA backend", "platform", "host", "simulator"}


def percent(covered, total):
    return f"{100.0 * covered / total:6.1f}" if total else "     -"


def main():
    with open(sys.argv[1]) as f:
        files = json.load(f)["files"]
    sums = {}
    totals = {"lower layers": [0, 0, 0, 0], "all": [0, 0, 0, 0]}

    def add(key, entry):
        s = sums.setdefault(key, [0, 0, 0, 0])
        s[0] += entry["line_covered"]
        s[1] += entry["line_total"]
        s[2] += entry["branch_covered"]
        s[3] += entry["branch_total"]

    for entry in files:
        name = entry["filename"]
        top = [r for r in LIBRARIES if not r[2] and name.startswith(r[1])]
        if not top:
            continue
        add(top[0][1], entry)
        for title, prefix, sub in LIBRARIES:
            if sub and name.startswith(prefix):
                add(prefix, entry)
        for key in (["lower layers"] if top[0][0] in LOWER else []) + ["all"]:
            t = totals[key]
            t[0] += entry["line_covered"]
            t[1] += entry["line_total"]
            t[2] += entry["branch_covered"]
            t[3] += entry["branch_total"]

    print(f"{'library':<22} {'lines %':>8} {'lines':>13} {'branches %':>11} {'branches':>13}")
    rows = [(("  " if sub else "") + title, sums.get(prefix)) for title, prefix, sub in LIBRARIES]
    rows += [(key, totals[key]) for key in ("lower layers", "all")]
    for title, s in rows:
        if not s:
            print(f"{title:<22} {'(no code)':>8}")
            continue
        print(f"{title:<22} {percent(s[0], s[1]):>8} {s[0]:>6}/{s[1]:<6} "
              f"{percent(s[2], s[3]):>11} {s[2]:>6}/{s[3]:<6}")


if __name__ == "__main__":
    main()

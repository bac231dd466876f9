#!/usr/bin/env python3
"""Generates the TOVAR-VANTREL memory-map templates and the parameter tables of the
memory-map document from the tables below.

    python3 data/tools/generate_templates.py        (from the repository root)

Writes data/VEXMOOR/TOVAR-VANTREL/METOVAR-VANTREL.tpm,
data/VEXMOOR/TOVAR-VANTREL/TOVAR-VANTREL(Voice)/VETOVAR-VANTREL.tpm, parts.ini,
PresetBankInfo.ini and the board files in PlugIn/ beside them, the generated part of
data/TOVAR-VANTREL-memory-map.md and simulator/SimPresetNames.cpp (the simulated
instrument's copy of the document's preset-name table); old_voice_tables.py writes the
voice effect types and the older voice files' conversion tables (document section 5.5 and
console/libfile/converters/OldVoiceTables.cpp). Template syntax rules kept here: no blanks around '=',
no value holds both '[' and ']', no empty inner token, lines below 512 characters.
"""
import os
import sys

import old_voice_tables
import surface_tables

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = os.path.join(ROOT, "VEXMOOR", "TOVAR-VANTREL")
MULTI_TPM = os.path.join(DATA, "METOVAR-VANTREL.tpm")
VOICE_TPM = os.path.join(DATA, "TOVAR-VANTREL(Voice)", "VETOVAR-VANTREL.tpm")
DOC = os.path.join(ROOT, "TOVAR-VANTREL-memory-map.md")

NONE = 65535

# ---------------------------------------------------------------- value tables
# Display tables: name -> (key length, rows as (data-form key, text)).
DISP_TABLES = []


def disp_table(name, rows, szprm=1):
    DISP_TABLES.append((name, szprm, rows))
    return 100 + len(DISP_TABLES) - 1


def enum_rows(texts):
    return [("%02X" % i, t) for i, t in enumerate(texts)]


NOTE_NAMES = ["C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"]

D_OFFON = disp_table("OffOn", enum_rows(["Off", "On"]))
D_NOTE = disp_table("NoteName", [("%02X" % n, "%s%d" % (NOTE_NAMES[n % 12], n // 12 - 2))
                                 for n in range(128)])
D_RCVCH = disp_table("RcvCh", enum_rows([str(i + 1) for i in range(16)] + ["Off"]))
D_PARTMODE = disp_table("PartMode", enum_rows(["Normal", "Drum", "Drum S1", "Drum S2"]))
D_MONOPOLY = disp_table("MonoPoly", enum_rows(["Mono", "Poly"]))
D_PORTAMODE = disp_table("PortaMode", enum_rows(["Fingered", "Fulltime"]))

# ---------------------------------------------------------------- preset voice names
# Invented words; joined with a category noun they give the preset names. None of
# them is the name of a real instrument, maker or preset.
WORDS = ["Tovik", "Vantr", "Quill", "Morva", "Selka", "Ivren", "Dulan", "Kesso", "Orrin",
         "Phael", "Rundo", "Zeral", "Ambet", "Fenu", "Garo", "Hivel", "Lusk", "Nemo",
         "Ostra", "Pell", "Sirn", "Ulva", "Wend", "Yarro", "Ivo", "Kael", "Tarn", "Dova", "Cass",
         "Reth", "Oma", "Sul"]
CATEGORY_CODES = ["--", "Ap", "Kb", "Or", "Gt", "Ba", "St", "Br", "Rp", "Ld", "Pd", "Sc", "Cp",
                  "Dr", "Se", "Me", "Co"]
NOUNS = {1: ["Piano", "Grand", "Upr"], 2: ["EP", "Keys", "Clavi"], 3: ["Organ", "Bar"],
         4: ["Gtr", "Nylon", "Steel"], 5: ["Bass", "Sub", "Fret"], 6: ["Str", "Ensem"],
         7: ["Brass", "Horns"], 8: ["Reed", "Sax", "Flute"], 9: ["Lead", "Solo"],
         10: ["Pad", "Choir", "Drift"], 11: ["Comp", "Pulse"], 12: ["Perc", "Tuned", "Bells"],
         13: ["Kit", "Drums", "Room", "Dry", "Live", "Hits", "Beat", "Brush"], 14: ["FX", "Noise"], 15: ["Arp", "Seq", "Loop"], 16: ["Combi", "Layer"]}
NORMAL_CODES = [1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14, 15, 16]


def name_bank(count, codes_of, seed):
    """(name, category code) per voice: a word and a noun of the voice's category, at
    most 10 characters, unique inside the bank (a number is added when the pairs run out)."""
    out, seen = [], set()
    for v in range(count):
        code = codes_of(v)
        nouns = NOUNS[code]
        tries = len(WORDS) * len(nouns)
        name = None
        for k in range(tries):
            word = WORDS[(v * 7 + seed * 5 + k) % len(WORDS)]
            noun = nouns[(v + k // len(WORDS)) % len(nouns)]
            cand = "%s %s" % (word, noun)
            if len(cand) <= 10 and cand.upper() not in seen:
                name = cand
                break
        n = 2
        while name is None:
            word = WORDS[(v * 7 + seed * 5) % len(WORDS)]
            cand = "%s %s %d" % (word, nouns[v % len(nouns)], n)
            cand = cand if len(cand) <= 10 else "%s %d" % (word, n)
            if cand.upper() not in seen:
                name = cand
            n += 1
        assert len(name) <= 10 and all(0x20 <= ord(c) <= 0x7E for c in name), name
        seen.add(name.upper())
        out.append((name, code))
    return out


PRESET_BANKS = []  # (voice-map category name, short name, MSB, LSB, voice type, voices)
for _b in range(8):
    PRESET_BANKS.append(("Normal Preset %d" % (_b + 1), "PRE%d" % (_b + 1), 0x00, _b, 0,
                         name_bank(128, lambda v, b=_b: NORMAL_CODES[(v // 8 + b) % len(NORMAL_CODES)], _b)))
PRESET_BANKS.append(("Drum Preset", "PDR", 0x7F, 0x00, 1, name_bank(128, lambda v: 13, 9)))
D_PRESET_NAMES = [disp_table("PresetName%d" % (i + 1) if i < 8 else "PresetNameDrum",
                             [("%02X" % v, n) for v, (n, _) in enumerate(bank[5])])
                  for i, bank in enumerate(PRESET_BANKS)]
assert D_PRESET_NAMES == [100 + 6 + i for i in range(9)], D_PRESET_NAMES
D_OUTSEL = disp_table("OutputSel", enum_rows(["Main", "Assign L", "Assign R", "Assign L+R"]))
D_ARPKEY = disp_table("ArpKeyMode", enum_rows(["Sort", "Thru", "Direct", "Sort+Direct"]))
D_ARPVELO = disp_table("ArpVeloMode", enum_rows(["Original", "Thru"]))
D_ARPTIMING = disp_table("ArpChangeTiming", enum_rows(["Realtime", "Measure"]))
D_ARPQUANT = disp_table("ArpQuantValue", enum_rows(
    ["1/32", "1/16 Tri", "1/16", "1/8 Tri", "1/8", "1/4 Tri", "1/4", "1/2"]))
D_ARPUNIT = disp_table("ArpUnitMulti", enum_rows(["50%", "66%", "75%", "100%", "133%", "150%", "200%"]))
D_KNOB = disp_table("KnobFunction", enum_rows(
    ["Off", "Cutoff", "Resonance", "Attack", "Release", "Pan", "Reverb", "Chorus", "Assign"]))
D_EQSHAPE = disp_table("EQShape", enum_rows(["Shelving", "Peaking"]))

# Two-byte effect types: MIDI pairs, dense index in the data form (user assign styles).
REV_TYPES = [((0x00, 0x00), "No Effect"), ((0x01, 0x00), "Hall Bright"),
             ((0x01, 0x01), "Hall Dark"), ((0x02, 0x00), "Room Small"),
             ((0x02, 0x01), "Room Large"), ((0x03, 0x00), "Stage Wide"),
             ((0x04, 0x00), "Plate Steel"), ((0x05, 0x00), "Spring Tank")]
CHO_TYPES = [((0x00, 0x00), "No Effect"), ((0x41, 0x00), "Chorus Soft"),
             ((0x41, 0x01), "Chorus Deep"), ((0x42, 0x00), "Flanger Jet"),
             ((0x43, 0x00), "Phaser Slow"), ((0x44, 0x00), "Ensemble"),
             ((0x45, 0x00), "Delay L/R"), ((0x46, 0x00), "Echo Tape")]
EF_TYPES = [((0x00, 0x00), "Thru"), ((0x01, 0x00), "Compressor"),
            ((0x02, 0x00), "Limiter"), ((0x03, 0x00), "Lo-Fi Grit"),
            ((0x04, 0x00), "Ring Mod"), ((0x05, 0x00), "Slicer"),
            ((0x06, 0x00), "Tape Warmth")]

D_REVTYPE = disp_table("RevType", [("%02X" % i, t[1]) for i, t in enumerate(REV_TYPES)])
D_CHOTYPE = disp_table("ChoType", [("%02X" % i, t[1]) for i, t in enumerate(CHO_TYPES)])
D_EFTYPE = disp_table("EFType", [("%02X" % i, t[1]) for i, t in enumerate(EF_TYPES)])
D_BOARDNAME = disp_table("PlugInBoardName", [("0", "----------")], szprm=0)
D_BOARDFILE = disp_table("PlugInVoiceFileName", [("0", "----------")], szprm=0)
D_CATEGORY = disp_table("VoiceCategory", enum_rows(
    ["--", "Ap", "Kb", "Or", "Gt", "Ba", "St", "Br", "Rp", "Ld", "Pd", "Sc", "Cp", "Dr",
     "Se", "Me", "Co"]))


# Name lists of this instrument: an invented word and a noun of the list's own, the
# noun changing every len(WORDS) entries and a number added once the pairs run out.
def word_noun_names(count, nouns):
    names = []
    for i in range(count):
        pair = "%s %s" % (WORDS[i % len(WORDS)], nouns[(i // len(WORDS)) % len(nouns)])
        turn = i // (len(WORDS) * len(nouns))
        names.append(pair if turn == 0 else "%s %d" % (pair, turn + 1))
    assert len(set(n.upper() for n in names)) == count
    assert all(len(n) <= 16 and all(0x20 <= ord(c) <= 0x7E for c in n) for n in names)
    return names


# Two-byte values (assign style 4) are keyed by their 14-bit number, "%04X".
def number_rows(texts, first=0):
    return [("%04X" % (first + i), t) for i, t in enumerate(texts)]


def midi14(v):
    return [(v >> 7) & 0x7F, v & 0x7F]


# Arpeggio types: presets 0..1786, user types 8192..8447, 16383 none.
ARP_NOUNS = ["Run", "Climb", "Fall", "Pulse", "Strum", "Riff", "Step", "Roll", "Walk", "Chord",
             "Trill", "Bounce", "Skip", "Gate", "Loop", "Spin"]
ARP_PRESETS, ARP_USER_FIRST, ARP_USERS, ARP_NONE = 1787, 8192, 256, 16383
D_ARPTYPE = disp_table("ArpType", number_rows(word_noun_names(ARP_PRESETS, ARP_NOUNS))
                       + number_rows(["User %d" % (u + 1) for u in range(ARP_USERS)], ARP_USER_FIRST)
                       + number_rows(["No Type"], ARP_NONE), szprm=2)
# The waves of the elements and drum keys (two-byte wave numbers).
WAVE_NOUNS = ["Piano", "Keys", "Organ", "Guitar", "Bass", "Strings", "Brass", "Reed", "Pipe",
              "Synth", "Pad", "Choir", "Mallet", "Bell", "Kick", "Snare", "Hat", "Perc", "Hit",
              "Noise"]
WAVE_COUNT = 600
D_WAVE = disp_table("WaveName", number_rows(word_noun_names(WAVE_COUNT, WAVE_NOUNS)), szprm=2)
# The phrases a voice is auditioned with.
PHRASE_NOUNS = ["Groove", "Ballad", "Shuffle", "March", "Waltz", "Stomp", "Swing", "Drift"]
PHRASE_COUNT = 100
D_PHRASE = disp_table("AuditionPhrase", enum_rows(word_noun_names(PHRASE_COUNT, PHRASE_NOUNS)))


# Equaliser frequencies: register n is 20 Hz x 2^(n/6), a sixth of an octave a step.
def eq_hz(n):
    return 20.0 * 2.0 ** (n / 6.0)


# The master equaliser's page labels its frequencies in kHz, a part's in Hz: the texts
# are plain numbers in that unit, three figures where they fit.
def eq_khz_text(n):
    khz = eq_hz(n) / 1000.0
    return "%.3f" % khz if khz < 0.1 else "%.2f" % khz if khz < 1.0 else "%.1f" % khz


def eq_hz_text(n):
    return "%d" % round(eq_hz(n))


EQ_FREQ_LOW, EQ_FREQ_HIGH = 0x04, 0x3A
D_EQFREQ_KHZ = disp_table("EQFrequencykHz", [("%02X" % n, eq_khz_text(n))
                                             for n in range(EQ_FREQ_LOW, EQ_FREQ_HIGH + 1)])
D_EQFREQ_HZ = disp_table("EQFrequencyHz", [("%02X" % n, eq_hz_text(n))
                                           for n in range(EQ_FREQ_LOW, EQ_FREQ_HIGH + 1)])
for _t in (D_EQFREQ_KHZ, D_EQFREQ_HZ):
    assert len(set(t for _, t in DISP_TABLES[_t - 100][2])) == EQ_FREQ_HIGH - EQ_FREQ_LOW + 1

# User assign styles: 100 + index.
ASSIGN_TABLES = []  # (section name, width, entries as hex strings)


def assign_table(name, width, entries):
    ASSIGN_TABLES.append((name, width, entries))
    return 100 + len(ASSIGN_TABLES) - 1


A_REVTYPE = assign_table("RevTypeTbl", 2, ["%02X%02X" % t[0] for t in REV_TYPES])
A_CHOTYPE = assign_table("ChoTypeTbl", 2, ["%02X%02X" % t[0] for t in CHO_TYPES])
A_EFTYPE = assign_table("EFTypeTbl", 2, ["%02X%02X" % t[0] for t in EF_TYPES])
A_BOARDTYPE = assign_table("PlugInBoardType", 3, ["000000"])

# ---------------------------------------------------------------- parameters
# A parameter: (offset, size, name, min bytes, max bytes, default bytes, assign, disp, link)


def P(off, name, lo, hi, de, disp=0, asg=0, link=NONE, size=1):
    def b(v):
        if isinstance(v, (list, tuple)):
            return list(v)
        return [v] if size == 1 else [(v >> (7 * (size - 1 - i))) & 0x7F for i in range(size)]
    return dict(off=off, size=size, name=name, lo=b(lo), hi=b(hi), de=b(de), asg=asg,
                disp=disp, link=link)


def fill_reserved(params, nbytes):
    """Every byte of a block has a line: reserved bytes get dummy parameters."""
    used = set()
    for p in params:
        for j in range(p["size"]):
            assert p["off"] + j not in used, (p["name"], p["off"])
            used.add(p["off"] + j)
    out = list(params)
    for o in range(nbytes):
        if o not in used:
            out.append(P(o, "Reserved", 0, 0, 0, disp=NONE))
    out.sort(key=lambda p: p["off"])
    assert all(p["off"] + p["size"] <= nbytes for p in out)
    return out


def common_params():
    name = "Init Multi"
    # Up to ten characters 20..7E; a shorter name ends with 00 and is 00 to the end
    # (the editor writes it so), so 00 is in range too.
    ps = [P(i, "Multi Name %d" % (i + 1), 0x00, 0x7E, ord(name[i])) for i in range(10)]
    ps += [
        P(0x11, "ARP MIDI Out Switch", 0, 1, 0, D_OFFON),
        P(0x12, "ARP MIDI Out Channel", 0, 15, 0, 3),
        P(0x13, "ARP Part", 0, 15, 0, 3),
        P(0x14, "ARP Type", [0, 0], [0x7F, 0x7F], [0, 0], D_ARPTYPE, 4, size=2),
        P(0x16, "ARP Switch", 0, 1, 0, D_OFFON),
        P(0x17, "ARP Hold", 0, 1, 0, D_OFFON),
        P(0x18, "ARP Unit Multiply", 0, 6, 3, D_ARPUNIT),
        P(0x19, "ARP Note Limit Low", 0, 0x7F, 0, D_NOTE),
        P(0x1A, "ARP Note Limit High", 0, 0x7F, 0x7F, D_NOTE),
        P(0x1B, "ARP Velocity Limit Low", 1, 0x7F, 1),
        P(0x1C, "ARP Velocity Limit High", 1, 0x7F, 0x7F),
        P(0x1D, "ARP Key Mode", 0, 3, 0, D_ARPKEY),
        P(0x1E, "ARP Velocity Mode", 0, 1, 0, D_ARPVELO),
        P(0x1F, "ARP Change Timing", 0, 1, 0, D_ARPTIMING),
        P(0x20, "ARP Quantize Value", 0, 7, 4, D_ARPQUANT),
        P(0x21, "ARP Quantize Strength", 0, 100, 100),
        P(0x22, "ARP Velocity Rate", 0, 200, 100, 0, 4, size=2),
        P(0x24, "ARP Gate Time Rate", 0, 200, 100, 0, 4, size=2),
        P(0x26, "ARP Swing", 0x10, 0x70, 0x40, 8),
        P(0x28, "ARP Tempo", 5, 300, 120, 0, 4, size=2),
    ]
    for i in range(5):
        ps.append(P(0x2A + 2 * i, "ARP SF%d Type" % (i + 1), [0, 0], [0x7F, 0x7F], [0x7F, 0x7F],
                    D_ARPTYPE, 4, size=2))
    ps += [
        P(0x3E, "Knob A Function", 0, 8, 1, D_KNOB),
        P(0x3F, "Knob B Function", 0, 8, 2, D_KNOB),
        P(0x41, "EQ Low Gain", 0x34, 0x4C, 0x40, 8),
        P(0x42, "EQ Low Mid Gain", 0x34, 0x4C, 0x40, 8),
        P(0x43, "EQ High Mid Gain", 0x34, 0x4C, 0x40, 8),
        P(0x44, "EQ High Gain", 0x34, 0x4C, 0x40, 8),
        P(0x45, "Assign 1 Value", 0, 0x7F, 0x40, 8),
        P(0x46, "Assign 2 Value", 0, 0x7F, 0x40, 8),
        P(0x58, "Assign 1 Control Number", 0, 0x5F, 0x10),
        P(0x59, "Assign 2 Control Number", 0, 0x5F, 0x11),
        P(0x5A, "Breath Control Number", 0, 0x5F, 0x02),
        P(0x5B, "Foot Control 2 Number", 0, 0x5F, 0x0B),
        P(0x5C, "Foot Control 1 Number", 0, 0x5F, 0x04),
        P(0x5E, "Ribbon Control Number", 0, 0x5F, 0x20),
        P(0x60, "Insertion Part Switch", [0, 0, 0], [0x0F, 0x7F, 0x7F], [0, 0, 0], 0, 7, size=3),
    ]
    return fill_reserved(ps, 101)


EFFECT_PARAMS = {
    # type name -> list of (param name, min, max, default, display style)
    "Hall Bright": [("Reverb Time", 3, 69, 35, 6), ("Diffusion", 0, 10, 10, 0),
                    ("Initial Delay", 0, 63, 8, 0), ("HPF Cutoff", 0, 52, 0, 0),
                    ("LPF Cutoff", 34, 60, 54, 0)],
    "Hall Dark": [("Reverb Time", 3, 69, 45, 6), ("Diffusion", 0, 10, 8, 0),
                  ("Initial Delay", 0, 63, 16, 0), ("LPF Cutoff", 34, 60, 44, 0)],
    "Room Small": [("Reverb Time", 3, 40, 10, 6), ("Diffusion", 0, 10, 10, 0),
                   ("Room Size", 0, 44, 10, 0)],
    "Room Large": [("Reverb Time", 3, 40, 25, 6), ("Diffusion", 0, 10, 10, 0),
                   ("Room Size", 0, 44, 30, 0)],
    "Stage Wide": [("Reverb Time", 3, 69, 30, 6), ("Width", 0, 127, 100, 0)],
    "Plate Steel": [("Reverb Time", 3, 69, 20, 6), ("Brightness", 0, 127, 80, 0)],
    "Spring Tank": [("Decay", 0, 127, 60, 0), ("Drip", 0, 127, 40, 0)],
    "Chorus Soft": [("LFO Frequency", 0, 127, 12, 0), ("LFO Depth", 0, 127, 40, 0),
                    ("Feedback", 0x40 - 63, 0x40 + 63, 0x40, 8)],
    "Chorus Deep": [("LFO Frequency", 0, 127, 8, 0), ("LFO Depth", 0, 127, 90, 0),
                    ("Feedback", 0x40 - 63, 0x40 + 63, 0x48, 8)],
    "Flanger Jet": [("LFO Frequency", 0, 127, 4, 0), ("LFO Depth", 0, 127, 70, 0),
                    ("Feedback", 0x40 - 63, 0x40 + 63, 0x60, 8), ("Delay Offset", 0, 63, 10, 0)],
    "Phaser Slow": [("LFO Frequency", 0, 127, 3, 0), ("LFO Depth", 0, 127, 64, 0),
                    ("Stages", 0, 5, 3, 0)],
    "Ensemble": [("Spread", 0, 127, 80, 0)],
    "Delay L/R": [("Delay Time L", 1, 7000, 2500, 6), ("Delay Time R", 1, 7000, 3750, 6),
                  ("Feedback", 0x40 - 63, 0x40 + 63, 0x50, 8)],
    "Echo Tape": [("Delay Time", 1, 7000, 3000, 6), ("Feedback", 0x40 - 63, 0x40 + 63, 0x58, 8),
                  ("Wow", 0, 127, 20, 0)],
    "Compressor": [("Threshold", 0, 127, 80, 0), ("Ratio", 0, 7, 3, 0), ("Attack", 0, 19, 5, 0),
                   ("Release", 0, 15, 8, 0), ("Output Level", 0, 127, 100, 0)],
    "Limiter": [("Threshold", 0, 127, 100, 0), ("Release", 0, 15, 4, 0)],
    "Lo-Fi Grit": [("Sample Rate", 0, 31, 8, 0), ("Word Length", 1, 16, 8, 0)],
    "Ring Mod": [("Frequency", 0, 127, 64, 0), ("Depth", 0, 127, 100, 0)],
    "Slicer": [("Rate", 0, 15, 6, 0), ("Depth", 0, 127, 127, 0)],
    "Tape Warmth": [("Drive", 0, 127, 40, 0), ("Tone", 0, 127, 64, 0)],
}


def effect_params(types, asg, disp, link, nbytes, extra):
    ps = [P(0, "Type", [0, 0], [0x7F, 0x7F], [0, 0], disp, asg, link, size=2)]
    for i in range(16):
        ps.append(P(2 + 2 * i, "Parameter %d" % (i + 1), [0, 0], [0x7F, 0x7F], [0, 0], NONE, 4,
                    size=2))
    ps += extra
    return fill_reserved(ps, nbytes)


def eq_params():
    ps = []
    for band, base in ((1, 0), (2, 4), (3, 8), (4, 12), (5, 16)):
        ps.append(P(base, "EQ%d Gain" % band, 0x34, 0x4C, 0x40, 8))
        ps.append(P(base + 1, "EQ%d Frequency" % band, 4, 0x3A, [0x08, 0x14, 0x1C, 0x28, 0x34][band - 1],
                    D_EQFREQ_KHZ))
        ps.append(P(base + 2, "EQ%d Q" % band, 1, 0x78, 7, 6))
    ps.append(P(3, "EQ1 Shape", 0, 1, 0, D_EQSHAPE))
    ps.append(P(19, "EQ5 Shape", 0, 1, 0, D_EQSHAPE))
    return fill_reserved(ps, 20)


def part_params(p):
    ps = [
        P(0x00, "Bank Select MSB", 0, 0x7F, 0), P(0x01, "Bank Select LSB", 0, 0x7F, 0, link=LINK_VOICE),
        P(0x02, "Program Number", 0, 0x7F, 0, 3),
        P(0x03, "Receive Channel", 0, 0x10, p, D_RCVCH),
        P(0x04, "Part Mode", 0, 3, 0, D_PARTMODE),
        P(0x05, "Velocity Limit Low", 1, 0x7F, 1), P(0x06, "Velocity Limit High", 1, 0x7F, 0x7F),
        P(0x07, "Note Limit Low", 0, 0x7F, 0, D_NOTE), P(0x08, "Note Limit High", 0, 0x7F, 0x7F, D_NOTE),
        P(0x09, "Pitch Bend Range Upper", 0x10, 0x58, 0x42, 8),
        P(0x0A, "Pitch Bend Range Lower", 0x10, 0x58, 0x3E, 8),
        P(0x0B, "Velocity Sense Depth", 0, 0x7F, 0x40), P(0x0C, "Velocity Sense Offset", 0, 0x7F, 0x40),
        P(0x0D, "Volume", 0, 0x7F, 0x64), P(0x0E, "Pan", 0, 0x7F, 0x40, 8),
        P(0x0F, "Mono/Poly", 0, 1, 1, D_MONOPOLY), P(0x10, "Detune", 0, 0x7F, 0x40, 8),
        P(0x11, "ARP Key Channel", 0, 0x0F, 0, 3),
        P(0x12, "Reverb Send", 0, 0x7F, 0x28), P(0x13, "Chorus Send", 0, 0x7F, 0),
        P(0x15, "Dry Level", 0, 0x7F, 0x7F), P(0x16, "Note Shift", 0x28, 0x58, 0x40, 8),
        P(0x17, "Cutoff", 0, 0x7F, 0x40, 8), P(0x18, "Resonance", 0, 0x7F, 0x40, 8),
        P(0x1A, "Portamento Switch", 0, 1, 0, D_OFFON), P(0x1B, "Portamento Time", 0, 0x7F, 0),
        P(0x1C, "Portamento Mode", 0, 1, 0, D_PORTAMODE), P(0x1E, "Output Select", 0, 3, 0, D_OUTSEL),
        P(0x1F, "Receive Switch 1", 0, 0x7F, 0x7E), P(0x20, "Receive Switch 2", 0, 0x7F, 0x2B),
        P(0x21, "Receive Switch 3", 0, 0x7F, 0x7F),
        P(0x22, "AEG Decay 2 Level", 0, 0x7F, 0x40, 8), P(0x23, "AEG Attack Time", 0, 0x7F, 0x40, 8),
        P(0x24, "Voice Pan Switch", 0, 1, 1, D_OFFON), P(0x25, "AEG Decay 2 Time", 0, 0x7F, 0x40, 8),
        P(0x26, "AEG Release Time", 0, 0x7F, 0x40, 8), P(0x27, "FEG Decay 2 Level", 0, 0x7F, 0x40, 8),
        P(0x28, "FEG Attack Time", 0, 0x7F, 0x40, 8), P(0x2A, "FEG Decay 2 Time", 0, 0x7F, 0x40, 8),
        P(0x2B, "FEG Release Time", 0, 0x7F, 0x40, 8), P(0x2C, "FEG Depth", 0, 0x7F, 0x40, 8),
        P(0x2E, "EQ Low Frequency", 4, 0x28, 0x0E, D_EQFREQ_HZ), P(0x30, "EQ Low Gain", 0x34, 0x4C, 0x40, 8),
        P(0x32, "EQ Mid Frequency", 0x0E, 0x36, 0x1C, D_EQFREQ_HZ), P(0x34, "EQ Mid Gain", 0x34, 0x4C, 0x40, 8),
        P(0x35, "EQ Resonance", 0x0A, 0x78, 0x0A, 6), P(0x36, "EQ High Frequency", 0x1C, 0x3A, 0x34, D_EQFREQ_HZ),
        P(0x38, "EQ High Gain", 0x34, 0x4C, 0x40, 8),
    ]
    return fill_reserved(ps, 58)


def plugin_part_params(b):
    ps = [P(0x00, "Receive Channel", 0, 0x10, b, D_RCVCH), P(0x01, "Volume", 0, 0x7F, 0x64),
          P(0x02, "Pan", 0, 0x7F, 0x40, 8), P(0x03, "Reverb Send", 0, 0x7F, 0x28),
          P(0x04, "Chorus Send", 0, 0x7F, 0), P(0x05, "Dry Level", 0, 0x7F, 0x7F),
          P(0x06, "Note Shift", 0x28, 0x58, 0x40, 8), P(0x07, "Detune", 0, 0x7F, 0x40, 8),
          P(0x08, "Cutoff", 0, 0x7F, 0x40, 8), P(0x09, "Resonance", 0, 0x7F, 0x40, 8),
          P(0x0A, "Attack Time", 0, 0x7F, 0x40, 8), P(0x0B, "Decay Time", 0, 0x7F, 0x40, 8),
          P(0x0C, "Release Time", 0, 0x7F, 0x40, 8), P(0x0D, "Velocity Sense Depth", 0, 0x7F, 0x40),
          P(0x0E, "Velocity Sense Offset", 0, 0x7F, 0x40),
          P(0x0F, "Pitch Bend Range Upper", 0x10, 0x58, 0x42, 8),
          P(0x10, "Pitch Bend Range Lower", 0x10, 0x58, 0x3E, 8),
          P(0x11, "Note Limit Low", 0, 0x7F, 0, D_NOTE), P(0x12, "Note Limit High", 0, 0x7F, 0x7F, D_NOTE),
          P(0x13, "Velocity Limit Low", 1, 0x7F, 1), P(0x14, "Velocity Limit High", 1, 0x7F, 0x7F)]
    return fill_reserved(ps, 30)


LINK_REV, LINK_CHO, LINK_EF, LINK_VOICE = 0, 1, 2, 3

# The part parameters a drum voice lacks: (offset, name, min, max, assign, display).
# A drum voice has no filter envelope depth and no filter envelope sustain: its notes
# are not held, neither by the envelope nor by the sustain pedal. The editor hides the
# part's sustain receive switch (switch 11) exactly while 37 pp 27 has no control, in
# the part detail window and on the surface alike.
DRUM_LACKS = [(0x27, "FEG Decay 2 Level", 0x00, 0x7F, 0, 8), (0x2C, "FEG Depth", 0x00, 0x7F, 0, 8)]

MULTI_BLOCKS = []  # (section, name, address bytes, size, params, in multi dump)
MULTI_BLOCKS.append(("SYSTEM", "SYSTEM", (0x00, 0x00, 0x00), 1,
                     [P(0, "Master Volume", 0, 0x7F, 0x7F)], False))
MULTI_BLOCKS.append(("COMMON", "COMMON", (0x36, 0x00, 0x00), 101, common_params(), True))
MULTI_BLOCKS.append(("REVERB", "REVERB", (0x36, 0x01, 0x00), 36, effect_params(
    REV_TYPES, A_REVTYPE, D_REVTYPE, LINK_REV, 36,
    [P(34, "Reverb Return", 0, 0x7F, 0x40), P(35, "Reverb Pan", 1, 0x7F, 0x40, 8)]), True))
MULTI_BLOCKS.append(("CHORUS", "CHORUS", (0x36, 0x02, 0x00), 37, effect_params(
    CHO_TYPES, A_CHOTYPE, D_CHOTYPE, LINK_CHO, 37,
    [P(34, "Chorus Return", 0, 0x7F, 0x40), P(35, "Chorus Pan", 1, 0x7F, 0x40, 8),
     P(36, "Chorus To Reverb", 0, 0x7F, 0)]), True))
MULTI_BLOCKS.append(("MASTER_EQ", "MASTER EQ", (0x36, 0x10, 0x00), 20, eq_params(), True))
MULTI_BLOCKS.append(("MASTER_EF", "MASTER EF", (0x36, 0x11, 0x00), 35, effect_params(
    EF_TYPES, A_EFTYPE, D_EFTYPE, LINK_EF, 35,
    [P(34, "Master Effect Switch", 0, 1, 1, D_OFFON)]), True))
for _p in range(16):
    MULTI_BLOCKS.append(("PART_%d" % (_p + 1), "PART %d" % (_p + 1), (0x37, _p, 0x00), 58,
                         part_params(_p), True))
for _b in range(2):
    MULTI_BLOCKS.append(("PLG_PART_%d" % (_b + 1), "PLG PART %d" % (_b + 1), (0x38, _b, 0x00), 30,
                         plugin_part_params(_b), True))
# The native parameters of the plug-in voice in the voice edit buffer (the instrument
# maps 39 00 nn onto 48 00 20+nn). Neutral here; a fitted board's file describes the
# same block with its own names, ranges and tables. Not part of the multi dump.
NATIVE_SIZE = 71
NATIVE_ADDRESS = (0x39, 0x00, 0x00)


def native_params(named=()):
    ps = list(named)
    used = set(p["off"] for p in ps)
    ps += [P(o, "Native Parameter %02X" % o, 0, 0x7F, 0) for o in range(NATIVE_SIZE) if o not in used]
    ps.sort(key=lambda p: p["off"])
    return ps


MULTI_BLOCKS.append(("PLG_NATIVE", "PLG NATIVE", NATIVE_ADDRESS, NATIVE_SIZE, native_params(), False))
# Effect types carry their links.
for blk in MULTI_BLOCKS:
    if blk[0] in ("REVERB", "CHORUS", "MASTER_EF"):
        t = blk[4][0]
        t["asg"], t["disp"], t["link"] = {
            "REVERB": (A_REVTYPE, D_REVTYPE, LINK_REV), "CHORUS": (A_CHOTYPE, D_CHOTYPE, LINK_CHO),
            "MASTER_EF": (A_EFTYPE, D_EFTYPE, LINK_EF)}[blk[0]]

# ---------------------------------------------------------------- voice map


def generic(nbytes, named=()):
    ps = list(named)
    used = set()
    for p in ps:
        for j in range(p["size"]):
            used.add(p["off"] + j)
    for o in range(nbytes):
        if o not in used:
            ps.append(P(o, "Parameter %02X" % o, 0, 0x7F, 0))
    ps.sort(key=lambda p: p["off"])
    return ps


def vce_common():
    name = "Init Voice"
    # Up to ten characters 20..7E: the instrument pads its names with 20, the editor
    # ends the name it gives the edit voice with 00 to the tenth byte, so 00 is in
    # range too.
    ps = [P(i, "Voice Name %d" % (i + 1), 0x00, 0x7E, ord(name[i])) for i in range(10)]
    ps.append(P(0x0A, "Voice Category", 0, 0x10, 0, D_CATEGORY))
    ps.append(P(0x0B, "Voice Volume", 0, 0x7F, 0x64))
    ps.append(P(0x0C, "Voice Pan", 1, 0x7F, 0x40, 8))
    ps.append(P(0x0D, "Audition Phrase Number", 0, PHRASE_COUNT - 1, 0, D_PHRASE))
    # What a part takes over from the voice it selects (the copy rules); the defaults
    # are the part's, so selecting an initial voice changes nothing.
    ps.append(P(0x0E, "Mono/Poly", 0, 1, 1, D_MONOPOLY))
    ps.append(P(0x0F, "Portamento Switch", 0, 1, 0, D_OFFON))
    ps.append(P(0x10, "Portamento Time", 0, 0x7F, 0))
    ps.append(P(0x11, "Portamento Mode", 0, 1, 0, D_PORTAMODE))
    ps.append(P(0x12, "Pitch Bend Range Upper", 0x10, 0x58, 0x42, 8))
    # 13-15 and 2A-33 hold the voice's arpeggio references (the old-file converters
    # rewrite them), so the lower bend range sits at 16.
    ps.append(P(0x16, "Pitch Bend Range Lower", 0x10, 0x58, 0x3E, 8))
    return generic(82, ps)


def reference():
    return [P(0, "Reference 1", 0, 0x7F, 0), P(1, "Reference 2", 0, 0x7F, 0),
            P(2, "Reference 3", 0, 0x7F, 0x40), P(3, "Reference 4", 0, 0x7F, 0x40)]


# A wave is one 14-bit number (hi x 80 + lo) into the instrument's wave list.
def wave_number(off, name):
    return P(off, name, [0, 0], midi14(WAVE_COUNT - 1), [0, 0], D_WAVE, 4, size=2)


def element_a(e):
    return generic(80, [P(0, "Element Switch", 0, 1, 1 if e == 0 else 0, D_OFFON),
                        wave_number(2, "Wave Number")])


def drum_key(k):
    return generic(50, [wave_number(1, "Key Wave Number"), P(3, "Key Level", 0, 0x7F, 0x64),
                        P(4, "Key Pan", 0, 0x7F, 0x40, 8)])


VOICE_BLOCKS = []  # (section, name, address, size, params)
VOICE_BLOCKS.append(("VCE_COMMON", "VCE COMMON", (0x40, 0, 0), 82, vce_common()))
VOICE_BLOCKS.append(("NRM_COMMON_A", "NRM COMMON A", (0x41, 0x00, 0), 115, generic(115)))
VOICE_BLOCKS.append(("NRM_COMMON_B", "NRM COMMON B", (0x41, 0x01, 0), 115, generic(115)))
VOICE_BLOCKS.append(("NRM_REFERENCE", "NRM REFERENCE", (0x42, 0x00, 0), 4, reference()))
for _e in range(4):
    VOICE_BLOCKS.append(("ELEMENT_%d_A" % (_e + 1), "ELEMENT %d A" % (_e + 1), (0x44, _e, 0), 80,
                         element_a(_e)))
    VOICE_BLOCKS.append(("ELEMENT_%d_B" % (_e + 1), "ELEMENT %d B" % (_e + 1), (0x45, _e, 0), 79,
                         generic(79)))
VOICE_BLOCKS.append(("DRM_COMMON_A", "DRM COMMON A", (0x41, 0x10, 0), 92, generic(92)))
VOICE_BLOCKS.append(("DRM_COMMON_B", "DRM COMMON B", (0x41, 0x11, 0), 91, generic(91)))
VOICE_BLOCKS.append(("DRM_REFERENCE", "DRM REFERENCE", (0x42, 0x10, 0), 4, reference()))
for _k in range(73):
    VOICE_BLOCKS.append(("DRUM_KEY_%02X" % _k, "DRUM KEY %02X" % _k, (0x4A, _k, 0), 50, drum_key(_k)))
VOICE_BLOCKS.append(("DRM_TAIL_A", "DRM TAIL A", (0x4B, 0x00, 0), 110, generic(110)))
VOICE_BLOCKS.append(("DRM_TAIL_B", "DRM TAIL B", (0x4B, 0x01, 0), 109, generic(109)))
VOICE_BLOCKS.append(("PLG_COMMON_A", "PLG COMMON A", (0x41, 0x20, 0), 82, generic(82)))
VOICE_BLOCKS.append(("PLG_COMMON_B", "PLG COMMON B", (0x41, 0x21, 0), 82, generic(82)))
VOICE_BLOCKS.append(("PLG_REFERENCE", "PLG REFERENCE", (0x42, 0x20, 0), 4, reference()))
VOICE_BLOCKS.append(("PLG_BOARD_PART", "PLG BOARD PART", (0x48, 0x00, 0), 103, generic(103)))


def vb(section):
    for b in VOICE_BLOCKS:
        if b[0] == section:
            return b
    raise KeyError(section)


NORMAL_VOICE = ["VCE_COMMON", "NRM_COMMON_A", "NRM_COMMON_B", "NRM_REFERENCE"] + sum(
    (["ELEMENT_%d_A" % e, "ELEMENT_%d_B" % e] for e in range(1, 5)), [])
DRUM_VOICE = ["VCE_COMMON", "DRM_COMMON_A", "DRM_COMMON_B", "DRM_REFERENCE"] + [
    "DRUM_KEY_%02X" % k for k in range(73)] + ["DRM_TAIL_A", "DRM_TAIL_B"]
PLUGIN_VOICE = ["VCE_COMMON", "PLG_COMMON_A", "PLG_COMMON_B", "PLG_REFERENCE", "PLG_BOARD_PART"]

# The multi map addresses the instrument's whole edit memory: the voice edit buffer's
# blocks as well (not part of the multi dump), so that the memory API's indexed
# parameters reach the voice being edited with their ranges and texts.
VOICE_SECTIONS = set(b[0] for b in VOICE_BLOCKS)
assert not VOICE_SECTIONS & set(b[0] for b in MULTI_BLOCKS)
MULTI_BLOCKS += [(b[0], b[1], b[2], b[3], b[4], False) for b in VOICE_BLOCKS]

# ---------------------------------------------------------------- writers


def hx(bs):
    return "".join("%02X" % b for b in bs)


class Tpm:
    def __init__(self):
        self.lines = []

    def sec(self, name):
        if self.lines:
            self.lines.append("")
        assert "[" not in name and "]" not in name and len(name) <= 63
        self.lines.append("[%s]" % name)

    def kv(self, key, value):
        value = str(value)
        assert not ("[" in value and "]" in value), value
        assert ";" not in value and "\t" not in value and ",," not in value, value
        line = "%s=%s" % (key, value)
        assert len(line) < 500, line
        self.lines.append(line)

    def comment(self, text):
        self.lines.append("; " + text)

    def text(self):
        return "\n".join(self.lines) + "\n"


def write_formats(t):
    t.sec("midi_format")
    t.kv("size", 4)
    t.kv("0", "0,1,2,3")
    t.kv("1", "4,4,4,4")
    t.kv("2", "5,5,5,5")
    t.kv("3", "6,6,6,6")
    layouts = [
        # name, midi_type, header, device pos, count pos, address pos, checksum start, adrsLen
        ("PrmChng", 0, "F043105C", 2, NONE, 4, NONE, 3),
        ("PrmReq", 0, "F043305C", 2, NONE, 4, NONE, 3),
        ("BulkReq", 0, "F043205C", 2, NONE, 4, NONE, 3),
        ("BulkOut", 0, "F043005C", 2, 4, 6, 4, 3),
        ("CtrlChng", 1, "B0", 0, NONE, 1, NONE, 1),
        ("PrgChng", 3, "C0", 0, NONE, 1, NONE, 1),
        ("PrmChngRule", 4, "F043105C", 2, NONE, 4, 4, 3),
    ]
    t.sec("midi_format_list")
    t.kv("size", len(layouts))
    for i, l in enumerate(layouts):
        t.kv(str(i), l[0])
    for name, mtype, header, dev, cnt, adr, cks, alen in layouts:
        t.sec(name)
        t.kv("midi_type", mtype)
        t.kv("midi_format", "%d,%s" % (len(header) // 2, header))
        t.kv("device_num_pos", dev)
        t.kv("byte_count_pos", cnt)
        t.kv("adrs_pos", adr)
        t.kv("checksum", "%d,0" % cks)
        t.kv("header", 0)
        t.kv("adrsLen", alen)
        t.kv("modify_flag", 0)


def write_block(t, section, name, adr, size, params):
    t.sec(section)
    t.kv("Name", name)
    t.kv("MemSize", size)
    t.kv("midi", "0")
    hi = (adr[0], adr[1], adr[2] + size - 1)
    t.kv("adrsInfoSize", 1)
    t.kv("info0", "%s,%s,000000,000000,0" % (hx(adr), hx(hi)))
    t.kv("BlkPrmSize", len(params))
    t.kv("size", size)
    line = 0
    for p in params:
        a = (adr[0], adr[1], p["off"])
        t.kv(str(line), "%s,0,%d,%d,%02X,%02X,%02X,%d,%d,%d,%s" % (
            hx(a), p["off"], p["size"], p["lo"][0], p["hi"][0], p["de"][0], p["asg"], p["disp"],
            p["link"], p["name"]))
        line += 1
        for j in range(1, p["size"]):
            t.kv(str(line), "%s,0,%d,%d,%02X,%02X,%02X" % (hx(a), p["off"], p["size"], p["lo"][j],
                                                         p["hi"][j], p["de"][j]))
            line += 1
    assert line == size, (section, line, size)
    assert len(params) <= 255


def drum_bank(msb, lsb):
    """Whether the bank select pair names a bank of drum voices."""
    presets = [(b[2], b[3]) for b in PRESET_BANKS if b[4] == 1]
    users = [(0x3F, USER_LSB[i]) for i, c in enumerate(USER_CATEGORIES) if c[2] == 1]
    return (msb, lsb) in presets + users


def voice_kind_map():
    """Keys of the part-voice link: the LSB alone where it decides the voice kind, else
    the MSB and LSB (the link tries the LSB first, then the byte before it with it)."""
    drum_lsbs = set(lsb for msb in range(0x80) for lsb in range(0x80) if drum_bank(msb, lsb))
    rows = [("%02X" % lsb, 0) for lsb in range(0x80) if lsb not in drum_lsbs]
    rows += [("%02X%02X" % (msb, lsb), 1 if drum_bank(msb, lsb) else 0)
             for lsb in sorted(drum_lsbs) for msb in range(0x80)]
    return rows


def write_links(t):
    """Effect types: the type's parameters take names, ranges and defaults from the type.
    A part's voice: the parameters its kind lacks are not shown (display style NONE)."""
    t.sec("InitLinkList")
    t.kv("size", 4)
    for i in range(3):
        t.kv(str(i), "0,%d" % i)
    t.kv("3", "1,3")
    t.sec("Init adrs")
    t.kv("size", 2)
    t.kv("0", "EffectParamAdrs")
    t.kv("1", "PartVoiceAdrs")
    t.sec("EffectParamAdrs")
    t.kv("size", 16)
    for i in range(16):
        t.kv(str(i), "0,0000%02X,FFFF00" % (2 + 2 * i))
    t.sec("PartVoiceAdrs")
    t.kv("size", len(DRUM_LACKS))
    for i, (off, _, _, _, _, _) in enumerate(DRUM_LACKS):
        t.kv(str(i), "0,0000%02X,FFFF00" % off)
    datasets = []
    maps = []
    for mapname, types in (("RevTypeMap", REV_TYPES), ("ChoTypeMap", CHO_TYPES), ("EFTypeMap", EF_TYPES)):
        rows = []
        for pair, tname in types:
            rows.append(("%02X%02X" % pair, len(datasets)))
            datasets.append((tname, EFFECT_PARAMS.get(tname, [])))
        maps.append((mapname, rows))
    voice_sets = ["PartVoiceNormal", "PartVoiceDrum"]
    t.sec("Init data")
    t.kv("size", len(datasets) + len(voice_sets))
    for i, (tname, _) in enumerate(datasets):
        t.kv(str(i), "EffectData%d" % i)
    for i, name in enumerate(voice_sets):
        t.kv(str(len(datasets) + i), name)
    for i, (tname, plist) in enumerate(datasets):
        t.sec("EffectData%d" % i)
        t.comment(tname)
        t.kv("prmSize", "16,0")
        t.kv("size", 32)
        line = 0
        for n in range(16):
            if n < len(plist):
                pname, lo, hi, de, disp = plist[n]
                b = lambda v: ((v >> 7) & 0x7F, v & 0x7F)
                l, h, d = b(lo), b(hi), b(de)
                t.kv(str(line), "2,%02X,%02X,%02X,4,%d,%s" % (l[0], h[0], d[0], disp, pname))
                t.kv(str(line + 1), "2,%02X,%02X,%02X" % (l[1], h[1], d[1]))
            else:
                t.kv(str(line), "2,00,00,00,4,%d,---" % NONE)
                t.kv(str(line + 1), "2,00,00,00")
            line += 2
    for drum, name in enumerate(voice_sets):
        t.sec(name)
        t.kv("prmSize", "%d,0" % len(DRUM_LACKS))
        t.kv("size", len(DRUM_LACKS))
        for i, (_, pname, lo, hi, asg, disp) in enumerate(DRUM_LACKS):
            t.kv(str(i), "1,%02X,%02X,FF,%d,%d,%s" % (lo, hi, asg, NONE if drum else disp, pname))
    maps.append(("PartVoiceMap", [(k, len(datasets) + n) for k, n in voice_kind_map()]))
    t.sec("InitDataMapList")
    t.kv("size", len(maps))
    for i, (mapname, _) in enumerate(maps):
        t.kv(str(i), mapname)
    for mapname, rows in maps:
        t.sec(mapname)
        t.kv("size", len(rows))
        for i, (key, n) in enumerate(rows):
            t.kv(str(i), "%s,%d" % (key, n))
    return datasets


def write_empty_links(t):
    for s in ("InitLinkList", "Init adrs", "Init data", "InitDataMapList"):
        t.sec(s)
        t.kv("size", 0)


def write_styles(t):
    t.sec("AssignStyleList")
    t.kv("size", len(ASSIGN_TABLES))
    for i, (name, width, entries) in enumerate(ASSIGN_TABLES):
        t.kv(str(i), "0,%d,%d" % (len(entries) - 1, i))
    t.sec("AssignStyleDataList")
    t.kv("size", len(ASSIGN_TABLES))
    for i, (name, _, _) in enumerate(ASSIGN_TABLES):
        t.kv(str(i), name)
    for name, width, entries in ASSIGN_TABLES:
        t.sec(name)
        t.kv("prmSize", width)
        t.kv("size", len(entries))
        for i, e in enumerate(entries):
            t.kv(str(i), e)
    t.sec("DispStyleList")
    t.kv("size", len(DISP_TABLES))
    for i, (name, _, _) in enumerate(DISP_TABLES):
        t.kv(str(i), name)
    for name, szprm, rows in DISP_TABLES:
        t.sec(name)
        t.kv("szPrm", szprm)
        t.kv("size", len(rows))
        for i, (k, text) in enumerate(rows):
            t.kv(str(i), "%s,%s" % (k, text))


def write_common_info(t, voice):
    t.sec("common_info")
    t.kv("edit_mode", 1)
    t.kv("init_file", "init")
    t.kv("part_mode", 0)
    t.kv("lib_mode", "0,0")
    t.kv("initial_edit", "-1,-1")
    t.kv("store_mode", 1 if voice else 0)
    t.kv("voice_mode", 0)
    t.kv("preset_mode", 1 if voice else 0)
    t.sec("voice_name_info")
    t.kv("terminator", 32)
    t.kv("invalid_num", 0)
    t.kv("invalid_head_num", 0)
    t.sec("AssignRule")
    t.kv("size", 1)
    t.kv("0", "VoiceEditCh")
    t.sec("VoiceEditCh")
    t.kv("size", 1)
    t.kv("0", "2,3")


def write_block_list(t, blocks):
    t.sec("block_list")
    t.kv("size", len(blocks))
    for i, b in enumerate(blocks):
        t.kv(str(i), b[0])
    for b in blocks:
        write_block(t, b[0], b[1], b[2], b[3], b[4])


def write_bank_blocks(t, lists):
    t.sec("bank_block_adrs_list")
    t.kv("size", len(lists))
    for i, (name, _) in enumerate(lists):
        t.kv(str(i), name)
    for name, addrs in lists:
        t.sec(name)
        t.kv("size", len(addrs))
        for i, a in enumerate(addrs):
            t.kv(str(i), "0,%s" % hx(a))


def write_headers(t, templates):
    t.sec("LibHdrTplList")
    t.kv("size", len(templates))
    for i, (name, _) in enumerate(templates):
        t.kv(str(i), name)
    for name, cols in templates:
        t.sec(name)
        t.kv("size", len(cols))
        for i, c in enumerate(cols):
            t.kv(str(i), c)


def multi_tpm():
    t = Tpm()
    t.comment("TOVAR-VANTREL multi memory map. Generated by data/tools/generate_templates.py.")
    write_common_info(t, False)
    write_formats(t)
    write_block_list(t, [b[:5] for b in MULTI_BLOCKS])
    t.sec("save_info")
    t.kv("custom_mode", 0)
    t.kv("save_mode", 0)
    t.sec("solo_mute_info")
    t.kv("solo_mode", 1)
    t.kv("mute_mode", 1)
    t.kv("midi_format", 0)
    t.kv("size", 16)
    for p in range(16):
        t.kv(str(p), "37%02X0D" % p)
    write_styles(t)
    datasets = write_links(t)
    write_bank_blocks(t, [("MultiBlocks", [b[2] for b in MULTI_BLOCKS if b[5]])])
    write_headers(t, [("MultiHeader", ["1,0,0,00,00,0,0,Name", "0,0,0,00,00,1,3,No."])])
    write_multi_bulk(t)
    write_copy_rules(t)
    write_special_rules(t)
    return t.text(), datasets


def voice_tpm():
    t = Tpm()
    t.comment("TOVAR-VANTREL voice memory map. Generated by data/tools/generate_templates.py.")
    write_common_info(t, True)
    write_formats(t)
    write_block_list(t, VOICE_BLOCKS)
    write_empty_links(t)
    write_bank_blocks(t, [("NormalVoiceBlocks", [vb(s)[2] for s in NORMAL_VOICE]),
                          ("DrumVoiceBlocks", [vb(s)[2] for s in DRUM_VOICE]),
                          ("PluginVoiceBlocks", [vb(s)[2] for s in PLUGIN_VOICE])])
    # Column 0 the name, 1 the number, 2 the category code: a voice's list line is
    # columns 1, 2 and 0, its name and category columns 0 and 2.
    cols = ["1,0,0,00,00,0,0,Name", "0,0,0,00,00,1,3,No.",
            "0,3,0,40000A,40000A,0,%d,Category" % D_CATEGORY]
    write_headers(t, [("NormalHeader", cols), ("DrumHeader", cols), ("PluginHeader", cols)])
    write_voice_bulk(t)
    return t.text()


# ---------------------------------------------------------------- copy rules, special rules
# Banks a part can select: (MSB, LSB, voice-map category, copy set). Line 0 is where a
# part whose bank is unknown is put back after a multi dump.
COPY_SETS = {
    # voice parameter (voice map, 40 00 nn) -> part parameter (37 pp nn)
    "Normal": [(0x0E, 0x0F), (0x0F, 0x1A), (0x10, 0x1B), (0x11, 0x1C), (0x12, 0x09), (0x16, 0x0A)],
    "Drum": [(0x0F, 0x1A), (0x10, 0x1B), (0x11, 0x1C), (0x12, 0x09), (0x16, 0x0A)],
    "Plugin": [(0x0E, 0x0F), (0x0F, 0x1A), (0x10, 0x1B), (0x11, 0x1C), (0x12, 0x09), (0x16, 0x0A)],
    # Board presets live on the board: the editor keeps no copy of them, nothing is copied.
    "Board": [],
}


def copy_banks():
    banks = []
    for i, b in enumerate(PRESET_BANKS):
        banks.append((b[2], b[3], 6 + i, "Normal" if b[4] == 0 else "Drum"))
    for i, (name, n, tpl, code) in enumerate(USER_CATEGORIES):
        banks.append((0x3F, USER_LSB[i], i, ["Normal", "Drum", "Plugin"][tpl]))
    for board in BOARDS:
        for lsb in sorted(set(l for _, l, _ in board["voices"])):
            # category 4 is the plug-in voice type; the Board set copies nothing from it
            banks.append((board["msb"], lsb, 4, "Board"))
    return banks


USER_LSB = [0x00, 0x01, 0x02, 0x20, 0x40, 0x41]


def write_copy_rules(t):
    t.sec("PrmCopyInfo")
    t.kv("repeat_cnt", 16)
    t.kv("repeat_address", "0,000100")
    t.kv("BankMSB", "0,370000")
    t.kv("BankLSB", "0,370001")
    t.kv("Trigger", "0,370002")
    banks = copy_banks()
    t.kv("bank_size", len(banks))
    for i, (msb, lsb, cat, name) in enumerate(banks):
        t.kv(str(i), "%02X,%02X,%d,%s" % (msb, lsb, cat, name))
    for name in sorted(set(b[3] for b in banks), key=lambda n: [b[3] for b in banks].index(n)):
        t.sec("Info" + name)
        t.kv("repeat_address", "000000,000100")
        pairs = COPY_SETS[name]
        t.kv("copy_param_size", len(pairs))
        for i, (src_off, dst_off) in enumerate(pairs):
            t.kv(str(i), "0,4000%02X,0,3700%02X" % (src_off, dst_off))


# The arpeggio: parts whose switch (bit 02 of 37 pp 1F) is on must share their key
# channel (37 pp 11).
def write_special_rules(t):
    t.sec("param_special_func")
    t.kv("size", 1)
    t.kv("0", "ArpSwitchRule")
    t.sec("ArpSwitchRule")
    t.kv("func_type", 100)
    t.kv("repeat_cnt", 16)
    t.kv("repeat_address", "000100,000100")
    t.kv("param_size", 1)
    t.kv("0", "0,37001F,0,370011")


# ---------------------------------------------------------------- bulk, voice memory, library
# Sections read by the bulk engine, the voice memory and the library files.

USER_CATEGORIES = [  # name, voices, template, bank code of the framing address
    ("Normal User 1", 128, 0, 0x00), ("Normal User 2", 128, 0, 0x01), ("Normal User 3", 128, 0, 0x02),
    ("Drum User", 32, 1, 0x03), ("Plug-in User 1", 64, 2, 0x04), ("Plug-in User 2", 64, 2, 0x05)]
PRESET_CATEGORIES = [(b[0], len(b[5]), b[4], 0x40 + i) for i, b in enumerate(PRESET_BANKS)]
# The edit buffers: "Current" keeps them out of the store dialog's bank list.
EDIT_CATEGORIES = [("Normal Current", 1, 0, 0x0F), ("Drum Current", 1, 1, 0x2F),
                   ("Plug-in Current", 1, 2, 0x1F)]
VOICE_LISTS = [NORMAL_VOICE, DRUM_VOICE, PLUGIN_VOICE]


def frame(t, headers, footers):
    t.sec("header")
    t.kv("size", len(headers))
    for i, h in enumerate(headers):
        t.kv(str(i), h)
    t.sec("hooter")
    t.kv("size", len(footers))
    for i, h in enumerate(footers):
        t.kv(str(i), h)


def fixed_range(adr):
    return "0,%s,%s,%s" % (hx(adr), hx(adr), hx(adr))


def write_multi_bulk(t):
    frame(t, ["0,0E7F00,0E7F00,0E7F00,2,0"], ["0,0F7F00,0F7F00,0F7F00,2,0"])
    t.sec("bulk_req_list")
    t.kv("time_out", 3000)
    t.kv("ReqWaitTime", 0)
    t.kv("size", 1)
    t.kv("0", "MultiRequest")
    t.sec("MultiRequest")
    t.kv("name", "Multi")
    t.kv("size", 1)
    t.kv("0", "0,0E7F00,000000,000000,1")
    dumped = [b[2] for b in MULTI_BLOCKS if b[5]]
    t.sec("bulk_out_list")
    t.kv("size", 1)
    t.kv("0", "Multi,1,0")
    t.sec("bulk_out_item_list")
    t.kv("size", 1)
    t.kv("0", "MultiOut")
    for name, extra in (("MultiOut", [("LibCateNo", 0)]), ("MultiEdit", [])):
        if name == "MultiEdit":
            t.sec("bulk_out_current_list")
            t.kv("size", 1)
            t.kv("0", "MultiEdit")
        t.sec(name)
        t.kv("header", "0,0E7F00,0E7F00,0E7F00")
        t.kv("hooter", "0,0F7F00,0F7F00,0F7F00")
        t.kv("blkSize", len(dumped))
        for k, v in extra:
            t.kv(k, v)
        t.kv("BulkControlSend", 1)
        t.kv("size", len(dumped))
        for i, a in enumerate(dumped):
            t.kv(str(i), fixed_range(a))
        if name == "MultiEdit":
            t.kv("ParameterChangeSize", 0)
    t.sec("EditBuffSelPrmChngList")
    t.kv("size", 1)
    t.kv("mode", 2)
    t.kv("0", "MultiSelect")
    t.sec("MultiSelect")
    t.kv("waitTime", 0)
    t.kv("size", 0)
    t.sec("voice_memory_category")
    t.kv("size", 1)
    t.kv("0", "MultiVoice")
    t.sec("MultiVoice")
    t.kv("current", 0)
    t.kv("name", "Multi")
    t.kv("voice_name_adrs", "0,360000,10,0")
    t.kv("voice_cate_adrs", "0,360000,0,0")
    t.kv("voice_num", 1)
    t.kv("template", 0)
    t.kv("edit", 1)
    t.kv("size", len(dumped))
    for i, a in enumerate(dumped):
        t.kv(str(i), "0,%s" % hx(a))
    t.sec("voice_memory_template")
    t.kv("size", 0)
    t.sec("libraryfile_Com")
    t.kv("file_extension", "m3e")
    t.kv("file_filter_w", "TOVAR-VANTREL Multi (*.m3e)")
    t.kv("file_filter_r", "TOVAR-VANTREL Multi (*.m3e *.m2e)")
    t.kv("fileSize", 2048)
    t.kv("ex_extensions_size", 1)
    t.kv("0", "m2e")
    t.sec("libraryfile_Header")
    t.kv("mem_offset", 0)
    t.kv("mem_size", 32)
    t.kv("header", "TOVAR-VANTREL MULTI 3")
    t.sec("libraryfile_VoiceHeader")
    t.kv("mem_offset", 64)
    t.kv("mem_size", 32)
    t.kv("header", "MULTI DATA")
    t.sec("libraryfile_Directory")
    t.kv("mem_offset", 128)
    t.kv("mem_size", 10)
    t.kv("directorySize", 10)
    t.kv("size", 1)
    t.kv("0", "0,1,0")
    t.sec("library_Voice_Data")
    t.kv("mem_offset", 512)
    t.kv("mem_size", 1217)
    t.kv("size", 1)
    t.kv("0", "0,1,0,1217,0")


def write_voice_bulk(t):
    headers, footers = [], []
    cats = USER_CATEGORIES + PRESET_CATEGORIES + EDIT_CATEGORIES
    for i, (name, n, tpl, code) in enumerate(cats):
        headers.append("0,0E%02X00,0E%02X00,0E%02X%02X,2,%d" % (code, code, code, n - 1, i))
        footers.append("0,0F%02X00,0F%02X00,0F%02X%02X,2,%d" % (code, code, code, n - 1, i))
    frame(t, headers, footers)
    combined = ("Normal User 1 + 2 + 3 + Drum User", [0, 1, 2, 3])
    req = [(c[0], [i]) for i, c in enumerate(USER_CATEGORIES)] + [combined]

    def req_list(section, entries, cats, prefix):
        t.sec(section)
        t.kv("time_out", 3000)
        t.kv("ReqWaitTime", 0)
        t.kv("size", len(entries))
        for i in range(len(entries)):
            t.kv(str(i), "%s%d" % (prefix, i))
        for i, (name, members) in enumerate(entries):
            t.sec("%s%d" % (prefix, i))
            t.kv("name", name)
            t.kv("size", len(members))
            for j, m in enumerate(members):
                code, n = cats[m][3], cats[m][1]
                t.kv(str(j), "0,0E%02X00,0E%02X00,0E%02X%02X,1" % (code, code, code, n - 1))
    req_list("bulk_req_list", req, USER_CATEGORIES, "VoiceRequest")
    t.sec("preset_info")
    t.kv("preset_file", "TOVAR-VANTPRESETS")
    t.kv("explanation_no", 0)
    # The editor receives its preset voices with request 0: every preset bank in one walk.
    all_presets = ("All Presets", list(range(len(PRESET_CATEGORIES))))
    req_list("preset_bulk_req_list", [all_presets] + [(c[0], [i]) for i, c in enumerate(PRESET_CATEGORIES)],
             PRESET_CATEGORIES, "PresetRequest")
    t.sec("bulk_out_list")
    t.kv("size", len(req))
    for i, (name, members) in enumerate(req):
        t.kv(str(i), "%s,%d,%s" % (name, len(members), ",".join(str(m) for m in members)))
    t.sec("bulk_out_item_list")
    t.kv("size", len(USER_CATEGORIES))
    for i in range(len(USER_CATEGORIES)):
        t.kv(str(i), "VoiceOut%d" % i)
    for i, (name, n, tpl, code) in enumerate(USER_CATEGORIES):
        blocks = VOICE_LISTS[tpl]
        t.sec("VoiceOut%d" % i)
        t.kv("header", "0,0E%02X00,0E%02X00,0E%02X%02X" % (code, code, code, n - 1))
        t.kv("hooter", "0,0F%02X00,0F%02X00,0F%02X%02X" % (code, code, code, n - 1))
        t.kv("blkSize", len(blocks))
        t.kv("LibCateNo", i)
        t.kv("BulkControlSend", 1)
        t.kv("size", len(blocks))
        for j, s in enumerate(blocks):
            t.kv(str(j), fixed_range(vb(s)[2]))
    t.sec("bulk_out_current_list")
    t.kv("size", len(EDIT_CATEGORIES))
    for i in range(len(EDIT_CATEGORIES)):
        t.kv(str(i), "VoiceEdit%d" % i)
    for i, (name, n, tpl, code) in enumerate(EDIT_CATEGORIES):
        blocks = VOICE_LISTS[tpl]
        t.sec("VoiceEdit%d" % i)
        t.kv("header", fixed_range((0x0E, code, 0)))
        t.kv("hooter", fixed_range((0x0F, code, 0)))
        t.kv("blkSize", len(blocks))
        t.kv("BulkControlSend", 1)
        t.kv("size", len(blocks))
        for j, s in enumerate(blocks):
            t.kv(str(j), fixed_range(vb(s)[2]))
        t.kv("ParameterChangeSize", 0)
    t.sec("EditBuffSelPrmChngList")
    t.kv("size", len(EDIT_CATEGORIES))
    t.kv("mode", 0)
    for i in range(len(EDIT_CATEGORIES)):
        t.kv(str(i), "VoiceSelect%d" % i)
    for i in range(len(EDIT_CATEGORIES)):
        t.sec("VoiceSelect%d" % i)
        t.kv("waitTime", 0)
        t.kv("size", 0)
    t.sec("voice_memory_category")
    t.kv("size", len(cats))
    for i in range(len(cats)):
        t.kv(str(i), "VoiceCategory%d" % i)
    for i, (name, n, tpl, code) in enumerate(cats):
        blocks = VOICE_LISTS[tpl]
        t.sec("VoiceCategory%d" % i)
        t.kv("current", 1 if (name, n, tpl, code) in EDIT_CATEGORIES else 0)
        t.kv("name", name)
        t.kv("voice_name_adrs", "0,400000,10,0")
        t.kv("voice_cate_adrs", "0,400000,%d,0" % tpl)
        t.kv("voice_num", n if (name, n, tpl, code) not in EDIT_CATEGORIES else 1)
        t.kv("template", tpl)
        t.kv("edit", 1 if i < len(USER_CATEGORIES) else 0)
        t.kv("preset_voice", 1 if (name, n, tpl, code) in PRESET_CATEGORIES else 0)
        if i < len(USER_CATEGORIES):
            t.kv("bulk_out_list", i)
        t.kv("size", len(blocks))
        for j, s in enumerate(blocks):
            t.kv(str(j), "0,%s" % hx(vb(s)[2]))
    t.sec("voice_memory_template")
    t.kv("size", 0)
    t.sec("libraryfile_Com")
    t.kv("file_extension", "w9e")
    t.kv("file_filter_w", "TOVAR-VANTREL Voices (*.w9e)")
    t.kv("file_filter_r", "TOVAR-VANTREL Voices (*.w9e *.w7e *.w6e *.w2e)")
    t.kv("fileSize", 551424)
    t.kv("ex_extensions_size", 3)
    for i, e in enumerate(("w7e", "w6e", "w2e")):
        t.kv(str(i), e)
    t.sec("libraryfile_Header")
    t.kv("mem_offset", 0)
    t.kv("mem_size", 32)
    t.kv("header", "TOVAR-VANTREL VOICE 9")
    t.sec("libraryfile_VoiceHeader")
    t.kv("mem_offset", 64)
    t.kv("mem_size", 32)
    t.kv("header", "VOICE DATA")
    offs = 0
    vo = 0
    dirs, data = [], []
    for i, (name, n, tpl, code) in enumerate(USER_CATEGORIES):
        size = sum(vb(s)[3] for s in VOICE_LISTS[tpl])
        dirs.append("%d,%d,%d" % (i, n, offs))
        data.append("%d,%d,%d,%d,%d" % (i, n, vo, size, tpl))
        offs += n * 14
        vo += n * size
    # The directory's size is what its entries span: one 14-byte name per voice of the
    # six banks; it ends before the voices begin.
    assert 128 + offs <= 8192, offs
    t.sec("libraryfile_Directory")
    t.kv("mem_offset", 128)
    t.kv("mem_size", offs)
    t.kv("directorySize", 14)
    t.kv("size", 6)
    for i, d in enumerate(dirs):
        t.kv(str(i), d)
    t.sec("library_Voice_Data")
    t.kv("mem_offset", 8192)
    t.kv("mem_size", vo)
    t.kv("size", len(data))
    for i, d in enumerate(data):
        t.kv(str(i), d)
    assert dirs[-1].endswith(",6720") and data[-1].split(",")[2] == "520576", (dirs, data)


# ---------------------------------------------------------------- plug-in boards
# The seven board kinds the editor knows, in the order of its native-parameter
# dialogs (AN, AP, DR, DX, PC, PF, VL). These model names are this instrument's own.
BOARD_MODEL_NAMES = ["VTB-Corvan", "VTB-Pellor", "VTB-Tambra", "VTB-Sintra", "VTB-Percel",
                     "VTB-Ivoren", "VTB-Flauro"]
PLUGIN_DIR = os.path.join(DATA, "PlugIn")
PARTS_INI = os.path.join(DATA, "parts.ini")
PRESET_BANK_INI = os.path.join(DATA, "PresetBankInfo.ini")

AN_NOUNS = ["Saw", "Sync", "Brass", "Bass", "Lead", "Pad", "Sweep", "Pluck"]
DX_NOUNS = ["Tine", "Bell", "Mallet", "E.Pno", "Bass", "Harp", "Glass", "Clav"]


def board_voices(nouns, programs, lsb, seed):
    out, seen = [], set()
    for p in programs:
        k = 0
        while True:
            word = WORDS[(p * 5 + seed + k) % len(WORDS)]
            noun = nouns[(p + k // len(WORDS)) % len(nouns)]
            name = "%s %s" % (word, noun)
            if k >= len(WORDS) * len(nouns):
                name = "%s %d" % (word[:5], p + 1)
            if len(name) <= 10 and name.upper() not in seen:
                break
            k += 1
        seen.add(name.upper())
        out.append((p, lsb, name))
    return out


BOARDS = [
    dict(name=BOARD_MODEL_NAMES[0], file="VTB-Corvan", msb=0x40, lsb=0x00, product=0x01,
         tables=[("ANOffOn", ["Off", "On"]), ("ANWave", ["Saw", "Square", "Pulse", "Triangle", "Noise"]),
                 ("ANFilter", ["LPF 24dB", "LPF 12dB", "HPF", "BPF"]),
                 ("ANLfoWave", ["Triangle", "Saw Up", "Saw Down", "Square", "S/H"])],
         native=[(0, "Unison Switch", 0, 1, 0, 500), (1, "Unison Detune", 0, 0x7F, 0x10, 0),
                 (2, "VCO1 Wave", 0, 4, 0, 501), (3, "VCO1 Octave", 0x3E, 0x42, 0x40, 8),
                 (4, "VCO2 Wave", 0, 4, 1, 501), (5, "VCO2 Octave", 0x3E, 0x42, 0x40, 8),
                 (6, "VCO2 Detune", 0, 0x7F, 0x40, 8), (7, "VCO Mix", 0, 0x7F, 0x40, 0),
                 (8, "Sync Switch", 0, 1, 0, 500), (9, "Ring Switch", 0, 1, 0, 500),
                 (10, "Filter Type", 0, 3, 0, 502), (11, "Filter Drive", 0, 0x7F, 0, 0),
                 (12, "Noise Level", 0, 0x7F, 0, 0), (13, "LFO Wave", 0, 4, 0, 503),
                 (14, "LFO Speed", 0, 0x7F, 0x40, 0)],
         # one bank, one list of 128
         voices=board_voices(AN_NOUNS, range(128), 0x00, 3),
         layout="flat"),
    dict(name=BOARD_MODEL_NAMES[3], file="VTB-Sintra", msb=0x41, lsb=0x00, product=0x04,
         tables=[("DXOffOn", ["Off", "On"]),
                 ("DXLfoWave", ["Triangle", "Saw Down", "Saw Up", "Square", "Sine", "S/H"])],
         native=[(0, "Carrier 1", 0, 0x7F, 0x63, 0), (1, "Carrier 2", 0, 0x7F, 0x63, 0),
                 (2, "Modulator 1", 0, 0x7F, 0x40, 0), (3, "Modulator 2", 0, 0x7F, 0x40, 0),
                 (4, "Algorithm", 0, 31, 0, 22), (5, "Feedback", 0, 7, 0, 0),
                 (6, "LFO Wave", 0, 5, 0, 501), (7, "LFO Speed", 0, 0x63, 0x23, 0),
                 (8, "LFO Pitch Depth", 0, 0x63, 0, 0), (9, "LFO Amp Depth", 0, 0x63, 0, 0),
                 (10, "Transpose", 0x28, 0x58, 0x40, 8), (11, "Oscillator Sync", 0, 1, 1, 500)],
         # bank LSB 0 (128 voices, its list split in two ranges) and LSB 1 (64 voices)
         voices=board_voices(DX_NOUNS, range(128), 0x00, 11) + board_voices(DX_NOUNS, range(64), 0x01, 17),
         layout="ranges"),
]
for _board in BOARDS:
    assert _board["name"] in BOARD_MODEL_NAMES

# The voice names of each board bank as a string table, so that a part playing a board
# voice finds its bank and voice names in the bank table like a preset's (parts.ini).
BOARD_BANKS = []  # (second name, short name, string table, MSB, LSB)
for _board in BOARDS:
    _lsbs = sorted(set(l for _, l, _ in _board["voices"]))
    for _i, _lsb in enumerate(_lsbs):
        _suffix = " %s" % chr(ord("A") + _i) if len(_lsbs) > 1 else ""
        _table = disp_table("%sVoice%02X" % (_board["file"].split("-")[1], _lsb),
                            [("%02X" % p, n) for p, l, n in _board["voices"] if l == _lsb])
        BOARD_BANKS.append(("%s Board%s" % (_board["name"], _suffix),
                            "%s%d" % (_board["file"].split("-")[1][:3].upper(), _i + 1),
                            _table - 100, _board["msb"], _lsb))


def board_tpm(board):
    t = Tpm()
    t.comment("Plug-in board %s. Generated by data/tools/generate_templates.py." % board["name"])
    t.sec("PlugInBorad")
    t.kv("Name", board["name"])
    t.kv("MSB", board["msb"])
    t.kv("LSB", board["lsb"])
    t.kv("ProductNo", board["product"])
    t.kv("VoiceFile", board["file"] + "-voices.ini")
    named = [P(o, n, lo, hi, de, disp) for o, n, lo, hi, de, disp in board["native"]]
    t.sec("block_list")
    t.kv("size", 1)
    t.kv("0", "PLG_NATIVE")
    write_block(t, "PLG_NATIVE", "PLG NATIVE", NATIVE_ADDRESS, NATIVE_SIZE, native_params(named))
    t.sec("DispStyleList")
    t.kv("size", len(board["tables"]))
    for i, (name, _) in enumerate(board["tables"]):
        t.kv(str(i), name)
    for name, texts in board["tables"]:
        t.sec(name)
        t.kv("szPrm", 1)
        t.kv("size", len(texts))
        for i, text in enumerate(texts):
            t.kv(str(i), "%02X,%s" % (i, text))
    t.sec("AssignStyleList")
    t.kv("size", 0)
    t.sec("AssignStyleDataList")
    t.kv("size", 0)
    return t.text()


def board_voice_file(board):
    t = Tpm()
    t.comment("Voices of plug-in board %s. Generated by data/tools/generate_templates.py." % board["name"])
    lsbs = sorted(set(l for _, l, _ in board["voices"]))
    t.sec("vce_list")
    t.kv("size", len(lsbs))
    for i, lsb in enumerate(lsbs):
        t.kv(str(i), "%d,Bank%02X" % (board["msb"], lsb))

    def type2(section, rows):
        t.sec(section)
        t.kv("type", 2)
        t.kv("size", len(rows))
        for i, (p, lsb, name) in enumerate(rows):
            t.kv(str(i), "%d,%d,%s" % (p, lsb, name))

    for lsb in lsbs:
        rows = [v for v in board["voices"] if v[1] == lsb]
        if board["layout"] == "ranges" and len(rows) == 128:
            # a type-0 list: each range names the section that holds its programs
            t.sec("Bank%02X" % lsb)
            t.kv("type", 0)
            t.kv("size", 2)
            t.kv("0", "0,63,Bank%02XLow" % lsb)
            t.kv("1", "64,127,Bank%02XHigh" % lsb)
            type2("Bank%02XLow" % lsb, rows[:64])
            type2("Bank%02XHigh" % lsb, rows[64:])
        else:
            type2("Bank%02X" % lsb, rows)
    return t.text()


def board_order():
    """Boards as the editor lists them: larger file first, equal sizes by name."""
    texts = [(b, board_tpm(b)) for b in BOARDS]
    return [b for b, text in sorted(texts, key=lambda bt: (-len(bt[1].encode()), bt[0]["file"] + ".tpm"))]


# ---------------------------------------------------------------- parts.ini, PresetBankInfo.ini
def parts_ini():
    t = Tpm()
    t.comment("TOVAR-VANTREL voice banks. Generated by data/tools/generate_templates.py.")
    t.comment("kind,second name,name,table,MSB,LSB: kind 1 user bank (table = voice-map category),")
    t.comment("kind 0 preset bank (table = string table and voice-map category; for a board bank")
    t.comment("the string table of its voice names only); MSB/LSB decimal")
    rows = []
    for i, b in enumerate(PRESET_BANKS):
        rows.append("0,%s,%s,%d,%d,%d" % (b[0], b[1], 6 + i, b[2], b[3]))
    shorts = ["USR1", "USR2", "USR3", "UDR", "PLG1", "PLG2"]
    for i, (name, n, tpl, code) in enumerate(USER_CATEGORIES):
        rows.append("1,%s,%s,%d,%d,%d" % (name, shorts[i], i, 0x3F, USER_LSB[i]))
    # Board banks: preset lines whose table is a string table only, numbered past the
    # voice-map categories so that it never names one.
    voice_categories = len(USER_CATEGORIES + PRESET_CATEGORIES + EDIT_CATEGORIES)
    for second, short, table, msb, lsb in BOARD_BANKS:
        assert table >= voice_categories, table
        rows.append("0,%s,%s,%d,%d,%d" % (second, short, table, msb, lsb))
    t.sec("VoiceSelectType0")
    t.kv("CategoryNum", len(rows))
    for i, r in enumerate(rows):
        t.kv(str(i + 1), r)
    surface_tables.param_select_sections(t, DISP_TABLES)
    return t.text()


def preset_bank_ini():
    """Where a bank select and program number find their voice in the voice memory."""
    t = Tpm()
    t.comment("Voice-memory category and voice of each selectable voice.")
    t.comment("Generated by data/tools/generate_templates.py.")
    cats = USER_CATEGORIES + PRESET_CATEGORIES
    selects = [(0x3F, USER_LSB[i]) for i in range(len(USER_CATEGORIES))] + [
        (b[2], b[3]) for b in PRESET_BANKS]
    for c, ((name, n, tpl, code), (msb, lsb)) in enumerate(zip(cats, selects)):
        t.sec("CategoryNo%d" % c)
        t.kv("VoiceNum", n)
        for v in range(n):
            t.kv("Voice%d" % v, "%02X,%02X,%02X" % (msb, lsb, v))
    return t.text()


SIM_PRESETS = os.path.join(os.path.dirname(ROOT), "simulator", "SimPresetNames.cpp")


def sim_preset_names():
    """The simulated instrument's copy of the preset name table of the document (7.4)."""
    out = ["// The preset voice names of the memory-map document (section 7.4), one row per",
           "// program. Written by data/tools/generate_templates.py from the same table.",
           '#include "simulator/SimPresetNames.h"', "", "namespace NS_Simulator {", "",
           "const SimPresetName kPresetNames[kPresetBankCount][kPresetBankVoices] = {"]
    assert len(PRESET_BANKS) == 9
    for b in PRESET_BANKS:
        assert len(b[5]) == 128
        out.append("    { // %s" % b[0])
        for name, code in b[5]:
            assert '"' not in name and "\\" not in name
            out.append('        {"%s", 0x%02X},' % (name, code))
        out.append("    },")
    out += ["};", "", "} // namespace NS_Simulator", ""]
    return "\n".join(out)


def doc_tables(datasets):
    out = []

    def table(title, blocks):
        out.append("### %s" % title)
        out.append("")
        for b in blocks:
            section, name, adr, size, params = b[:5]
            out.append("#### %s (%s, %d bytes)" % (name, " ".join("%02X" % x for x in adr), size))
            out.append("")
            out.append("| address | size | name | min | max | default |")
            out.append("|---|---|---|---|---|---|")
            for p in params:
                if p["name"] == "Reserved":
                    continue
                a = "%02X %02X %02X" % (adr[0], adr[1], p["off"])
                out.append("| %s | %d | %s | %s | %s | %s |" % (
                    a, p["size"], p["name"], hx(p["lo"]), hx(p["hi"]), hx(p["de"])))
            out.append("")
    table("7.1 Multi", [b for b in MULTI_BLOCKS if b[0] not in VOICE_SECTIONS])
    out.append("The multi map holds the voice edit blocks of 7.2 as well, at the same addresses.")
    out.append("")
    out.append("Voice blocks whose parameters are all \"Parameter xx\" (range 00..7F, default 00)"
               " are listed by their named parameters only.")
    out.append("")
    named = []
    for b in VOICE_BLOCKS:
        ps = [p for p in b[4] if not p["name"].startswith("Parameter ")]
        if b[0].startswith("DRUM_KEY_") and b[0] != "DRUM_KEY_00":
            continue
        named.append((b[0], b[1], b[2], b[3], ps))
    table("7.2 Voice (DRUM KEY 00 stands for all 73 keys 4A kk)", named)
    out.append("### 7.3 Effect types")
    out.append("")
    out.append("Type pairs (MIDI bytes at 36 01 00-01, 36 02 00-01, 36 11 00-01) and what each"
               " type does to the 16 two-byte parameters 02-21 (14-bit values hi x 80 + lo)."
               " When the type changes, the instrument sets the type's parameters to the"
               " defaults below and the unused ones to 00 00. Ranges are decimal.")
    out.append("")
    for title, types in (("Reverb", REV_TYPES), ("Chorus", CHO_TYPES), ("Master effect", EF_TYPES)):
        out.append("| %s type | pair | parameters (name min..max default) |" % title)
        out.append("|---|---|---|")
        for pair, tname in types:
            ps = EFFECT_PARAMS.get(tname, [])
            desc = "; ".join("%d %s %d..%d %d" % (i + 1, n, lo, hi, de)
                             for i, (n, lo, hi, de, _) in enumerate(ps)) or "none"
            out.append("| %s | %02X %02X | %s |" % (tname, pair[0], pair[1], desc))
        out.append("")

    def voice_grid(rows, with_code):
        cols = 4
        head = "| prg | name | cat " if with_code else "| prg | name "
        out.append(head * cols + "|")
        out.append(("|---|---|---" if with_code else "|---|---") * cols + "|")
        per = (len(rows) + cols - 1) // cols
        for r in range(per):
            cells = []
            for c in range(cols):
                i = c * per + r
                if i < len(rows):
                    p, name, code = rows[i]
                    cells.append("| %02X | %s | %s " % (p, name, CATEGORY_CODES[code]) if with_code
                                 else "| %02X | %s " % (p, name))
                else:
                    cells.append("| | | " if with_code else "| | ")
            out.append("".join(cells) + "|")
        out.append("")

    out.append("### 7.4 Preset voice names")
    out.append("")
    out.append("Program number (hexadecimal), name (40 00 00-09) and category code (40 00 0A) of"
               " every preset voice; the editor's string tables \"PresetName1\"..\"PresetNameDrum\""
               " hold the same names.")
    out.append("")
    for i, b in enumerate(PRESET_BANKS):
        out.append("#### %s (MSB %02X, LSB %02X, framing 0E %02X vv, voice-map category %d)"
                   % (b[0], b[2], b[3], 0x40 + i, 6 + i))
        out.append("")
        voice_grid([(v, n, c) for v, (n, c) in enumerate(b[5])], True)
    out.append("### 7.5 Plug-in board voice names")
    out.append("")
    for board in BOARDS:
        for lsb in sorted(set(l for _, l, _ in board["voices"])):
            out.append("#### %s, bank MSB %02X LSB %02X" % (board["name"], board["msb"], lsb))
            out.append("")
            voice_grid([(p, n, 0) for p, l, n in board["voices"] if l == lsb], False)
    return "\n".join(out)


def main():
    os.makedirs(os.path.dirname(VOICE_TPM), exist_ok=True)
    text, datasets = multi_tpm()
    with open(MULTI_TPM, "w", newline="\n") as f:
        f.write(text)
    with open(VOICE_TPM, "w", newline="\n") as f:
        f.write(voice_tpm())
    # The document names VTB-Corvan as board 0: the editor reads the larger file first.
    assert board_order()[0]["name"] == BOARD_MODEL_NAMES[0]
    os.makedirs(PLUGIN_DIR, exist_ok=True)
    for board in BOARDS:
        with open(os.path.join(PLUGIN_DIR, board["file"] + ".tpm"), "w", newline="\n") as f:
            f.write(board_tpm(board))
        with open(os.path.join(PLUGIN_DIR, board["file"] + "-voices.ini"), "w", newline="\n") as f:
            f.write(board_voice_file(board))
    with open(SIM_PRESETS, "w", newline="\n") as f:
        f.write(sim_preset_names())
    with open(PARTS_INI, "w", newline="\n") as f:
        f.write(parts_ini())
    with open(PRESET_BANK_INI, "w", newline="\n") as f:
        f.write(preset_bank_ini())
    with open(DOC) as f:
        doc = f.read()
    begin, end = "<!-- generated: begin -->", "<!-- generated: end -->"
    i, j = doc.index(begin), doc.index(end)
    doc = doc[:i + len(begin)] + "\n" + doc_tables(datasets) + "\n" + doc[j:]
    with open(DOC, "w", newline="\n") as f:
        f.write(doc)
    surface_tables.write_all(DATA, DOC, DISP_TABLES, MULTI_BLOCKS)
    old_voice_tables.write_all(ROOT, DOC)
    assert sum(b[3] for b in MULTI_BLOCKS if b[5]) == 1217
    assert len([b for b in MULTI_BLOCKS if b[5]]) == 23
    assert sum(vb(s)[3] for s in NORMAL_VOICE) == 952
    assert sum(vb(s)[3] for s in DRUM_VOICE) == 4138
    assert sum(vb(s)[3] for s in PLUGIN_VOICE) == 353
    assert all(b[3] < 128 for b in MULTI_BLOCKS + VOICE_BLOCKS)
    return 0


if __name__ == "__main__":
    sys.exit(main())

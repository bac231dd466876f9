"""The voice effect types of the TOVAR-VANTREL and the tables that carry voices of the
older voice files (.w2e, .w6e) over to them: arpeggio references, the mode pair table,
the curve shape table and the parameter maps of the .w2e effect blocks.

Called by generate_templates.py: write_all() from main(). Writes the converters' copy of
the tables (console/libfile/converters/OldVoiceTables.cpp) and the part of the
memory-map document between the "older voice files generated" markers (section 5.5).
"""
import os

CPP_FILE = os.path.join("console", "libfile", "converters", "OldVoiceTables.cpp")

# ---------------------------------------------------------------- arpeggio references
ARP_PRESETS = 1787


def w2e_reference(i):
    """The oldest format's 256 preset arpeggios (bank byte 0 or 1, number 0-127)."""
    if i <= 24:
        return i
    if i < 128:
        return 142 + (i - 25) * 2
    return 418 + (i - 128) * 1058 // 127


def w6e_reference(i):
    """The .w6e format's 256 preset arpeggios are every seventh type of the current list."""
    return i * 7


W2E_REFERENCES = [w2e_reference(i) for i in range(256)]
W6E_REFERENCES = [w6e_reference(i) for i in range(256)]
assert W2E_REFERENCES[25] == 0x008E and W2E_REFERENCES[128] == 0x01A2 and W2E_REFERENCES[255] == 0x05C4
for _t in (W2E_REFERENCES, W6E_REFERENCES):
    assert all(0 <= v < ARP_PRESETS for v in _t) and len(set(_t)) == 256

# ---------------------------------------------------------------- voice part bytes of .w6e voices
# Voice part byte 00 held the element mode (bits 0-2) and the layer count (bits 3-6); the
# current voice keeps the mode at 00 and the layer count at 0B.
MODE_BYTE, MODE_PARTNER = 0x00, 0x0B
MODE_PAIRS = [(v % 8, v // 8) for v in range(128)]
# The 13 curve shapes were numbered the other way round, three apart; values 13 and up stay.
CURVE_SHAPES = 13
CURVE_TABLE = [(11 - 3 * v) % CURVE_SHAPES if v < CURVE_SHAPES else v for v in range(128)]
CURVE_BYTES = (0x01, 0x02)  # velocity curve and key curve of the voice part
assert sorted(CURVE_TABLE[:CURVE_SHAPES]) == list(range(CURVE_SHAPES))
assert (CURVE_TABLE[0], CURVE_TABLE[1], CURVE_TABLE[2]) == (11, 8, 5)

# ---------------------------------------------------------------- voice effect types
# A voice has four effect blocks (reverb, chorus, insertion 1, insertion 2): a two-byte
# type (hi x 100 + lo) and 16 parameters of 14 bits (hi x 80 + lo). Each type:
# (.w2e code, current code, name, [(parameter, default)], old order, chorus codes).
# "old order" names the slot each old parameter goes to (None: old and new order agree);
# parameters the type lacks are dropped. Chorus codes: slot -> value table (1 or 2).
T1, T2 = 0xFF00, 0xFF01


def code(hi, lo):
    return hi * 256 + lo


REVERB_TYPES = [
    (code(1, 0), code(1, 0), "Hall Bright", [("Reverb Time", 35), ("Diffusion", 10), ("Initial Delay", 8),
                                             ("HPF Cutoff", 0), ("LPF Cutoff", 54)], [0, 2, 1, 3, 4], {}),
    (code(1, 1), code(1, 1), "Hall Dark", [("Reverb Time", 45), ("Diffusion", 8), ("Initial Delay", 16),
                                           ("LPF Cutoff", 44)], [0, 2, 1, 3], {}),
    (code(1, 2), code(1, 2), "Hall Vast", [("Reverb Time", 60), ("Diffusion", 10), ("Initial Delay", 20),
                                           ("LPF Cutoff", 40)], [0, 2, 1, 3], {}),
    (code(1, 3), code(1, 3), "Room Small", [("Reverb Time", 10), ("Diffusion", 10), ("Room Size", 10)], None, {}),
    (code(1, 4), code(1, 4), "Room Large", [("Reverb Time", 25), ("Diffusion", 10), ("Room Size", 30)], None, {}),
    (code(1, 5), code(1, 5), "Room Wood", [("Reverb Time", 15), ("Diffusion", 6), ("Room Size", 20)], None, {}),
    (code(1, 6), code(1, 6), "Stage Wide", [("Reverb Time", 30), ("Width", 100)], None, {}),
    (code(1, 7), code(1, 7), "Stage Near", [("Reverb Time", 18), ("Width", 60)], None, {}),
    (code(1, 8), code(1, 8), "Plate Steel", [("Reverb Time", 20), ("Brightness", 80)], None, {}),
    (code(1, 9), code(1, 9), "Plate Gold", [("Reverb Time", 28), ("Brightness", 100)], None, {}),
    (code(1, 10), code(1, 10), "Spring Tank", [("Decay", 60), ("Drip", 40)], None, {}),
    (code(1, 11), code(1, 11), "Cave Deep", [("Reverb Time", 69), ("Diffusion", 4), ("Initial Delay", 40)],
     None, {}),
]


def lfo(freq, depth, fb, *more):
    return [("LFO Frequency", freq), ("LFO Depth", depth), ("Feedback", fb)] + list(more)


CHORUS_TYPES = [
    (code(2, 0), code(2, 0), "Chorus Soft", lfo(12, 40, 64), None, {0: T1, 2: T2}),
    (code(2, 8), code(2, 8), "Chorus Deep", lfo(8, 90, 72), None, {0: T1, 2: T2}),
    (code(2, 24), code(2, 24), "Chorus Bright", lfo(14, 60, 70), None, {0: T1, 2: T2}),
    (code(2, 40), code(2, 40), "Chorus Slow", lfo(3, 50, 64), None, {0: T1, 2: T2}),
    (code(2, 48), code(2, 48), "Chorus Fast", lfo(40, 30, 64), None, {0: T1, 2: T2}),
    (code(2, 56), code(2, 56), "Chorus Stereo", lfo(10, 64, 64, ("Spread", 100)), None, {0: T1, 2: T2}),
    # The two quad types: read in the old order, then moved (QUAD_MOVE below).
    (code(2, 64), code(2, 16), "Chorus Quad", lfo(10, 64, 64, ("Delay Offset", 12)), None, {0: T1, 2: T2}),
    (code(2, 72), code(2, 32), "Flanger Quad", lfo(4, 70, 96, ("Delay Offset", 10)), None, {0: T1, 2: T2}),
    (code(2, 80), code(2, 80), "Flanger Jet", lfo(4, 70, 96, ("Delay Offset", 10)), None, {0: T1, 2: T2}),
    (code(2, 88), code(2, 88), "Flanger Soft", lfo(6, 40, 80, ("Delay Offset", 20)), None, {0: T1, 2: T2}),
    (code(2, 96), code(2, 96), "Flanger Metal", lfo(2, 90, 110, ("Delay Offset", 4)), None, {0: T1, 2: T2}),
    (code(2, 104), code(2, 104), "Phaser Slow", [("LFO Frequency", 3), ("LFO Depth", 64), ("Stages", 3)],
     None, {0: T1}),
    (code(2, 112), code(2, 112), "Phaser Fast", [("LFO Frequency", 30), ("LFO Depth", 50), ("Stages", 4)],
     None, {0: T1}),
    (code(2, 120), code(2, 120), "Phaser Deep", [("LFO Frequency", 8), ("LFO Depth", 110), ("Stages", 5)],
     None, {0: T1}),
    (code(3, 0), code(3, 0), "Ensemble", [("Spread", 80)], None, {}),
    (code(3, 8), code(3, 8), "Ensemble Wide", [("Spread", 120)], None, {}),
    (code(3, 16), code(3, 16), "Delay L/R", [("Delay Time L", 2500), ("Delay Time R", 3750), ("Feedback", 80)],
     None, {2: T2}),
    (code(3, 24), code(3, 24), "Delay Short", [("Delay Time L", 600), ("Delay Time R", 900), ("Feedback", 64)],
     None, {2: T2}),
    (code(3, 32), code(3, 32), "Delay Cross", [("Delay Time L", 3000), ("Delay Time R", 4500), ("Feedback", 90)],
     None, {2: T2}),
    (code(3, 40), code(3, 40), "Echo Tape", [("Delay Time", 3000), ("Feedback", 88), ("Wow", 20)], None, {1: T2}),
    (code(3, 48), code(3, 48), "Echo Worn", [("Delay Time", 2200), ("Feedback", 96), ("Wow", 60)], None, {1: T2}),
    (code(3, 56), code(3, 56), "Tremolo", [("LFO Frequency", 20), ("LFO Depth", 64)], None, {0: T1}),
    (code(3, 64), code(3, 64), "Auto Pan", [("LFO Frequency", 16), ("LFO Depth", 100)], None, {0: T1}),
    (code(3, 72), code(3, 72), "Rotary Slow", [("LFO Frequency", 6), ("LFO Depth", 80)], None, {0: T1}),
    (code(3, 80), code(3, 80), "Rotary Fast", [("LFO Frequency", 50), ("LFO Depth", 80)], None, {0: T1}),
    (code(3, 88), code(3, 88), "Vibe", [("LFO Frequency", 12), ("LFO Depth", 50)], None, {0: T1}),
]
# In the chorus block the oldest format's 528 is its 536 under another number.
CHORUS_ALIAS = (code(2, 16), code(2, 24))

INSERTION_TYPES = [
    (code(8, 0), code(8, 0), "Overdrive", [("Drive", 40), ("Tone", 64), ("Level", 100)], None, {}),
    (code(8, 8), code(8, 8), "Distortion", [("Drive", 80), ("Tone", 70), ("Level", 90)], None, {}),
    (code(8, 16), code(8, 16), "Fuzz Box", [("Drive", 110), ("Tone", 50), ("Level", 80)], None, {}),
    (code(9, 0), code(9, 0), "Auto Wah", [("Sensitivity", 64), ("Resonance", 40), ("LFO Frequency", 20),
                                          ("LFO Depth", 64)], [0, 2, 3, 1], {}),
    (code(9, 8), code(9, 8), "Touch Wah", [("Sensitivity", 80), ("Resonance", 60)], None, {}),
    (code(10, 0), code(10, 0), "Compressor", [("Threshold", 80), ("Ratio", 3), ("Attack", 5), ("Release", 8),
                                              ("Output Level", 100)], None, {}),
    (code(11, 0), code(11, 0), "Lo-Fi Grit", [("Sample Rate", 8), ("Word Length", 8)], None, {}),
    (code(12, 0), code(12, 0), "Ring Mod", [("Frequency", 64), ("Depth", 100)], None, {}),
    (code(13, 0), code(13, 0), "Slicer", [("Rate", 6), ("Depth", 127)], None, {}),
    (code(14, 0), code(14, 0), "Pitch Shift", [("Pitch", 64), ("Fine", 64), ("Mix", 64)], None, {}),
    (code(14, 80), code(14, 80), "Curve Shaper", [("Curve", 0), ("Drive", 64), ("Level", 100)], None, {}),
    (code(15, 16), code(15, 16), "Tape Warmth", [("Drive", 40), ("Tone", 64)], None, {}),
]

# Codes of the .w6e format that the current format numbers differently (in any block).
W6E_RENUMBERED = [(code(2, 64), code(2, 16)), (code(2, 72), code(2, 32)),
                  (code(10, 8), code(10, 0)), (code(15, 24), code(15, 16))]
CURVE_TYPE = code(14, 80)  # its first parameter's low byte is a curve shape

# The quad types: the four parameters of the old order move up seven slots (14 bytes),
# their old slots are cleared, and the first of them (LFO Frequency) is repeated in the
# three slots after the last, one LFO for each of the four voices.
QUAD_FROM, QUAD_COUNT, QUAD_SHIFT = 0, 4, 7
QUAD_REPEATS = [11, 12, 13]


def quad_params(params):
    slots = [None] * 16
    for i in range(QUAD_COUNT):
        slots[QUAD_FROM + i + QUAD_SHIFT] = params[i]
    for k, s in enumerate(QUAD_REPEATS):
        slots[s] = ("LFO Frequency %d" % (k + 2), params[0][1])
    return slots


# Chorus value tables: the oldest format's LFO frequency (0-63) at half the current
# resolution, and its feedback (0-63, 32 none) at half the range around 64.
VALUE_TABLE_1 = [min(127, 2 * v) for v in range(64)]
VALUE_TABLE_2 = [max(1, min(127, 64 + 2 * (v - 32))) for v in range(64)]

BLOCKS = [("reverb", REVERB_TYPES, 10), ("chorus", CHORUS_TYPES, 10),
          ("insertion 1", INSERTION_TYPES, 10), ("insertion 2", INSERTION_TYPES, 16)]
assert len(REVERB_TYPES) == 12 and len(CHORUS_TYPES) == 26
for _n, _types, _moved in BLOCKS:
    assert all(t[0] // 256 < 128 and t[0] % 256 < 128 and t[1] // 256 < 128 and t[1] % 256 < 128 for t in _types)
    assert len(set(t[0] for t in _types)) == len(_types)
OLD_TYPES = sorted(set(t[0] for _n, types, _m in BLOCKS for t in types))
assert CHORUS_ALIAS[0] not in OLD_TYPES and CHORUS_ALIAS[1] in OLD_TYPES


def map_row(t, moved):
    """Defaults, positions and codes of the map row of type t (row 0: no effect)."""
    old, new, name, params, order, codes = t
    defaults = [p[1] for p in params] + [0] * (16 - len(params))
    positions = []
    for p in range(16):
        slot = (order[p] if order and p < len(order) else p)
        positions.append(slot if p < moved and slot < len(params) else 16)
    row_codes = [codes.get(s, 0) for s in range(16)]
    return defaults, positions, row_codes


NO_EFFECT_ROW = ([0] * 16, [16] * 16, [0] * 16)


def hexcode(c):
    return "%02X %02X" % (c // 256, c % 256)


# ---------------------------------------------------------------- C++
def cpp_list(values, per_line=16, fmt="%d"):
    lines = []
    for i in range(0, len(values), per_line):
        lines.append("    " + ", ".join(fmt % v for v in values[i:i + per_line]) + ",")
    return lines


def cpp_text():
    out = ["// The conversion tables of the older voice files, as the memory-map document lists",
           "// them (section 5.5). Written by data/tools/generate_templates.py from the tables of",
           "// data/tools/old_voice_tables.py; not edited by hand.",
           '#include "OldVoiceTables.h"', "", "namespace NS_OldVoiceTables {", "",
           "const int32_t kW2EReferences[256] = {"]
    out += cpp_list(W2E_REFERENCES) + ["};", "", "const int32_t kW6EReferences[256] = {"]
    out += cpp_list(W6E_REFERENCES) + ["};", "", "const uint8_t kModePairs[128][2] = {"]
    out += cpp_list(["{%d, %d}" % p for p in MODE_PAIRS], 8, "%s") + ["};", "", "const uint8_t kCurveShapes[128] = {"]
    out += cpp_list(CURVE_TABLE) + ["};", ""]
    out += ["const uint16_t kW2EEffectTypes[] = {"] + cpp_list(OLD_TYPES, 8) + ["};"]
    out += ["const int kW2EEffectTypeCount = %d;" % len(OLD_TYPES), ""]
    out += ["namespace {", "", "using NS_W2EEffects::TMapRow;", "using NS_W2EEffects::TTypeRow;", ""]
    out += ["const uint16_t kValueTable1[] = {"] + cpp_list(VALUE_TABLE_1) + ["};"]
    out += ["const uint16_t kValueTable2[] = {"] + cpp_list(VALUE_TABLE_2) + ["};", ""]
    names = ["Reverb", "Chorus", "Insertion1", "Insertion2"]
    for (title, types, moved), nm in zip(BLOCKS, names):
        out.append("// %s: (type, row), then the rows (row 0: no effect)." % title)
        out.append("const TTypeRow k%sTypes[] = {" % nm)
        out += cpp_list(["{%d, %d}" % (t[0], r + 1) for r, t in enumerate(types)], 6, "%s")
        out.append("};")
        out.append("const TMapRow k%sRows[] = {" % nm)
        for row, label in [(NO_EFFECT_ROW, "No Effect")] + [(map_row(t, moved), t[2]) for t in types]:
            d, p, c = row
            out.append("    {{%s}," % ", ".join("%d" % v for v in d))
            out.append("     {%s}," % ", ".join("%d" % v for v in p))
            out.append("     {%s}}, // %s" % (", ".join("0x%04X" % v if v else "0" for v in c), label))
        out.append("};")
    out += ["", "} // namespace", "", "const NS_W2EEffects::TParamMap kW2EMaps[4] = {"]
    for (title, types, moved), nm in zip(BLOCKS, names):
        coded = nm == "Chorus"
        out.append("    {k%sTypes, %d, k%sRows, %d, %d, %s, %s, %s, %s, %s}," % (
            nm, len(types), nm, len(types) + 1, moved, "true" if coded else "false",
            "kValueTable1" if coded else "nullptr", len(VALUE_TABLE_1) if coded else 0,
            "kValueTable2" if coded else "nullptr", len(VALUE_TABLE_2) if coded else 0))
    out += ["};", "", "} // namespace NS_OldVoiceTables", ""]
    return "\n".join(out)


# ---------------------------------------------------------------- document
def param_text(params, first=1):
    return "; ".join("%d %s %d" % (i + first, n, d) for i, (n, d) in enumerate(params)) or "none"


def slot_text(slots):
    return "; ".join("%d %s %d" % (s + 1, p[0], p[1]) for s, p in enumerate(slots) if p)


def doc_text():
    out = []
    out.append("#### Voice effect blocks")
    out.append("")
    out.append("Every voice part holds four effect blocks: reverb, chorus, insertion 1 and insertion 2. A "
               "block is a type (two bytes, code hi x 100 + lo) and 16 parameters (two 7-bit bytes "
               "each, hi x 80 + lo). The four types sit at 41 00 15, 41 00 39, 41 00 5E and 41 01 0D in a "
               "normal voice (voice part bytes 21, 57, 94, 128 decimal), at 41 10 0C, 41 10 30, 41 10 55 "
               "and 41 11 1B in a drum voice (12, 48, 85, 119) and at 41 20 0D, 41 20 31, 41 20 56 and "
               "41 21 26 in a plug-in voice (13, 49, 86, 120); the parameters follow each type in the "
               "next 32 bytes of the voice part. Type 00 00 is \"No "
               "Effect\"; an unknown type is stored and treated as \"No Effect\"; a type's unused "
               "parameters are 00 00. The types (parameters: slot, name, default; decimal):")
    out.append("")
    for title, types, moved in BLOCKS[:3]:
        label = "insertion (both insertion blocks)" if title.startswith("insertion") else title
        out.append("| %s type | code | parameters |" % label)
        out.append("|---|---|---|")
        for t in types:
            old, new, name, params, order, codes = t
            if title == "chorus" and old != new:
                text = slot_text(quad_params(params))
            else:
                text = param_text(params)
            out.append("| %s | %s | %s |" % (name, hexcode(new), text))
        out.append("")
    out.append("#### Older voice files")
    out.append("")
    out.append("The editor imports the voice files of two older models: `.w2e` (the oldest) and "
               "`.w6e`. Their voices are carried over to the voices of this instrument by the rules "
               "below; where a rule names no value, the voice keeps the value of its file.")
    out.append("")
    out.append("Arpeggio references (40 00 13-15). An old voice names its arpeggio by a bank byte and a "
               "number. Bank 2 (the user arpeggios) becomes 00 41 nn for a number 80 + nn, else 00 40 nn "
               "(user types 2000..20FF). Banks 0 and 1 name the old model's 256 preset arpeggios, "
               "index = bank x 80 + number; the preset type of this instrument that stands for index i "
               "(00 hi lo with the type hi x 80 + lo):")
    out.append("")
    out.append("- `.w2e`: i for i = 0..24; 142 + 2 x (i - 25) for i = 25..127; 418 + (i - 128) x 1058 / 127 "
               "(rounded down) for i = 128..255 (index 25 is type 142 = 00 01 0E, 128 is 418 = 00 03 22, "
               "255 is 1476 = 00 0B 44).")
    out.append("- `.w6e`: 7 x i (the older model's arpeggios are every seventh type of this instrument's "
               "list: index 5 is type 35 = 00 00 23, index 200 is 1400 = 00 0A 78).")
    out.append("")
    out.append("Any other bank byte names nothing of the old model; the voice keeps the initial voice's "
               "reference.")
    out.append("")
    out.append("`.w6e` voices, every record (normal, drum, plug-in):")
    out.append("")
    out.append("- Effect types keep their codes except: %s; in every block." % ", ".join(
        "%s becomes %s" % (hexcode(a), hexcode(b)) for a, b in W6E_RENUMBERED))
    out.append("- The quad types (old 02 40 and 02 48, now Chorus Quad 02 10 and Flanger Quad 02 20): the "
               "first four parameters move up seven slots (14 bytes) to slots 8-11, slots 1-4 are "
               "cleared, and slot 8 (LFO Frequency) is repeated into slots 12, 13 and 14. The same "
               "rule applies to `.w2e` voices after their parameter map.")
    out.append("- Curve Shaper (%s) in the second insertion block: its first parameter's low byte (the "
               "curve, 0..12) is renumbered by the curve table below." % hexcode(CURVE_TYPE))
    out.append("- Voice part byte %02X (41 x0 %02X) held the element mode in bits 0-2 and the layer count "
               "in bits 3-6: the mode stays in byte %02X, the layer count goes to byte %02X (41 x0 %02X)."
               % (MODE_BYTE, MODE_BYTE, MODE_BYTE, MODE_PARTNER, MODE_PARTNER))
    out.append("- Voice part bytes %02X and %02X (velocity curve and key curve) are renumbered by the curve "
               "table." % CURVE_BYTES)
    out.append("")
    out.append("Curve table (old curve -> curve of this instrument, new = (11 - 3 x old) mod 13; values "
               "13 and up stay):")
    out.append("")
    out.append("| old | " + " | ".join("%d" % v for v in range(CURVE_SHAPES)) + " |")
    out.append("|---" * (CURVE_SHAPES + 1) + "|")
    out.append("| new | " + " | ".join("%d" % CURVE_TABLE[v] for v in range(CURVE_SHAPES)) + " |")
    out.append("")
    out.append("`.w2e` voices: each effect block of the converted voice part goes through its block's map. "
               "In the chorus block type 02 10 is first read as 02 18. A type that is none of the old "
               "model's types below becomes 00 00 with all parameters 00 00. A type of the old model "
               "that another block lists gets the block's row 0 (\"No Effect\": all parameters 00 00, "
               "the type kept). Otherwise the parameters start as the defaults of the type's row, each "
               "of the first ten old parameters (all 16 in the second insertion block) goes to the slot "
               "the row names (\"-\": dropped), and in the chorus block a slot marked V1 or V2 passes "
               "its value through value table 1 or 2 (a value past the table gives the slot's default). "
               "The type keeps its code, except the quad types (above). The old model's types are the "
               "codes of the tables below; the insertion map serves both insertion blocks.")
    out.append("")
    for title, types, moved in BLOCKS[:3]:
        label = "insertion" if title.startswith("insertion") else title
        out.append("| %s row | old code | type | old parameter 1..%d goes to slot |" % (label, moved))
        out.append("|---|---|---|---|")
        for r, t in enumerate(types):
            d, p, c = map_row(t, 16 if label == "insertion" else moved)
            shown = []
            for i in range(len(t[3]) if t[4] is None else max(len(t[3]), len(t[4]))):
                s = p[i]
                mark = "" if s >= 16 or not c[s] else (" V1" if c[s] == T1 else " V2")
                shown.append("-" if s >= 16 else "%d%s" % (s + 1, mark))
            out.append("| %d | %s | %s | %s; the rest dropped |" % (r + 1, hexcode(t[0]), t[2], ", ".join(shown)))
        out.append("")
    out.append("Value table 1 (old LFO frequency 0..63): 2 x v. Value table 2 (old feedback 0..63, 32 "
               "none): 64 + 2 x (v - 32), at least 1.")
    out.append("")
    out.append("The drum and plug-in voices of a `.w2e` file take the quad rule in their chorus blocks too, "
               "so that no voice keeps a code this instrument does not have.")
    return "\n".join(out)


def write_all(root, doc_path):
    with open(os.path.join(os.path.dirname(root), CPP_FILE), "w", newline="\n") as f:
        f.write(cpp_text())
    with open(doc_path) as f:
        doc = f.read()
    begin, end = "<!-- older voice files generated: begin -->", "<!-- older voice files generated: end -->"
    i, j = doc.index(begin), doc.index(end)
    doc = doc[:i + len(begin)] + "\n" + doc_text() + "\n" + doc[j:]
    with open(doc_path, "w", newline="\n") as f:
        f.write(doc)

"""The R5T control surface of the TOVAR-VANTREL editor: one page table from which the
surface template (TOVAR-VANTREL-R5T.tpr), the category lists [ParamSelectType1..9] of
parts.ini and the surface part of the memory-map document are written.

Called by generate_templates.py: param_select_sections() from parts_ini(), write_all()
from main(). The page table follows the multi map (every address is a parameter of
METOVAR-VANTREL.tpm) and the tab order of the editor's detail views: route byte 1 of a
page is the tab its window shows.
"""
import os

SURFACE_TYPE = "R5T"
TEMPLATE_FILE = "TOVAR-VANTREL-R5T.tpr"

# ---------------------------------------------------------------- hardware
KEY_NOTE_BASE = 0x20          # key k sends and lights note 20 + k
KEY_COUNT = 61
FADER_COUNT = 9               # pitch-bend channels 0-7 the strips, 8 the master
ENCODER_COUNT = 8             # controllers 10-17 on channel 1
BANKS = 2                     # 8 strips show parts 1-8 or 9-16
UPPER_BASE, LOWER_BASE = 0x00, 0x40
FIELDS = 8
DISPLAY_TIME_MS = 1000

KEY_NAMES = (["SEL %d" % (i + 1) for i in range(8)] + ["SEL MASTER"]
             + ["STATUS %d" % (i + 1) for i in range(8)] + ["STATUS MASTER"]
             + ["PUSH %d" % (i + 1) for i in range(8)] + ["EDIT"]
             + ["MIX %d" % (i + 1) for i in range(8)]
             + ["INSERT", "KEY 36", "KEY 37", "DISPLAY", "APP 1", "APP 2", "REMOTE", "APP 3",
                "APP 4", "MODIFIER", "SOLO", "KEY 46", "BANK DOWN", "BANK UP", "SHIFT",
                "PAGE LEFT", "PAGE RIGHT"]
             + ["COMMON %d" % (i + 1) for i in range(8)] + ["KEY 60"])
assert len(KEY_NAMES) == KEY_COUNT

KEY_FUNCTIONS = {
    0: "keys 0-7: select strip 1-8 (the part shown on it) and choose its page",
    8: "select the master and choose its page",
    9: "keys 9-16: solo or mute of strip 1-8 (with MODIFIER: all parts)",
    17: "master status",
    18: "keys 18-25: push of encoder 1-8 (toggle; with MODIFIER: default value)",
    26: "EDIT: lamp on: the edit pages of the selection; off: the mixer pages",
    27: "keys 27-34: jump to mixer page 1-8",
    35: "INSERT with SHIFT held: jump to the insertion switches",
    38: "DISPLAY: the page's other layout (names, voices)",
    39: "keys 39, 40, 42, 43: in plug-in mode, hand the surface back (REMOTE lamp off)",
    41: "REMOTE: take the surface over (lamp on)",
    44: "MODIFIER (held): all parts, steps x10, default values, no window change",
    45: "SOLO: status keys show solo (lamp on) or mute",
    47: "bank down (parts 1-8)",
    48: "bank up (parts 9-16)",
    49: "SHIFT (held): page keys jump between page groups",
    50: "previous page",
    51: "next page",
    52: "keys 52-59: jump to common page 1-8",
}

# Surface commands beside lamps, faders and display text.
REMOTE_ON = "F043103E0E6101F7"   # remote mode on (the surface shows the editor)


def key_note(k):
    return KEY_NOTE_BASE + k


def lamp_msg(k, on):
    return "3,90%02X%02X" % (key_note(k), 0x7F if on else 0)


# ---------------------------------------------------------------- category lists
# [ParamSelectTypeN]: (long name, short name, minimum, maximum, display table name).
# Values are data-form values of the parameter the list serves.
SELECT_LISTS = [
    ("reverb type", [("Off:", "-", 0, 0, "RevType"), ("Hall:", "H", 1, 2, "RevType"),
                     ("Room:", "R", 3, 4, "RevType"), ("Stage:", "S", 5, 5, "RevType"),
                     ("Plate:", "P", 6, 6, "RevType"), ("Spring:", "Sp", 7, 7, "RevType")]),
    ("chorus type", [("Off:", "-", 0, 0, "ChoType"), ("Chorus:", "C", 1, 2, "ChoType"),
                     ("Flange:", "F", 3, 3, "ChoType"), ("Phase:", "P", 4, 4, "ChoType"),
                     ("Ensmbl:", "E", 5, 5, "ChoType"), ("Delay:", "D", 6, 7, "ChoType")]),
    ("master effect type", [("Thru:", "-", 0, 0, "EFType"), ("Dyn:", "D", 1, 2, "EFType"),
                            ("Color:", "C", 3, 3, "EFType"), ("Mod:", "M", 4, 5, "EFType"),
                            ("Tape:", "T", 6, 6, "EFType")]),
    ("arpeggio type", [("Seq:", "S", 0, 299, "ArpType"), ("Chord:", "C", 300, 599, "ArpType"),
                       ("Bass:", "B", 600, 899, "ArpType"), ("Gate:", "G", 900, 1199, "ArpType"),
                       ("Perc:", "P", 1200, 1499, "ArpType"), ("Pad:", "D", 1500, 1786, "ArpType"),
                       ("User:", "U", 8192, 8447, "ArpType")]),
    ("receive channel", [("Ch ", "Ch", 0, 7, "RcvCh"), ("Ch ", "Ch", 8, 15, "RcvCh"),
                         ("Ch ", "Ch", 16, 16, "RcvCh")]),
    ("arpeggio quantize", [("Quant ", "Q", 0, 2, "ArpQuantValue"), ("Quant ", "Q", 3, 5, "ArpQuantValue"),
                           ("Quant ", "Q", 6, 7, "ArpQuantValue")]),
    ("arpeggio unit", [("Unit ", "x", 0, 2, "ArpUnitMulti"), ("Unit ", "x", 3, 3, "ArpUnitMulti"),
                       ("Unit ", "x", 4, 6, "ArpUnitMulti")]),
    ("note by octave", [("Note ", "N", 12 * o, 12 * o + 11, "NoteName") for o in range(10)]
     + [("Note ", "N", 120, 127, "NoteName")]),
    ("output select", [("Out ", "O", 0, 0, "OutputSel"), ("Out ", "O", 1, 3, "OutputSel")]),
]
assert len(SELECT_LISTS) == 9
L_REV, L_CHO, L_EF, L_ARP, L_RCVCH, L_QUANT, L_UNIT, L_NOTE, L_OUT = range(9)

# ---------------------------------------------------------------- template styles and masks
STYLES = [
    ("SurfOffOn", [(0, "Off"), (1, "On")]),
    # The multi name's characters; ',' and ';' cannot be written in a template line
    # and show as their numbers.
    ("SurfAscii", [(c, chr(c)) for c in range(0x20, 0x7F) if chr(c) not in ",;"]),
]
S_OFFON, S_ASCII = 0, 1
MASKS = [1 << b for b in range(7)]   # mask n: bit n of a receive-switch byte

# Function codes of an item's kind (high 16 bits).
F_CATEGORY, F_VOICE, F_BANK, F_SUSTAIN, F_INSERT = 17, 33, 34, 35, 37


def kind(code=0, arg=0):
    return (code << 16) | arg


def item(field, addr, label=None, width=1, code=0, arg=0, mask=-1, style=-1, knob=None):
    """A parameter on a page: the encoder under its first field turns it."""
    return dict(field=field, width=width, addr=addr, kind=kind(code, arg), mask=mask, style=style,
                label=label, knob=field if knob is None else knob)


# ---------------------------------------------------------------- pages
# A window: (name, form, title, items). form 0: part mixer (items per bank), 1: multi edit.
MIXER_PAGES = [
    # name, title, part-block offset, code, argument base (per part), style
    ("MixPan", "PAN", 0x0E, 0, 0, -1),
    ("MixRevSend", "REVERB SEND", 0x12, 0, 0, -1),
    ("MixChoSend", "CHORUS SEND", 0x13, 0, 0, -1),
    ("MixDryLevel", "DRY LEVEL", 0x15, 0, 0, -1),
    ("MixVoice", "VOICE", 0x00, F_VOICE, 0, -1),
    ("MixBank", "BANK", 0x00, F_BANK, 0, -1),
    ("MixInsert", "INSERTION", None, F_INSERT, 0, S_OFFON),
    ("MixRcvCh", "RECEIVE CHANNEL", 0x03, F_CATEGORY, L_RCVCH, -1),
]
MIXER_SHIFT = 4
INSERT_FIELD = (0x36, 0x00, 0x60)


def part_addr(p, off):
    return (0x37, p, off)


def common(off, blk=0x00):
    return (0x36, blk, off)


def effect_pages(prefix, blk, type_list, extra):
    """Type, extra items, then the 16 effect parameters (named by the map per type)."""
    first = [item(0, common(0x00, blk), "Type", width=3, code=F_CATEGORY, arg=type_list)]
    f = 3
    for off, label in extra:
        first.append(item(f, common(off, blk), label))
        f += 1
    params = [common(0x02 + 2 * i, blk) for i in range(16)]
    pages, cur = [first], first
    for a in params:
        if f >= FIELDS:
            cur, f = [], 0
            pages.append(cur)
        cur.append(item(f, a))
        f += 1
    names = ["%s%s" % (prefix, c) for c in "ABCDEFG"[:len(pages)]]
    return list(zip(names, pages))


def common_tabs():
    """The common detail view's eight tabs, in its order."""
    arp = [
        ("CArpA", [item(0, common(0x14), "Type", width=2, code=F_CATEGORY, arg=L_ARP),
                   item(2, common(0x16), "ArpSw"), item(3, common(0x28), "Tempo"),
                   item(4, common(0x26), "Swing"), item(5, common(0x12), "TxCh"),
                   item(6, common(0x11), "MidOut"), item(7, common(0x17), "Hold")]),
        ("CArpB", [item(0, common(0x19), "NoteLo", code=F_CATEGORY, arg=L_NOTE),
                   item(1, common(0x1A), "NoteHi", code=F_CATEGORY, arg=L_NOTE),
                   item(2, common(0x1B), "VelLo"), item(3, common(0x1C), "VelHi"),
                   item(4, common(0x1D), "KeyMd"), item(5, common(0x1E), "VelMd"),
                   item(6, common(0x1F), "Timing"),
                   item(7, common(0x18), "Unit", code=F_CATEGORY, arg=L_UNIT)]),
        ("CArpC", [item(0, common(0x20), "Quant", code=F_CATEGORY, arg=L_QUANT),
                   item(1, common(0x21), "QStren"), item(2, common(0x22), "VelRat"),
                   item(3, common(0x24), "Gate")]),
    ]
    rev = effect_pages("CRev", 0x01, L_REV, [(0x22, "Return"), (0x23, "Pan")])
    cho = effect_pages("CCho", 0x02, L_CHO, [(0x22, "Return"), (0x23, "Pan"), (0x24, "ToRev")])
    eq = [
        ("CMeqA", [item(0, common(0x00, 0x10), "LoGain"), item(1, common(0x01, 0x10), "LoFreq"),
                   item(2, common(0x02, 0x10), "LoQ"), item(3, common(0x03, 0x10), "LoShp"),
                   item(4, common(0x04, 0x10), "LMGain"), item(5, common(0x05, 0x10), "LMFreq"),
                   item(6, common(0x06, 0x10), "LMQ")]),
        ("CMeqB", [item(0, common(0x08, 0x10), "MdGain"), item(1, common(0x09, 0x10), "MdFreq"),
                   item(2, common(0x0A, 0x10), "MdQ"), item(4, common(0x0C, 0x10), "HMGain"),
                   item(5, common(0x0D, 0x10), "HMFreq"), item(6, common(0x0E, 0x10), "HMQ")]),
        ("CMeqC", [item(0, common(0x10, 0x10), "HiGain"), item(1, common(0x11, 0x10), "HiFreq"),
                   item(2, common(0x12, 0x10), "HiQ"), item(3, common(0x13, 0x10), "HiShp")]),
    ]
    mef = effect_pages("CMef", 0x11, L_EF, [(0x22, "Switch")])
    ins = [("CInsA", [item(i, INSERT_FIELD, "Part %d" % (i + 1), code=F_INSERT, arg=i, style=S_OFFON)
                      for i in range(8)]),
           ("CInsB", [item(i, INSERT_FIELD, "Part%d" % (i + 9), code=F_INSERT, arg=i + 8, style=S_OFFON)
                      for i in range(8)]),
           ("CInsC", [item(i, INSERT_FIELD, "PLG %d" % (i + 1), code=F_INSERT, arg=16 + i, style=S_OFFON)
                      for i in range(2)])]
    ctrl = [("CCtrl", [item(0, common(0x58), "Asgn1"), item(1, common(0x59), "Asgn2"),
                       item(2, common(0x5C), "FC1"), item(3, common(0x5B), "FC2"),
                       item(4, common(0x5A), "BC"), item(5, common(0x5E), "RB")])]
    name = [("CNameA", [item(i, common(i), "Chr %d" % (i + 1), style=S_ASCII) for i in range(8)]),
            ("CNameB", [item(i, common(8 + i), "Chr%d" % (i + 9), style=S_ASCII) for i in range(2)])]
    return [("Arpeggio", "ARPEGGIO", arp), ("Reverb", "REVERB", rev), ("Chorus", "CHORUS", cho),
            ("MasterEQ", "MASTER EQ", eq), ("MasterEffect", "MASTER EFFECT", mef),
            ("Insertion", "INSERTION", ins), ("ControlNumber", "CONTROL NUMBER", ctrl),
            ("MultiName", "MULTI NAME", name)]


# Receive switches: (label, switch number); switch s is bit s mod 8 of byte 1F + s / 8.
RECEIVE_SWITCHES = [("ArpSw", 1), ("CtrlCh", 2), ("BankSl", 3), ("PrgChg", 4), ("AftTch", 5),
                    ("PBend", 6), ("VolExp", 8), ("Pan", 9), ("Sustn", 11), ("ModWhl", 13),
                    ("FC1", 18), ("FC2", 16), ("FtSw", 17), ("Breath", 19), ("Asgn1", 20),
                    ("Asgn2", 21), ("Ribbon", 22)]
SUSTAIN_SWITCH = 11


def part_tabs(p):
    """The part detail view's seven tabs, in its order, for part p (0-15)."""
    a = lambda off: part_addr(p, off)
    rcv = []
    for i, (label, s) in enumerate(RECEIVE_SWITCHES):
        code = F_SUSTAIN if s == SUSTAIN_SWITCH else 0
        rcv.append(item(i % 8, a(0x1F + s // 8), label, code=code, mask=s % 8, style=S_OFFON))
    return [
        ("General", "GENERAL", [("P%dGen" % (p + 1), [
            item(0, a(0x00), "Bank", code=F_BANK), item(1, a(0x00), "Voice", width=2, code=F_VOICE),
            item(3, a(0x03), "RcvCh", code=F_CATEGORY, arg=L_RCVCH), item(4, a(0x04), "Mode"),
            item(5, a(0x1E), "Output", code=F_CATEGORY, arg=L_OUT), item(6, a(0x24), "ElPan"),
            item(7, a(0x15), "Dry")])]),
        ("NoteVel", "NOTE VELOCITY", [("P%dNote" % (p + 1), [
            item(0, a(0x07), "NoteLo", code=F_CATEGORY, arg=L_NOTE),
            item(1, a(0x08), "NoteHi", code=F_CATEGORY, arg=L_NOTE), item(2, a(0x05), "VelLo"),
            item(3, a(0x06), "VelHi"), item(4, a(0x0B), "VSDpth"), item(5, a(0x0C), "VSOfst")])]),
        ("Pitch", "PITCH", [("P%dPitch" % (p + 1), [
            item(0, a(0x10), "Detune"), item(1, a(0x16), "NShift"), item(2, a(0x09), "PBUp"),
            item(3, a(0x0A), "PBLo"), item(4, a(0x1A), "PortSw"), item(5, a(0x1B), "PortTm"),
            item(6, a(0x1C), "PortMd")])]),
        ("AEG", "AMP EG", [("P%dAeg" % (p + 1), [
            item(0, a(0x23), "Attack"), item(1, a(0x25), "Decay"), item(2, a(0x22), "Sustn"),
            item(3, a(0x26), "Releas")])]),
        ("FEG", "FILTER", [("P%dFeg" % (p + 1), [
            item(0, a(0x17), "Cutoff"), item(1, a(0x18), "Reso"), item(2, a(0x2C), "Depth"),
            item(4, a(0x28), "Attack"), item(5, a(0x2A), "Decay"), item(6, a(0x27), "Sustn"),
            item(7, a(0x2B), "Releas")])]),
        ("PartEQ", "PART EQ", [("P%dEq" % (p + 1), [
            item(0, a(0x2E), "LoFreq"), item(1, a(0x30), "LoGain"), item(2, a(0x36), "HiFreq"),
            item(3, a(0x38), "HiGain"), item(4, a(0x32), "MdFreq"), item(5, a(0x34), "MdGain"),
            item(6, a(0x35), "MdReso")])]),
        ("RcvSw", "RECEIVE SWITCH", [("P%dRcv%s" % (p + 1, c), rcv[8 * i:8 * i + 8])
                                     for i, c in enumerate("ABC")]),
    ]


def page_tree():
    """Top entries: (kind, name, format, page-set condition, strip, bank, shift, tabs).
    A tab is (node name, title, [(window, items)]): one window is a page of the tab,
    several make the tab a node with sub-pages."""
    tops = [(0, "MIXER", 0, 0, -1, -1, MIXER_SHIFT, None),
            (17, "COMMON", 2, 1, 8, -1, -1, common_tabs())]
    for p in range(16):
        tops.append((p + 1, "PART%d" % (p + 1), 1, 1, p % 8, p // 8, -1, part_tabs(p)))
    return tops


FORMATS = [0, 1, 1]  # window formats: mixer pages, part pages, common pages

KEY_ON_JUMP = ([(-1, 27 + i, -1, "0-%d" % i) for i in range(8)]
               + [(-1, 52 + i, -1, "1-%d-0" % i if i != 6 else "1-6") for i in range(8)]
               + [(-1, 35, 49, "1-5-0")])
DEFAULT_ROUTE = "0-0"


# ---------------------------------------------------------------- writers

class Ini:
    """Template syntax as the editor reads it (see generate_templates.Tpm)."""

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
        assert all(0x20 <= ord(c) < 0x7F for c in value), value
        line = "%s=%s" % (key, value)
        assert len(line) < 500, line
        self.lines.append(line)

    def comment(self, text):
        self.lines.append("; " + text)

    def text(self):
        return "\n".join(self.lines) + "\n"


def hx(bs):
    return "".join("%02X" % b for b in bs)


def item_line(it, bank=None):
    toks = [] if bank is None else [str(bank)]
    toks += [str(it["knob"]), "0", str(it["field"]), str(it["width"]), hx(it["addr"]),
             "%X" % it["kind"], str(it["mask"]), str(it["style"]),
             "1" if it["label"] else "0"]
    if it["label"]:
        toks.append(it["label"])
    return ",".join(toks)


def check_item(it, params):
    assert tuple(it["addr"]) in params, ("no such parameter", it)
    assert 0 <= it["field"] and it["field"] + it["width"] <= FIELDS, it
    assert it["label"] is None or 0 < len(it["label"]) <= 7 * it["width"] - 1, it


def mixer_items(page):
    name, title, off, code, argbase, style = page
    value, names = [], []
    for p in range(16):
        b, s = p // 8, p % 8
        addr = INSERT_FIELD if off is None else part_addr(p, off)
        arg = p if code == F_INSERT else argbase
        value.append((b, item(s, addr, None, code=code, arg=arg, style=style)))
        names.append((b, item(s, part_addr(p, 0x00), None, code=F_VOICE)))
    return value, names


def write_template(disp_index, params):
    t = Ini()
    t.comment("TOVAR-VANTREL editor: the R5T control surface. Generated by data/tools/surface_tables.py")
    t.comment("(run data/tools/generate_templates.py); see TOVAR-VANTREL-memory-map.md, section 10.")
    t.sec("Support")
    t.kv("Size", 1)
    t.kv("0", SURFACE_TYPE)

    t.sec("InitItem")
    t.kv("Standalone", "InitStandalone")
    t.kv("Plugin", "InitPlugin")
    for sec in ("InitStandalone", "InitPlugin"):
        t.sec(sec)
        t.kv("Size", 2)
        t.kv("0", "8,%s" % REMOTE_ON)
        t.kv("1", lamp_msg(41, True))

    t.sec("KeyIDList")
    t.kv("Size", KEY_COUNT)
    for k in range(KEY_COUNT):
        t.kv(str(k), "%X" % key_note(k))
    t.sec("FaderIDList")
    t.kv("Size", FADER_COUNT)
    for f in range(FADER_COUNT):
        t.kv(str(f), "%X" % f)
    t.sec("EncoderIDList")
    t.kv("Size", ENCODER_COUNT)
    for e in range(ENCODER_COUNT):
        t.kv(str(e), "%X" % e)
    t.sec("BankGroup")
    t.kv("Size", BANKS)
    t.sec("LcdAddrStruct")
    t.kv("Size", FIELDS)
    for f in range(FIELDS):
        t.kv(str(f), "%02X,%02X" % (UPPER_BASE + 7 * f, LOWER_BASE + 7 * f))
    t.sec("WindowFormat")
    t.kv("Size", len(FORMATS))
    for i, form in enumerate(FORMATS):
        t.kv(str(i), form)
    t.sec("FaderMasterValueDisplay")
    t.kv("MidiFormat", 0)
    t.kv("Size", 1)
    t.kv("0", "000000")

    tops = page_tree()
    windows = []  # (name, format, form, payload)
    for pg in MIXER_PAGES:
        windows.append((pg[0], 0, 0, pg))
    tree_sections = []  # (section, children, shift)
    for kind_, name, fmt, cond, strip, bank, shift, tabs in tops:
        if tabs is None:
            tree_sections.append((name, [pg[0] for pg in MIXER_PAGES], shift))
            continue
        children = []
        for tab_name, title, pages in tabs:
            for w, items in pages:
                windows.append((w, fmt, 1, (title, items)))
            if len(pages) == 1:
                children.append(pages[0][0])
            else:
                node = "%s%s" % (name, tab_name)
                tree_sections.append((node, [w for w, _ in pages], -1))
                children.append(node)
        tree_sections.append((name, children, shift))

    t.sec("WindowList")
    t.kv("Size", len(windows))
    for i, (w, fmt, form, _) in enumerate(windows):
        t.kv(str(i), "%d,%s" % (fmt, w))
    t.sec("WindowTreeList")
    t.kv("Size", len(tops))
    for i, (kind_, name, fmt, cond, strip, bank, shift, tabs) in enumerate(tops):
        t.kv(str(i), "%d,%s,%d,%d,%d,%d" % (kind_, name, fmt, cond, strip, bank))
    for node, children, shift in tree_sections:
        t.sec(node)
        t.kv("Size", len(children))
        if shift >= 0:
            t.kv("DispShiftNum", shift)
        for i, c in enumerate(children):
            t.kv(str(i), c)

    for w, fmt, form, payload in windows:
        t.sec(w)
        t.kv("MidiFormat", 0)
        if form == 0:
            k = 27 + [pg[0] for pg in MIXER_PAGES].index(w)
            # The page's jump key is lit while the page is shown.
            t.kv("SendMsg1Size", 1)
            t.kv("0", lamp_msg(k, True))
            t.kv("SendMsg2Size", 1)
            t.kv("0", lamp_msg(k, False))
            value, names = mixer_items(payload)
            for sub, items in (("DispModeValue", value), ("DispModeName", names)):
                t.sec(sub)
                t.kv("ConstantSize", 16)
                for p in range(16):
                    t.kv(str(p), "%d,%d,%s" % (p // 8, p % 8, "Part%2d" % (p + 1)))
                t.kv("VariableSize", len(items))
                for i, (b, it) in enumerate(items):
                    check_item(it, params)
                    t.kv(str(i), item_line(it, b))
        else:
            title, items = payload
            # Multi-edit pages send no messages: their items use the keys "0".. of
            # the first occurrence.
            t.kv("SendMsg1Size", 0)
            t.kv("SendMsg2Size", 0)
            t.kv("ConstantStr", "0,%s" % title)
            t.kv("ParamSize", len(items))
            for i, it in enumerate(items):
                check_item(it, params)
                t.kv(str(i), item_line(it))

    t.sec("FaderValueDisplay")
    t.kv("MidiFormat", 0)
    t.kv("Size", 8)
    for s in range(8):
        t.kv(str(s), "%s,%s" % (hx(part_addr(s, 0x0D)), hx(part_addr(s + 8, 0x0D))))
    t.sec("DisplayTime")
    t.kv("Time", DISPLAY_TIME_MS)
    t.sec("KeyOnJump")
    t.kv("Size", len(KEY_ON_JUMP))
    for i, (cond, key, held, route) in enumerate(KEY_ON_JUMP):
        t.kv(str(i), "%d,%d,%d,%s" % (cond, key, held, route))
    t.sec("KnobCombination")
    t.kv("Size", ENCODER_COUNT)
    for i in range(ENCODER_COUNT):
        t.kv(str(i), "%d,%d" % (18 + i, i))
    t.sec("InvalidChar")
    t.kv("Size", 1)
    t.kv("0", "0,-")
    t.sec("InitDispWindowTree")
    t.kv("Size", 1)
    t.kv("0", DEFAULT_ROUTE)
    t.sec("DispStyleList")
    t.kv("Size", len(STYLES))
    for i, (name, _) in enumerate(STYLES):
        t.kv(str(i), name)
    for name, rows in STYLES:
        t.sec(name)
        t.kv("ParamSize", 1)
        t.kv("Size", len(rows))
        for i, (v, text) in enumerate(rows):
            t.kv(str(i), "%d,%s" % (v, text))
    t.sec("BitMaskPattern")
    t.kv("Size", len(MASKS))
    for i, m in enumerate(MASKS):
        t.kv(str(i), "1,%02X" % m)
    return t.text(), windows, tops


def table_number(disp_tables, name):
    for i, entry in enumerate(disp_tables):
        if entry[0] == name:
            return i
    return -1


def param_select_sections(t, disp_tables):
    """Appends [ParamSelectType1..9] to parts.ini (t: the generator's Tpm writer)."""
    t.comment("Category lists of the control surface (category select); name,short name,")
    t.comment("minimum,maximum,string table: data-form values. See surface_tables.py.")
    for n, (_, cats) in enumerate(SELECT_LISTS):
        t.sec("ParamSelectType%d" % (n + 1))
        t.kv("CategoryNum", len(cats))
        for i, (name, short, lo, hi, table) in enumerate(cats):
            t.kv(str(i + 1), "%s,%s,%d,%d,%d" % (name, short, lo, hi, table_number(disp_tables, table)))


# ---------------------------------------------------------------- document


def describe(it):
    code = it["kind"] >> 16
    arg = it["kind"] & 0xFFFF
    what = {0: "", F_CATEGORY: "category list %d" % (arg + 1), F_VOICE: "voice by name",
            F_BANK: "bank", F_SUSTAIN: "sustain switch", F_INSERT: "insertion of part %d" % (arg + 1)}[code]
    if it["mask"] >= 0:
        what = (what + ", " if what else "") + "bit %d" % it["mask"]
    return what


def doc_section(windows, tops):
    out = []
    out.append("#### Keys (note = 20 + key number)\n")
    out.append("| key | note | name | function |")
    out.append("|---|---|---|---|")
    for k in range(KEY_COUNT):
        out.append("| %d | %02X | %s | %s |" % (k, key_note(k), KEY_NAMES[k], KEY_FUNCTIONS.get(k, "")))
    out.append("")
    out.append("#### Page tree\n")
    out.append("Route byte 0 is the top entry, byte 1 the tab of the editor window that "
               "`openGuiWindow(kind, byte 1, ...)` asks for, byte 2 a sub-page of that tab.\n")
    out.append("| top | kind (window) | page set (EDIT lamp) | strip, bank | tabs (byte 1) |")
    out.append("|---|---|---|---|---|")
    for i, (kind_, name, fmt, cond, strip, bank, shift, tabs) in enumerate(tops):
        if tabs is None:
            tab_text = ", ".join("%d %s" % (j, pg[0]) for j, pg in enumerate(MIXER_PAGES))
        else:
            tab_text = ", ".join("%d %s (%d)" % (j, title, len(pages)) for j, (_, title, pages) in enumerate(tabs))
        who = ("any selection" if strip == -1 else "the master" if strip == 8
               else "part %d" % (bank * 8 + strip + 1))
        out.append("| %d %s | %d | %s | %s | %s |" % (i, name, kind_, "on" if cond else "off", who, tab_text))
    out.append("")
    out.append("#### Pages (fields 1-8 left to right; the encoder under a field turns its item)\n")
    out.append("| page | fields |")
    out.append("|---|---|")
    for w, fmt, form, payload in windows:
        if form == 0:
            name, title, off, code, argbase, style = payload
            addr = "36 00 60" if off is None else "37 pp %02X" % off
            extra = {0: "", F_VOICE: ", voice by name", F_BANK: ", bank", F_INSERT: ", insertion of part pp",
                     F_CATEGORY: ", category list %d" % (argbase + 1)}[code]
            out.append("| %s (mixer) | strip s (1-8): %s of part 8 x bank + s (pp = 8 x bank + s - 1)%s; "
                       "DISPLAY: voice names |"
                       % (w, addr, extra))
            continue
        title, items = payload
        if w.startswith("P") and not w.startswith("P1") or w.startswith("P1") and w[2].isdigit():
            continue  # parts 2-16 repeat part 1 with their own part number
        cells = []
        for it in items:
            label = it["label"] or "(name)"
            d = describe(it)
            addr = " ".join("%02X" % b for b in it["addr"])
            if w.startswith("P1") and it["addr"][0] == 0x37:
                addr = "37 pp %02X" % it["addr"][2]
            cells.append("%d %s %s%s%s" % (it["field"] + 1, label, addr,
                                            " x%d" % it["width"] if it["width"] > 1 else "",
                                            " (%s)" % d if d else ""))
        shown = w.replace("P1", "Pn") if w.startswith("P1") else w
        out.append("| %s | %s |" % (shown, "; ".join(cells)))
    out.append("")
    out.append("Pn pages are those of part n (37 pp with pp = n - 1).\n")
    out.append("#### Category lists (parts.ini)\n")
    out.append("| list | serves | categories (name, short name, values) |")
    out.append("|---|---|---|")
    for n, (what, cats) in enumerate(SELECT_LISTS):
        out.append("| %d | %s | %s |" % (n + 1, what, "; ".join("%s %s %d-%d" % (c[0].strip(), c[1], c[2], c[3])
                                                              for c in cats)))
    return "\n".join(out)


def write_all(data_dir, doc_path, disp_tables, multi_blocks):
    params = set()
    for blk in multi_blocks:
        adr = blk[2]
        for p in blk[4]:
            if p["name"] != "Reserved":
                params.add((adr[0], adr[1], p["off"]))
    text, windows, tops = write_template(disp_tables, params)
    with open(os.path.join(data_dir, TEMPLATE_FILE), "w", newline="\n") as f:
        f.write(text)
    with open(doc_path) as f:
        doc = f.read()
    begin, end = "<!-- surface generated: begin -->", "<!-- surface generated: end -->"
    if begin in doc and end in doc:
        i, j = doc.index(begin), doc.index(end)
        doc = doc[:i + len(begin)] + "\n" + doc_section(windows, tops) + "\n" + doc[j:]
        with open(doc_path, "w", newline="\n") as f:
            f.write(doc)

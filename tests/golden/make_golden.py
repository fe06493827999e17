#!/usr/bin/env python3
"""Writes the golden files for the task file, INI export and text file tests.

Every byte here is built from the file layouts by hand, independent of the
C++ code. Run it again at any time; it overwrites the files next to it.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
TAB, HISTORY_MAX, KEY = 9, 150000, 15454


def units(text):
    """The UTF-16 code units of a text (surrogate pairs for characters above U+FFFF)."""
    raw = text.encode("utf-16-le")
    return list(struct.unpack("<%dH" % (len(raw) // 2), raw))


def put(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


# ---- task file: one encoded record line -----------------------------------

def record_units(rec):
    """Record text before its checksum: lead-in, then the body between two 7999 units."""
    u = [TAB] * 111 + [7999]
    u += [7100] + [7000 + rec[k] for k in ("action", "force", "noshow", "cancel", "local")]
    u += [7000] * 6 + [7100]
    for marker, field in ((7300, "comment"), (7400, "delay"), (7500, "message")):
        u += [marker] + units(rec[field]) + [marker]
    u.append(7600)
    for entry in rec["computers"]:
        assert len(entry) == 11
        u.append(7650)
        for k, text in enumerate(entry):
            u += [7651 + k] + units(text) + [7651 + k]
        u.append(7650)
    u.append(7600)
    history = rec["history"][-HISTORY_MAX:]  # the writer keeps the newest characters
    u += [7700] + units(history) + [7700]
    u += [7750] + units(rec["logFile"]) + [7750]
    u.append(7999)
    return u


def checksum(u, upper=False):
    text = "%010x" % (sum(u) & 0xFFFFFFFF)
    return text.upper() if upper else text


def task_bytes(plain):
    """Scrambles every unit from index 100 on and appends the line feed unit."""
    enc = plain[:100] + [(x - KEY) & 0xFFFF for x in plain[100:]]
    return struct.pack("<%dH" % len(enc), *enc) + struct.pack("<H", 0x000A)


def record(**fields):
    rec = dict(action=0, comment="", local=0, force=0, noshow=0, cancel=1, delay="",
               message="", history="", logFile="", computers=[])
    rec.update(fields)
    return rec


def write_task(name, rec, upper=False):
    body = record_units(rec)
    check = checksum(body, upper)
    put(name, task_bytes(body + units(check)))
    return body, check


EMPTY = record()
LAB = record(action=3, comment="Labor M\u00fcller nightly", local=0, force=1, noshow=0,
             cancel=1, delay="30", message="Closing time\r\nSave your work",
             computers=[["pc-01", "admin", "s3cret", "", "001122AABBCC", "",
                         "192.168.1.255", "9", "", "", ""],
                        ["10.0.0.7", "", "", "", "", "", "", "", "", "", "Ok"]],
             history="12/06/26 21:30:05 Start\r\n", logFile="C:\\logs\\lab.log")
CUT = record(history="X" * 10 + "0123456789" * 15000)

sums = {}
_, sums["task_empty.dat"] = write_task("task_empty.dat", EMPTY)
lab_body, sums["task_two_computers.dat"] = write_task("task_two_computers.dat", LAB)
cut_body, sums["task_history_cut.dat"] = write_task("task_history_cut.dat", CUT)
assert units("0123456789" * 15000) == cut_body[-(150000 + 4):-4]
assert any(c in "abcdef" for c in sums["task_two_computers.dat"]), "pick another comment"
_, sums["task_upper_checksum.dat"] = write_task("task_upper_checksum.dat", LAB, upper=True)


def readable(u):
    """Lead-in summarised, markers shown as <n>, line breaks escaped."""
    out = ["<%d x TAB>" % 111]
    for x in u[111:]:
        if 7000 <= x <= 7999:
            out.append("<%d>" % x)
        elif x in (13, 10):
            out.append("\\r" if x == 13 else "\\n")
        else:
            out.append(chr(x))
    return "".join(out).encode("utf-16-le", "surrogatepass").decode("utf-16-le")


lab_full = lab_body + units(sums["task_two_computers.dat"])
put("task_two_computers.txt", (
    "Record text of task_two_computers.dat before scrambling\n"
    "(markers as <unit>, CR/LF as \\r \\n, the 111 lead-in TABs summarised):\n\n"
    + readable(lab_body) + "\n\n"
    "checksum: %s (sum of %d units = %d)\n"
    "record length: %d units (checksum included); file: %d units with the final LF\n"
    % (sums["task_two_computers.dat"], len(lab_body), sum(lab_body),
       len(lab_full), len(lab_full) + 1)).encode("utf-8"))

# ---- INI export: [settings] then [list], CR LF line ends -------------------

def ini_bytes(rec):
    lines = ["[settings]", "action=%d" % rec["action"], "comment=" + rec["comment"],
             "force=%d" % rec["force"], "noshow=%d" % rec["noshow"],
             "cancel=%d" % rec["cancel"], "delay=" + rec["delay"],
             "message=" + rec["message"].replace("\r\n", "\\n"),
             "log file=" + rec["logFile"], "[list]"]
    for i, e in enumerate(rec["computers"]):
        if rec["action"] == 10:
            value = "%s,,,,%s,%s,%s,%s" % (e[0], e[4], e[5], e[6], e[7])
        else:
            value = "%s,%s,%s" % (e[0], e[1], e[2])
        lines.append("%d=%s" % (i, value))
    return "".join(line + "\r\n" for line in lines).encode("ascii")


put("export_shutdown.ini", ini_bytes(dict(LAB, comment="Lab A nightly")))
put("export_wol.ini", ini_bytes(record(
    action=10, comment="Wake lab", force=0, noshow=1, cancel=0,
    computers=[["pc-01", "", "", "", "001122AABBCC", "A1B2C3D4E5F6", "192.168.1.255", "9",
                "", "", ""],
               ["pc-02", "", "", "", "0A0B0C0D0E0F", "", "", "", "", "", ""]])))

# ---- text files in the four encodings --------------------------------------

def text_bytes(text, encoding):
    if encoding == 0:
        return text.encode("ascii")  # plain code page bytes; only ASCII is used here
    out = bytearray({1: b"\xfe\xff", 2: b"\xff\xfe", 3: b"\xef\xbb\xbf"}[encoding])
    for u in units(text):
        if encoding == 1:
            out += bytes([u >> 8, u & 0xFF])
        elif encoding == 2:
            out += bytes([u & 0xFF, u >> 8])
        elif u < 0x80:
            out.append(u)
        elif u < 0x800:
            out += bytes([0xC0 | (u >> 6), 0x80 | (u & 0x3F)])
        else:  # each half of a surrogate pair on its own
            out += bytes([0xE0 | (u >> 12), 0x80 | ((u >> 6) & 0x3F), 0x80 | (u & 0x3F)])
    return bytes(out)


for enc in (0, 1, 2, 3):
    put("text_abc_enc%d.txt" % enc, text_bytes("abc", enc))
MIXED = "Zeile 1\r\n\u00fc\u20ac\r\n\U0001D11E end"
for enc in (1, 2, 3):
    put("text_mixed_enc%d.txt" % enc, text_bytes(MIXED, enc))
put("text_ascii_enc0.txt", text_bytes("line one\r\nline two\r\n", 0))

# hand-checked byte sequences from the format notes
assert text_bytes("abc", 2) == bytes.fromhex("FFFE610062006300")
assert text_bytes("abc", 3) == bytes.fromhex("EFBBBF616263")
assert text_bytes("\U0001D11E", 3) == bytes.fromhex("EFBBBF EDA0B4 EDB49E")

if __name__ == "__main__":
    for name, value in sums.items():
        print("%-26s checksum %s" % (name, value))

#!/usr/bin/env python3
"""Writes the crafted archives the archive tests read. Run from this folder; the outputs are committed."""
import struct

HEADER = 16390


def header(count, table, version=2, magic=b"DC"):
    t = list(table) + [0] * (4096 - len(table))
    return magic + struct.pack("<HH", version, count) + struct.pack("<4096I", *t)


def entry(name, frame=8, rsize=10, rcount=1, t1=b"T1", t2=b"T2", f=(1, 2, 3, 4), raw=bytes(range(12))):
    e = bytearray(467)
    e[0:len(name)] = name
    struct.pack_into("<III", e, 255, 11, 12, 13)
    struct.pack_into("<H", e, 267, frame)
    struct.pack_into("<IIIII", e, 269, rsize, 21, 22, 23, rcount)
    struct.pack_into("<BBHH", e, 289, *f)
    e[295:307] = raw
    e[307:307 + len(t1)] = t1
    e[339:339 + len(t2)] = t2
    return bytes(e)


def v2_entries(items):
    """items: list of (extra, entry_bytes, data). Returns (table, body)."""
    body = b""
    table = []
    for extra, e, data in items:
        body += extra + b"%03d" % len(extra)
        table.append(HEADER + len(body))
        body += e + data
    return table, body


def write(name, data):
    with open(name, "wb") as f:
        f.write(data)


# A sound archive: an entry with an extra block and 10 bytes of data, and a size-0 entry.
table, body = v2_entries([(b"XYZ", entry(b"(ADM)FILE/ONE ON DISK"), b"0123456789"),
                          (b"", entry(b"EMPTY", rcount=0), b"")])
write("good_v2.kba", header(2, table) + body)

# Version 1: the entry header sits right after the table, where looking back would find table bytes.
write("v1.kba", header(1, [HEADER], version=1) + entry(b"OLD/FILE", frame=0, rsize=1, rcount=2) + b"ABCDEFGHIJKL")

write("short_header.kba", header(0, [])[:100])
write("bad_magic.kba", header(0, [], magic=b"XY"))
write("count_too_big.kba", header(4097, []))

# Three entries where the middle one is broken: its name has no terminator.
good = entry(b"GOOD/A")
bad = bytearray(entry(b"X"))
bad[0:255] = b"N" * 255
table, body = v2_entries([(b"", good, b"a" * 10), (b"", bytes(bad), b"b" * 10), (b"E", entry(b"GOOD/C"), b"c" * 10)])
write("middle_unterminated_name.kba", header(3, table) + body)

# One broken entry per file.
def single(name, e, data=b"0123456789", extra=b"", count=1, fix=None):
    table, body = v2_entries([(extra, e, data)])
    if fix:
        table, body = fix(table, body)
    write(name, header(count, table) + body)


single("entry_past_end.kba", entry(b"F"), fix=lambda t, b: ([20000], b))
single("entry_before_table_end.kba", entry(b"F"), fix=lambda t, b: ([100], b))
single("entry_header_cut.kba", entry(b"F"), data=b"", fix=lambda t, b: (t, b[:200]))
bad_t1 = bytearray(entry(b"F"))
bad_t1[307:339] = b"1" * 32
single("unterminated_t1.kba", bytes(bad_t1))
bad_t2 = bytearray(entry(b"F"))
bad_t2[339:467] = b"2" * 128
single("unterminated_t2.kba", bytes(bad_t2))
single("attribute_f1_too_big.kba", entry(b"F", f=(12, 0, 0, 0)))
single("extra_length_not_digits.kba", entry(b"F"), fix=lambda t, b: (t, b"0x1" + b[3:]))
# The length claims 999 bytes but only 2 lie between the table and the digits.
single("extra_too_long.kba", entry(b"F"), extra=b"QQ", fix=lambda t, b: (t, b[:2] + b"999" + b[5:]))
single("data_truncated.kba", entry(b"F", rsize=100), data=b"x" * 50)
single("size_overflow.kba", entry(b"F", frame=0, rsize=0xFFFFFFFF, rcount=0xFFFFFFFF), data=b"")
single("empty_name.kba", entry(b""))

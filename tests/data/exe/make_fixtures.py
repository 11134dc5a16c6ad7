#!/usr/bin/env python3
"""Writes the small program files the module-name tests read. Run from this folder; the output is committed."""
import struct


def old_header(relocation=0x40, new_offset=0x40, magic=b"MZ"):
    h = bytearray(64)
    h[0:2] = magic
    struct.pack_into("<H", h, 0x18, relocation)
    struct.pack_into("<I", h, 0x3C, new_offset)
    return h


def ne_program(name_entry):
    new = bytearray(64)
    new[0:2] = b"NE"
    struct.pack_into("<H", new, 0x26, 0x50)  # resident names right after the header and some padding
    return bytes(old_header() + new + bytes(0x10) + name_entry)


def pe_program():
    new = bytearray(64)
    new[0:4] = b"PE\0\0"
    return bytes(old_header() + new)


def write(name, data):
    with open(name, "wb") as f:
        f.write(data)


long_name = b"ABCDEFGHIJKLMNOPQRST"
write("ne_long_name.exe", ne_program(bytes([len(long_name)]) + long_name))
write("ne_blank_name.exe", ne_program(b"\x08PAY ROLL"))
write("ne_short_entry.exe", ne_program(b"\x05CALC\x00\x00\x00extra"))
write("ne_names_past_end.exe", ne_program(b"\x05"))  # only the length byte is there
write("setup.exe", pe_program())
write("Pay.Roll.EXE", pe_program())
write("dos_program.exe", bytes(old_header(relocation=0x1C)) + bytes(64))
write("new_header_past_end.exe", bytes(old_header(new_offset=0x1000)) + bytes(64))
write("unknown_signature.exe", bytes(old_header()) + b"LX" + bytes(62))
write("ten_bytes.exe", b"MZ" + bytes(8))
write("no_mz.exe", bytes(old_header(magic=b"ZM")) + bytes(64))

#!/usr/bin/env python3
"""Appends resources with named types to a compiled .res file.

The resource compilers here reject quoted type names, and an unquoted ICON is the standard icon
keyword, so "PNG", "ICON" and "UPDATE" are written here: a .res file is an empty header entry
followed by entries, each with UTF-16 type and name (or 0xFFFF and an id) and DWORD padding.

  mkres.py BASE.res OUT.res TYPE:ID:FILE [TYPE:ID:FILE ...]
"""
import struct
import sys

LANG_ZH_CN = 0x0804
MOVEABLE_PURE_DISCARDABLE = 0x1030


def name_or_id(value):
    if value.isdigit():
        return struct.pack("<HH", 0xFFFF, int(value))
    return (value.upper() + "\0").encode("utf-16-le")


def pad4(data):
    return data + b"\0" * (-len(data) % 4)


def entry(rtype, rid, data):
    names = pad4(name_or_id(rtype) + name_or_id(rid))
    tail = struct.pack("<IHHII", 0, MOVEABLE_PURE_DISCARDABLE, LANG_ZH_CN, 0, 0)
    header_size = 8 + len(names) + len(tail)
    return pad4(struct.pack("<II", len(data), header_size) + names + tail + data)


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    with open(argv[1], "rb") as f:
        out = f.read()
    for spec in argv[3:]:
        rtype, rid, path = spec.split(":", 2)
        with open(path, "rb") as f:
            out = pad4(out) + entry(rtype, rid, f.read())
    with open(argv[2], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv)

#!/usr/bin/env python3
"""Prints the file version ("a.b.c.d") of a Windows binary's version resource."""
import struct
import sys


def file_version(data):
    sig = data.find(struct.pack("<I", 0xFEEF04BD))
    if sig < 0:
        return ""
    ms, ls = struct.unpack_from("<II", data, sig + 8)
    return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


if __name__ == "__main__":
    with open(sys.argv[1], "rb") as f:
        print(file_version(f.read()))

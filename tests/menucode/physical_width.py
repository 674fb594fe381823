#!/usr/bin/env python3
"""Prints the physical width in millimetres of a PNG, SVG, PDF or EMF file, read from the file's
own resolution or units: the PNG pHYs chunk, the SVG width attribute in mm, the first page's
PDF MediaBox, the EMF header's frame rectangle (hundredths of a millimetre)."""
import re
import struct
import sys
import zlib


def png_width(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    pos, width, per_metre = 8, None, None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width = struct.unpack(">I", body[:4])[0]
        elif kind == b"pHYs":
            x, _y, unit = struct.unpack(">IIB", body)
            if unit != 1:
                raise ValueError("pHYs without a unit")
            per_metre = x
        pos += 12 + length
    if not per_metre:
        raise ValueError("no pHYs chunk")
    return width * 1000.0 / per_metre


def svg_width(data):
    head = data[:4096].decode("utf-8", "replace")
    m = re.search(r'<svg[^>]*\swidth="([0-9.]+)mm"', head, re.S)
    if not m:
        raise ValueError("no width in mm")
    return float(m.group(1))


def pdf_width(data):
    m = re.search(rb"/MediaBox\s*\[\s*([-0-9.]+)\s+([-0-9.]+)\s+([-0-9.]+)\s+([-0-9.]+)", data)
    if not m:
        for stream in re.finditer(rb"stream\r?\n(.*?)endstream", data, re.S):
            try:
                m = re.search(rb"/MediaBox\s*\[\s*([-0-9.]+)\s+([-0-9.]+)\s+([-0-9.]+)",
                              zlib.decompress(stream.group(1)))
            except zlib.error:
                continue
            if m:
                break
    if not m:
        raise ValueError("no MediaBox")
    return (float(m.group(3)) - float(m.group(1))) * 25.4 / 72


def emf_width(data):
    kind, _size = struct.unpack("<II", data[:8])
    if kind != 1 or data[40:44] != b" EMF":
        raise ValueError("not an EMF")
    left, _top, right, _bottom = struct.unpack("<iiii", data[24:40])
    return (right - left) / 100.0


def main():
    path = sys.argv[1]
    data = open(path, "rb").read()
    ext = path.rsplit(".", 1)[-1].lower()
    width = {"png": png_width, "svg": svg_width, "pdf": pdf_width, "emf": emf_width}[ext](data)
    print("%.2f" % width)


if __name__ == "__main__":
    main()

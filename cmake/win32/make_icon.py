#!/usr/bin/env python3
"""Packs PNG pictures into one Windows icon file, each picture a size of the
icon, stored as PNG (Windows Vista and later read these at any size).

    make_icon.py OUT.ico IN.png...
"""
import struct
import sys


def main(out, pictures):
    images = []
    for name in pictures:
        with open(name, "rb") as f:
            data = f.read()
        if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
            sys.exit(f"make_icon: {name} is not a PNG picture")
        width, height = struct.unpack(">II", data[16:24])
        if width > 256 or height > 256:
            sys.exit(f"make_icon: {name} is larger than 256 pixels")
        images.append((width, height, data))
    offset = 6 + 16 * len(images)
    header = struct.pack("<HHH", 0, 1, len(images))
    entries = b""
    for width, height, data in images:
        # 256 is written as 0 in the one byte each side has.
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32,
                               len(data), offset)
        offset += len(data)
    with open(out, "wb") as f:
        f.write(header + entries + b"".join(data for _, _, data in images))


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2:])

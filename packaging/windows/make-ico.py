#!/usr/bin/env python3
"""Writes a Windows icon file holding the given PNG images as they are.

    make-ico.py OUTPUT.ico IMAGE.png...

An icon may carry PNG images directly (every Windows since Vista reads them), so
the sizes the game ships become one .ico without any image tool.
"""
import struct
import sys


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise ValueError("not a PNG image")
    return struct.unpack(">II", data[16:24])


def main(output, images):
    blobs = [open(name, "rb").read() for name in images]
    header = struct.pack("<HHH", 0, 1, len(blobs))
    entries = b""
    offset = 6 + 16 * len(blobs)
    for blob in blobs:
        width, height = png_size(blob)
        if width > 256 or height > 256:
            raise ValueError("an icon image is at most 256 pixels wide")
        # 0 stands for 256 in the one-byte width and height.
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32,
                               len(blob), offset)
        offset += len(blob)
    with open(output, "wb") as out:
        out.write(header + entries + b"".join(blobs))


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2:])

#!/usr/bin/env python3
"""Converts the X screen dump of Xvfb -fbdir (XWD, 24 or 32 bits a pixel) to PNG.

    xwd-to-png.py Xvfb_screen0 OUTPUT.png
"""
import struct
import sys
import zlib


def main(source, output):
    data = open(source, "rb").read()
    fields = struct.unpack(">25I", data[:100])
    header_size, width, height = fields[0], fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    colors = fields[19]
    if bits_per_pixel not in (24, 32):
        sys.exit("only 24 and 32 bits a pixel are read, not %d" % bits_per_pixel)
    pixels = data[header_size + colors * 12:]
    step = bits_per_pixel // 8
    rows = bytearray()
    for y in range(height):
        line = pixels[y * bytes_per_line:y * bytes_per_line + width * step]
        rows.append(0)
        for x in range(0, width * step, step):
            # Least significant byte first (LSBFirst): blue, green, red.
            b, g, r = (line[x], line[x + 1], line[x + 2]) if byte_order == 0 else \
                (line[x + step - 1], line[x + step - 2], line[x + step - 3])
            rows += bytes((r, g, b))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xffffffff))

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b"")
    open(output, "wb").write(png)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])

#!/usr/bin/env python3
"""Writes a Windows icon file of uncompressed 32-bit images with AND masks, largest first.

usage: make_ico.py OUT.ico SIZE=picture.rgba [SIZE=picture.rgba ...]
Each .rgba file holds SIZE*SIZE pixels of 8-bit R, G, B, A, top row first (ImageMagick's rgba: output).
"""
import struct
import sys


def dib(size, rgba):
    if len(rgba) != size * size * 4:
        raise SystemExit(f"{size}: expected {size * size * 4} bytes of RGBA, got {len(rgba)}")
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    bgra = bytearray(rgba)
    bgra[0::4], bgra[2::4] = rgba[2::4], rgba[0::4]
    alpha = rgba[3::4]
    mask_stride = (size + 31) // 32 * 4
    mask = bytearray(mask_stride * size)
    for i, a in enumerate(alpha):
        if a == 0:
            # Masked pixels are black, so readers that ignore alpha and draw the colour
            # through the AND mask with XOR leave the screen behind them untouched.
            bgra[i * 4:i * 4 + 4] = bytes(4)
            row, x = divmod(i, size)
            mask[(size - 1 - row) * mask_stride + x // 8] |= 0x80 >> (x % 8)
    stride = size * 4
    pixels = b"".join(bgra[row * stride:(row + 1) * stride] for row in range(size - 1, -1, -1))  # bottom-up
    return header + pixels + bytes(mask)


def ico(images):
    """The bytes of an icon file of the (size, rgba) images, largest first."""
    images = sorted(((size, dib(size, pixels)) for size, pixels in images), key=lambda item: -item[0])
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, body in images:
        side = 0 if size >= 256 else size
        data += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(body), offset)
        offset += len(body)
    for _, body in images:
        data += body
    return data


def main():
    out, entries = sys.argv[1], sys.argv[2:]
    images = []
    for entry in entries:
        size, path = entry.split("=", 1)
        with open(path, "rb") as f:
            images.append((int(size), f.read()))
    with open(out, "wb") as f:
        f.write(ico(images))


if __name__ == "__main__":
    main()

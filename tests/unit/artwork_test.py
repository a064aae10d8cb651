#!/usr/bin/env python3
"""Runs assets/make_artwork twice and checks what the window and the payload rely on: each file's
format and pixel size, alpha where the window blends, the icon files' layout (nine uncompressed
32-bit images with AND masks, largest first; WSAAPK.ico exactly 432,254 bytes), a QR code that
reads back as the project's address, and the same bytes on both runs.

usage: artwork_test.py path/to/make_artwork
"""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

SCRIPT = None
ICON_SIZES = [256, 128, 96, 72, 64, 48, 32, 24, 16]
PICTURES = {"P1.jpg": (573, 181), "P3.jpg": (869, 136), "about1.jpg": (611, 585), "about2.jpg": (1080, 506)}
ALPHA_PICTURES = {"P2.png": (270, 270), "P5.png": (648, 648)}
ALL_FILES = sorted(list(PICTURES) + list(ALPHA_PICTURES) + ["mossgate.ico", "WSAAPK.ico"])


def jpeg_frame(data):
    """(baseline, width, height, components, marker names) of a JPEG file."""
    if data[:2] != b"\xff\xd8":
        raise AssertionError("no JPEG start marker")
    pos, markers = 2, []
    while pos < len(data):
        if data[pos] != 0xFF:
            raise AssertionError(f"no marker at {pos}")
        marker = data[pos + 1]
        length = struct.unpack(">H", data[pos + 2:pos + 4])[0]
        markers.append(marker)
        if 0xC0 <= marker <= 0xCF and marker not in (0xC4, 0xC8, 0xCC):
            height, width, components = struct.unpack(">HHB", data[pos + 5:pos + 10])
            return marker == 0xC0, width, height, components, markers
        pos += 2 + length
    raise AssertionError("no frame header")


def png_chunks(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise AssertionError("no PNG signature")
    pos, chunks = 8, []
    while pos < len(data):
        length = struct.unpack(">I", data[pos:pos + 4])[0]
        kind = data[pos + 4:pos + 8].decode("ascii")
        body = data[pos + 8:pos + 8 + length]
        if zlib.crc32(data[pos + 4:pos + 8 + length]) != struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])[0]:
            raise AssertionError(f"bad CRC in {kind}")
        chunks.append((kind, body))
        pos += 12 + length
    return chunks


def png_alpha(chunks, width, height):
    """The alpha bytes of an 8-bit RGBA PNG, row by row."""
    raw = zlib.decompress(b"".join(body for kind, body in chunks if kind == "IDAT"))
    stride, bpp = width * 4, 4
    prev, rows, pos = bytearray(stride), [], 0
    for _ in range(height):
        kind, line = raw[pos], bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        if kind == 1:
            for i in range(bpp, stride):
                line[i] = (line[i] + line[i - bpp]) & 0xFF
        elif kind == 2:
            line = bytearray((a + b) & 0xFF for a, b in zip(line, prev))
        elif kind == 3:
            for i in range(stride):
                left = line[i - bpp] if i >= bpp else 0
                line[i] = (line[i] + ((left + prev[i]) >> 1)) & 0xFF
        elif kind == 4:
            for i in range(stride):
                a = line[i - bpp] if i >= bpp else 0
                b, c = prev[i], prev[i - bpp] if i >= bpp else 0
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        elif kind != 0:
            raise AssertionError(f"filter {kind}")
        rows.append(bytes(line[3::4]))
        prev = line
    return rows


def ico_images(data):
    """[(size, header fields, alpha rows top first, mask rows top first)] of an icon file; checks
    the directory against the images as it goes."""
    reserved, kind, count = struct.unpack("<HHH", data[:6])
    if (reserved, kind) != (0, 1):
        raise AssertionError(f"not an icon file: {reserved} {kind}")
    images, expected_offset = [], 6 + 16 * count
    for i in range(count):
        w, h, colours, res, planes, bits, length, offset = struct.unpack("<BBBBHHII", data[6 + 16 * i:22 + 16 * i])
        size = w or 256
        if (h or 256) != size or colours or res or planes != 1 or bits != 32:
            raise AssertionError(f"entry {i}: {w} {h} {colours} {res} {planes} {bits}")
        if offset != expected_offset:
            raise AssertionError(f"entry {i} at {offset}, expected {expected_offset}")
        expected_offset += length
        body = data[offset:offset + length]
        header = struct.unpack("<IiiHHIIiiII", body[:40])
        mask_stride = (size + 31) // 32 * 4
        if length != 40 + size * size * 4 + mask_stride * size:
            raise AssertionError(f"entry {i}: {length} bytes for {size} pixels")
        pixels = body[40:40 + size * size * 4]
        mask = body[40 + size * size * 4:]
        rows = [pixels[row * size * 4:(row + 1) * size * 4] for row in range(size)][::-1]
        bits_rows = [mask[row * mask_stride:(row + 1) * mask_stride] for row in range(size)][::-1]
        images.append((size, header, rows, bits_rows))
    if expected_offset != len(data):
        raise AssertionError(f"images end at {expected_offset}, file has {len(data)} bytes")
    return images


class ArtworkTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dirs = [tempfile.mkdtemp(prefix="mossgate-art-") for _ in range(2)]
        for d in cls.dirs:
            # A folder that does not exist yet: the script makes it.
            subprocess.run([SCRIPT, os.path.join(d, "art")], check=True, timeout=120)
        cls.out = os.path.join(cls.dirs[0], "art")

    @classmethod
    def tearDownClass(cls):
        for d in cls.dirs:
            shutil.rmtree(d, ignore_errors=True)

    def read(self, name, run=0):
        with open(os.path.join(self.dirs[run], "art", name), "rb") as f:
            return f.read()

    def test_writes_exactly_the_expected_files(self):
        self.assertEqual(sorted(os.listdir(self.out)), ALL_FILES)

    def test_two_runs_give_the_same_bytes(self):
        for name in ALL_FILES:
            with self.subTest(name):
                self.assertEqual(self.read(name, 0), self.read(name, 1))

    def test_jpegs_are_baseline_colour_at_their_size_without_metadata(self):
        for name, size in PICTURES.items():
            with self.subTest(name):
                baseline, width, height, components, markers = jpeg_frame(self.read(name))
                self.assertTrue(baseline)
                self.assertEqual((width, height), size)
                self.assertEqual(components, 3)
                # No EXIF or other application data beyond JFIF, no comment.
                self.assertFalse([m for m in markers if 0xE1 <= m <= 0xEF or m == 0xFE], markers)

    def test_pngs_are_rgba_at_their_size_with_real_transparency_and_no_dates(self):
        for name, (width, height) in ALPHA_PICTURES.items():
            with self.subTest(name):
                chunks = png_chunks(self.read(name))
                self.assertEqual(chunks[0][0], "IHDR")
                w, h, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", chunks[0][1])
                self.assertEqual((w, h, depth, colour, interlace), (width, height, 8, 6, 0))
                self.assertFalse({"tIME", "tEXt", "zTXt", "iTXt", "eXIf"} & {kind for kind, _ in chunks})
                alpha = png_alpha(chunks, w, h)
                # Transparent corners around an opaque middle.
                self.assertEqual(alpha[0][0], 0)
                self.assertEqual(alpha[-1][-1], 0)
                self.assertEqual(alpha[h // 2][w // 2], 255)

    def check_icon(self, name):
        data = self.read(name)
        images = ico_images(data)
        self.assertEqual([size for size, *_ in images], ICON_SIZES)
        for size, header, rows, mask in images:
            with self.subTest(name=name, size=size):
                self.assertEqual(header[:6], (40, size, size * 2, 1, 32, 0))  # BI_RGB: uncompressed
                transparent = 0
                for y in range(size):
                    for x in range(size):
                        bgra = rows[y][x * 4:x * 4 + 4]
                        masked = bool(mask[y][x // 8] & (0x80 >> (x % 8)))
                        # The AND mask marks exactly the fully transparent pixels, and those are black.
                        if masked != (bgra[3] == 0) or (masked and bgra != bytes(4)):
                            self.fail(f"pixel {x},{y} is {bgra.hex()}, masked: {masked}")
                        transparent += masked
                # Real transparency around an opaque middle.
                self.assertGreater(transparent, 0)
                self.assertEqual(rows[size // 2][size // 2 * 4 + 3], 255)
        return data

    def test_program_icon_layout(self):
        self.check_icon("mossgate.ico")

    def test_apk_icon_layout_and_size(self):
        self.assertEqual(len(self.check_icon("WSAAPK.ico")), 432254)

    def test_qr_code_reads_back_as_the_project_address(self):
        with open(SCRIPT, encoding="utf-8") as f:
            address = re.search(r'^PROJECT_ADDRESS = "([^"]+)"', f.read(), re.M).group(1)
        decoded = subprocess.run(["zbarimg", "--quiet", "--raw", os.path.join(self.out, "about1.jpg")],
                                 stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=60)
        self.assertEqual(decoded.stdout.decode().strip(), address)


if __name__ == "__main__":
    SCRIPT = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)

"""The two icon files: the program's icon and the icon of .apk files, nine sizes each.

From 48 pixels up the pictures are drawn as vectors at their own size. The three smallest are laid
out on the pixel grid and drawn eight times larger, then averaged down, so edges stay sharp and
nothing shrinks into mush: fewer parts, no thin outlines, letters from a 3 x 5 pixel font.
"""
from . import motifs
from .canvas import FONT_SANS_CONDENSED_BOLD, canvas
from .canvas import rgba as _rgba
from .character import BACKDROP, EYE, HAIR, INK, SKIN, avatar
from .pen import Pen

SIZES = (256, 128, 96, 72, 64, 48, 32, 24, 16)
SMALL = (32, 24, 16)
_OVERSAMPLE = 8


def rgba(*args):
    """The icon image's pixels; the faint fringe of edges (under 4% cover) becomes fully transparent,
    so the AND mask, which only knows in or out, agrees with what alpha shows."""
    return _rgba(*args, "-channel", "A", "-fx", "u<0.04?0:u", "+channel")


def _pixel_grid(size, mvg):
    """rgba of a size x size picture drawn on the pixel grid (the mvg is drawn at eight times)."""
    big = size * _OVERSAMPLE
    return rgba(*canvas(big, big, mvg), "-filter", "Box", "-resize", f"{size}x{size}")


# Program icon ----------------------------------------------------------------------------------

def app_icon(size):
    """Green blocks on blue, with her giving a thumbs-up in the lower right corner."""
    if size in SMALL:
        return _small_app_icon(size)
    if size == 48:
        return _medium_app_icon(size)
    pen = Pen(0, 0, size / 100)
    tile = motifs.blue_tile(pen.at(2, 2, 0.96), "tile", radius=20)
    gate = motifs.block_gate(pen.at(2, 4, 0.78), "gate", shadow="#06286a")
    badge = round(size * 0.5)
    at = size - badge
    return rgba(*canvas(size, size, tile + "\n" + gate), *avatar(badge, whole_circle=True),
                "-geometry", f"+{at}+{at}", "-compose", "Over", "-composite")


# The gate's lintel and pillars (x0, y0, x1, y1), its doorway, the row of the seam between stacked
# blocks, and the badge's centre and radius, in pixels.
_SMALL_APP = {
    16: dict(lintel=(1, 2, 11, 5), pillars=((2, 5, 5, 13), (7, 5, 10, 13)), door=(5, 6, 7, 13), seam=None,
             sprout=False, badge=(11.5, 11.5, 4.5)),
    24: dict(lintel=(1, 4, 17, 8), pillars=((3, 8, 7, 20), (11, 8, 15, 20)), door=(7, 9, 11, 20), seam=14,
             sprout=True, badge=(17.5, 17.5, 6.5)),
    32: dict(lintel=(2, 5, 22, 10), pillars=((4, 10, 9, 27), (15, 10, 20, 27)), door=(9, 12, 15, 27), seam=18,
             sprout=True, badge=(23, 23, 9)),
}


def _mini_face(pen, eyes, shift=0.0):
    """Her face reduced to hair, skin and eyes, in a circle of radius 1 around (0, 0); shift moves
    the face to the left inside the circle."""
    badge = pen
    pen = pen.at(-shift, 0)
    parts = [badge.style("white"), badge.circle(0, 0, 1), badge.style(BACKDROP), badge.circle(0, 0, 0.84),
             pen.style(HAIR),
             pen.path("M -0.7 0.75 L -0.72 -0.05 Q -0.7 -0.74 0 -0.76 Q 0.7 -0.74 0.72 -0.05 L 0.7 0.75 Z"),
             pen.style(SKIN), pen.ellipse(0, 0.2, 0.56, 0.5),
             pen.style(HAIR), pen.path("M -0.6 0.1 Q -0.5 -0.6 0 -0.6 Q 0.5 -0.6 0.6 0.1 Q 0 -0.2 -0.6 0.1 Z")]
    if eyes:
        parts += [pen.style(EYE), pen.ellipse(-0.24, 0.22, 0.1, 0.14), pen.ellipse(0.24, 0.22, 0.1, 0.14)]
    return "\n".join(parts)


def _mini_thumb(pen):
    """A thumbs-up reduced to a fist and a thumb, in a 10 x 12 box."""
    return "\n".join([pen.style(SKIN, INK, 1.1), pen.roundrect(3.5, 0.5, 7, 6, 1.7),
                       pen.roundrect(0.5, 4.5, 9.5, 11.5, 2.2)])


def _medium_app_icon(size):
    """Tile and gate as drawn large; the badge as her face with a thumb beside it."""
    pen = Pen(0, 0, size * _OVERSAMPLE / 100)
    tile = motifs.blue_tile(pen.at(2, 2, 0.96), "tile", radius=20)
    gate = motifs.block_gate(pen.at(2, 4, 0.78), "gate", outline=3, shadow="#06286a")
    px = Pen(0, 0, _OVERSAMPLE)
    return _pixel_grid(size, "\n".join([tile, gate, _mini_face(px.at(35, 35, 12.5), eyes=True, shift=0.16),
                                        _mini_thumb(px.at(38.5, 33.5, 0.8))]))


def _small_app_icon(size):
    layout = _SMALL_APP[size]
    pen = Pen(0, 0, _OVERSAMPLE)
    lintel, pillars = layout["lintel"], layout["pillars"]
    parts = [motifs.blue_tile(pen, "tile", 0, 0, size, size, radius=size * 0.2),
             pen.style(motifs.GLOW), pen.rect(*layout["door"]),
             # Dark blocks, then their light faces one pixel in (the lintel's top edge too).
             pen.style(motifs.GREEN_DARK)]
    parts += [pen.rect(*block) for block in (lintel, *pillars)]
    parts.append(pen.style(motifs.GREEN_LIGHT))
    x0, y0, x1, y1 = lintel
    parts.append(pen.rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1))
    parts += [pen.rect(x0 + 1, y0, x1 - 1, y1 - 1) for x0, y0, x1, y1 in pillars]
    if layout["seam"]:
        parts.append(pen.style(motifs.GREEN_DARK))
        parts += [pen.rect(x0, layout["seam"], x1, layout["seam"] + 1) for x0, _, x1, _ in pillars]
    if layout["sprout"]:
        x, top = (lintel[0] + lintel[2]) / 2, lintel[1]
        parts += [pen.style(motifs.GREEN_LIGHT), pen.rect(x - 0.5, top - 2, x + 0.5, top),
                  pen.rect(x - 2.5, top - 3, x - 0.5, top - 2), pen.rect(x + 0.5, top - 4, x + 2.5, top - 3)]
    cx, cy, r = layout["badge"]
    parts.append(_mini_face(pen.at(cx, cy, r), eyes=size > 16))
    return _pixel_grid(size, "\n".join(parts))


# .apk icon -------------------------------------------------------------------------------------

def apk_icon(size):
    """The mascot's head above the bold words WSA APK on a white square."""
    if size in SMALL:
        return _small_apk_icon(size)
    pen = Pen(0, 0, size / 100)
    parts = [
        pen.style("white", "#c3c9d1", max(1.2, 100 / size)),
        pen.roundrect(2, 2, 98, 98, 8),
        motifs.moss_head(pen.at(19, 3, 0.62), "head"),
        pen.text(50, 90, "WSA APK", FONT_SANS_CONDENSED_BOLD, 18, "black", anchor="middle"),
    ]
    return rgba(*canvas(size, size, "\n".join(parts)))


_GLYPHS = {  # 3 x 5 (W: 5 x 5), '#' set
    "W": ("#...#", "#...#", "#.#.#", "#.#.#", ".#.#."),
    "S": ("###", "#..", "###", "..#", "###"),
    "A": ("###", "#.#", "###", "#.#", "#.#"),
    "P": ("###", "#.#", "###", "#..", "#.."),
    "K": ("#.#", "#.#", "##.", "#.#", "#.#"),
    " ": ("", "", "", "", ""),
}

# The head's box (x, y, side) and where the words start, in pixels.
_SMALL_APK = {
    32: dict(head=(6, 1, 20), words="WSA APK", at=(3, 24)),
    24: dict(head=(4, 1, 16), words="APK", at=(7, 17)),
    16: dict(head=(3, 0, 10), words="APK", at=(3, 10)),
}


def _pixel_words(pen, text, x, y):
    parts = []
    for ch in text:
        rows = _GLYPHS[ch]
        for row, bits in enumerate(rows):
            parts += [pen.rect(x + col, y + row, x + col + 1, y + row + 1) for col, bit in enumerate(bits) if bit == "#"]
        x += len(rows[0]) + 1
    return parts


def _small_apk_icon(size):
    layout = _SMALL_APK[size]
    pen = Pen(0, 0, _OVERSAMPLE)
    hx, hy, side = layout["head"]
    radius = max(3, size * 0.1)
    parts = [pen.style("#c3c9d1"), pen.roundrect(0, 0, size, size, radius),
             pen.style("white"), pen.roundrect(1, 1, size - 1, size - 1, radius - 1),
             motifs.moss_head(pen.at(hx, hy, side / 100), "head", outline=100 / side, detail=False),
             pen.style("black")]
    parts += _pixel_words(pen, layout["words"], *layout["at"])
    return _pixel_grid(size, "\n".join(parts))

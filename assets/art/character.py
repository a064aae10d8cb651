"""Our mascot: a girl in a moss-green hoodie with a leaf clip, giving a thumbs-up.

Drawn in a 600 x 600 box; the raised hand sits to the right of her face.
"""
from .canvas import canvas
from .pen import Pen, group

INK = "#4a2f27"
SKIN = "#ffe1c8"
SKIN_SHADE = "#f6c7a6"
HAIR = "#6b4330"
HAIR_LIGHT = "#8e5d42"
HOODIE = "#5cb85c"
HOODIE_DARK = "#3f9446"
HOODIE_LIGHT = "#8fd48a"
LEAF = "#8fd45b"
CHEEK = "#ff8f9c"
MOUTH = "#c4474f"
TONGUE = "#ff9aa0"
EYE = "#3b2430"
BACKDROP = "#d3eed6"

LINE = 7.0


def _back_hair(pen):
    return group(
        pen.style(HAIR, INK, LINE),
        pen.path("M 112 300 C 100 170 190 92 290 92 C 390 92 478 170 466 300 "
                 "C 470 370 462 430 440 470 C 410 480 380 470 372 450 "
                 "L 208 450 C 200 470 170 480 140 470 C 118 430 108 370 112 300 Z"),
    )


def _body(pen):
    return group(
        # Hoodie.
        pen.style(HOODIE, INK, LINE),
        pen.path("M 150 596 C 150 520 178 452 290 446 C 402 452 430 520 430 596 Z"),
        # Hood lining around the neck.
        pen.style(HOODIE_LIGHT, INK, LINE * 0.8),
        pen.path("M 218 452 C 240 488 340 488 362 452 C 340 442 240 442 218 452 Z"),
        # Neck.
        pen.style(SKIN_SHADE, INK, LINE * 0.8),
        pen.path("M 262 420 L 262 462 C 275 472 305 472 318 462 L 318 420 Z"),
        # Drawstrings and a pocket line.
        pen.style("none", INK, LINE * 0.6),
        pen.line(262, 482, 258, 528),
        pen.line(318, 482, 322, 528),
        pen.style("white", INK, LINE * 0.5),
        pen.circle(258, 532, 6),
        pen.circle(322, 532, 6),
        pen.style("none", HOODIE_DARK, LINE * 0.8),
        pen.path("M 205 596 L 215 560 L 365 560 L 375 596"),
    )


def _head(pen):
    return group(
        pen.style(SKIN, INK, LINE),
        pen.ellipse(290, 290, 150, 138),
    )


def _face(pen):
    eyes = []
    for cx in (228, 352):
        eyes += [
            pen.style(EYE, "none"),
            pen.ellipse(cx, 300, 21, 29),
            pen.style("white"),
            pen.ellipse(cx + 7, 288, 8, 10),
            pen.circle(cx - 7, 313, 4),
        ]
    return group(
        # Brows.
        pen.style("none", HAIR, LINE * 0.8),
        pen.path("M 206 252 Q 226 242 246 250"),
        pen.path("M 334 250 Q 354 242 374 252"),
        *eyes,
        # Cheeks.
        pen.style(CHEEK, opacity=0.55),
        pen.ellipse(196, 342, 24, 13),
        pen.ellipse(384, 342, 24, 13),
        # An open smile.
        pen.style(MOUTH, INK, LINE * 0.8),
        pen.path("M 262 342 Q 290 346 318 342 Q 314 382 290 382 Q 266 382 262 342 Z"),
        pen.style(TONGUE),
        pen.path("M 274 370 Q 290 358 306 370 Q 300 379 290 379 Q 280 379 274 370 Z"),
    )


def _bangs(pen):
    return group(
        pen.style(HAIR, INK, LINE),
        pen.path("M 136 318 C 126 200 196 140 290 140 C 384 140 454 200 444 318 "
                 "C 430 270 418 240 404 222 Q 392 246 358 250 Q 344 226 330 206 "
                 "Q 312 238 276 244 Q 270 222 262 206 Q 238 240 198 246 "
                 "Q 184 250 176 226 C 160 250 148 280 136 318 Z"),
        # Shine on the hair.
        pen.style("none", HAIR_LIGHT, LINE * 1.1),
        pen.path("M 200 176 Q 240 156 282 156"),
        # Leaf clip.
        pen.style(LEAF, INK, LINE * 0.8),
        pen.path("M 404 196 Q 420 150 468 146 Q 460 194 404 196 Z"),
        pen.path("M 400 200 Q 366 170 376 132 Q 414 150 400 200 Z"),
        pen.style("none", INK, LINE * 0.5),
        pen.path("M 410 190 Q 430 170 452 158"),
        pen.path("M 398 190 Q 388 168 382 148"),
    )


def thumbs_up(pen):
    """Her raised right arm: the sleeve from the shoulder and a fist with the thumb up, in a 200 x 300
    box (the fist at the top, the shoulder at the bottom left)."""
    return group(
        # Sleeve: a wide stroke in the outline colour under a narrower one in the hoodie's.
        pen.style("none", INK, 64 + LINE * 2),
        pen.polyline((20, 300), (92, 190)),
        pen.style("none", HOODIE, 64),
        pen.polyline((20, 300), (92, 190)),
        # Cuff.
        pen.style(HOODIE_LIGHT, INK, LINE * 0.8),
        pen.path("M 56 176 L 132 200 L 122 228 L 46 204 Z"),
        # Thumb.
        pen.style(SKIN, INK, LINE),
        pen.path("M 100 94 C 96 60 98 30 118 26 C 140 22 146 50 140 94 Z"),
        # Fist.
        pen.roundrect(50, 84, 160, 184, 30),
        # Curled fingers.
        pen.style("none", INK, LINE * 0.7),
        pen.path("M 52 116 Q 78 120 102 114"),
        pen.path("M 52 142 Q 78 146 102 140"),
        pen.path("M 56 166 Q 78 168 100 164"),
        # The thumb's edge over the first finger.
        pen.path("M 102 94 Q 116 104 140 94"),
    )


def sparkle(pen, x, y, r, color="#ffd23f"):
    return group(
        pen.style(color, INK, r * 0.12),
        pen.path(f"M {x} {y - r} Q {x + r * 0.15} {y - r * 0.15} {x + r} {y} "
                 f"Q {x + r * 0.15} {y + r * 0.15} {x} {y + r} "
                 f"Q {x - r * 0.15} {y + r * 0.15} {x - r} {y} "
                 f"Q {x - r * 0.15} {y - r * 0.15} {x} {y - r} Z"),
    )


def character(pen, sparkles=True):
    parts = [
        _back_hair(pen),
        _body(pen),
        _head(pen),
        _face(pen),
        _bangs(pen),
        thumbs_up(pen.at(392, 250)),
    ]
    if sparkles:
        parts += [sparkle(pen, 560, 232, 26), sparkle(pen, 530, 178, 14)]
    return "\n".join(parts)


def avatar(size, whole_circle=False):
    """convert arguments that put her, cut out by a round backdrop, on the stack as a size x size picture.

    By default only the lower half is cut, so the raised hand and the sparkles reach out of the circle;
    whole_circle cuts all round (a badge) and frames it with a white ring.
    """
    if whole_circle:
        # Head and hand fill the badge.
        k = size / 520
        pen = Pen(-70 * k, -70 * k, k)
        cx = cy = 330
        r = 260
        drawing = "\n".join([pen.style(BACKDROP), pen.circle(cx, cy, r), character(pen, sparkles=False),
                             pen.style("none", "white", 30), pen.circle(cx, cy, r - 10)])
        mask = "\n".join(["fill white", pen.circle(cx, cy, r)])
    else:
        pen = Pen(0, 0, size / 600)
        drawing = "\n".join([pen.style(BACKDROP), pen.circle(300, 300, 290), character(pen)])
        mask = "\n".join(["fill white", pen.circle(300, 300, 290), pen.rect(0, 0, 600, 300)])
    return ["(", *canvas(size, size, drawing), "(", *canvas(size, size, mask), ")",
            "-compose", "DstIn", "-composite", ")"]

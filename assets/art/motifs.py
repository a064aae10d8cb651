"""The recurring pieces of the artwork, each drawn in its own 100-unit box."""
import math

from .pen import group

BLUE_LIGHT = "#3d8ef2"
BLUE_DARK = "#1449b8"
GREEN_LIGHT = "#a6e36a"
GREEN = "#5cbf4e"
GREEN_DARK = "#2c7d3a"
GLOW = "#ffd75e"


def blue_tile(pen, name, x0=0, y0=0, x1=100, y1=100, radius=22):
    """The rounded blue tile the app icon sits on."""
    return group(
        pen.shade(name, (x0, y0), (x0, y1), BLUE_LIGHT, BLUE_DARK, pen.roundrect(x0, y0, x1, y1, radius)),
        # A soft sheen over the upper half.
        pen.style("white", opacity=0.08),
        pen.path(f"M {x0} {y0 + radius} Q {x0} {y0} {x0 + radius} {y0} L {x1 - radius} {y0} "
                 f"Q {x1} {y0} {x1} {y0 + radius} L {x1} {(y0 + y1) * 0.45} "
                 f"Q {(x0 + x1) / 2} {(y0 + y1) * 0.58} {x0} {(y0 + y1) * 0.45} Z"),
    )


def _block(pen, name, x0, y0, x1, y1, outline):
    return "\n".join([
        pen.shade(name, (x0, y0), (x0, y1), GREEN_LIGHT, GREEN, pen.roundrect(x0, y0, x1, y1, 4.5),
                  stroke=GREEN_DARK, width=outline),
        pen.style("white", opacity=0.35),
        pen.roundrect(x0 + 3, y0 + 2.6, x1 - 3, y0 + 6, 1.7),
    ])


def block_gate(pen, name, outline=2.2, sprout=True, shadow=None):
    """MOSSGATE's emblem: a gate of green blocks with light in its doorway and moss sprouting on top.

    shadow: the colour of a soft shadow cast down and to the right, or None.
    """
    parts = []
    if shadow:
        s = pen.at(1.5, 3)
        parts += [s.style(shadow, opacity=0.35), s.roundrect(10, 17, 90, 36.5, 4.5),
                  s.roundrect(17, 39, 40, 86, 4.5), s.roundrect(60, 39, 83, 86, 4.5)]
    parts += [
        # The doorway's light.
        pen.shade(name + "glow", (50, 40), (50, 86), "#fff3b0", GLOW,
                  pen.path("M 40 86 L 40 50 Q 40 38 50 38 Q 60 38 60 50 L 60 86 Z")),
        _block(pen, name + "a", 17, 39, 40, 61, outline),
        _block(pen, name + "b", 17, 63.5, 40, 86, outline),
        _block(pen, name + "c", 60, 39, 83, 61, outline),
        _block(pen, name + "d", 60, 63.5, 83, 86, outline),
        _block(pen, name + "e", 10, 17, 90, 36.5, outline),
    ]
    if sprout:
        parts += [
            pen.style("none", GREEN_DARK, outline * 1.2),
            pen.path("M 50 17.5 Q 50 11 52 7"),
            pen.style(GREEN_LIGHT, GREEN_DARK, outline * 0.9),
            pen.path("M 51 11 Q 44 2 35 5 Q 41 14 51 11 Z"),
            pen.path("M 52 8 Q 58 -1 67 1 Q 63 10 52 8 Z"),
        ]
    return group(*parts)


def _fluffy_outline(cx, cy, rx, ry, bumps, depth):
    """A closed path around an ellipse made of small outward bulges, like a ball of moss."""
    points = []
    for i in range(bumps):
        a = 2 * math.pi * i / bumps - math.pi / 2
        points.append((cx + rx * math.cos(a), cy + ry * math.sin(a)))
    data = [f"M {points[0][0]:.3f} {points[0][1]:.3f}"]
    for i in range(bumps):
        (x0, y0), (x1, y1) = points[i], points[(i + 1) % bumps]
        mx, my = (x0 + x1) / 2, (y0 + y1) / 2
        # Push the control point away from the centre.
        dx, dy = mx - cx, my - cy
        d = math.hypot(dx, dy)
        qx, qy = mx + dx / d * depth, my + dy / d * depth
        data.append(f"Q {qx:.3f} {qy:.3f} {x1:.3f} {y1:.3f}")
    return " ".join(data) + " Z"


def moss_head(pen, name, outline=2.6, detail=True):
    """The .apk mascot: a round moss sprite with big eyes and a two-leaf sprout, in a 100-unit box.

    Without detail (for a few pixels) the outline is smooth and the tufts, shine and cheeks are left out.
    """
    body = pen.path(_fluffy_outline(50, 57, 40, 36, 18, 4.5)) if detail else pen.ellipse(50, 57, 42, 38)
    parts = [
        # Sprout.
        pen.style("none", GREEN_DARK, outline * 1.3),
        pen.path("M 50 24 Q 49 16 52 10"),
        pen.style(GREEN_LIGHT, GREEN_DARK, outline),
        pen.path("M 51 14 Q 42 3 30 7 Q 37 19 51 14 Z"),
        pen.path("M 52 11 Q 60 -1 72 3 Q 67 15 52 11 Z"),
        # Head.
        pen.shade(name, (50, 20), (50, 96), GREEN_LIGHT, "#3f9f47", body, stroke=GREEN_DARK, width=outline),
    ]
    if detail:
        parts += [
            # A few darker tufts and a shine.
            pen.style("#3f9f47", opacity=0.45),
            pen.circle(24, 74, 3.2), pen.circle(31, 81, 2.4), pen.circle(76, 74, 3.2), pen.circle(69, 81, 2.4),
            pen.style("white", opacity=0.35),
            pen.ellipse(34, 36, 8, 4),
        ]
    parts += [
        # Eyes.
        pen.style("white", GREEN_DARK, outline * 0.8),
        pen.ellipse(36, 56, 10.5, 12), pen.ellipse(64, 56, 10.5, 12),
        pen.style("#23303a"),
        pen.ellipse(38, 58, 6, 7.5) if detail else pen.ellipse(37, 57, 7.5, 9),
        pen.ellipse(62, 58, 6, 7.5) if detail else pen.ellipse(63, 57, 7.5, 9),
        pen.style("none", "#23303a", outline),
        pen.path("M 43 70 Q 50 77 57 70"),
    ]
    if detail:
        parts += [pen.style("white"), pen.circle(40, 55, 2.3), pen.circle(64, 55, 2.3),
                  pen.style("#ff8f9c", opacity=0.6), pen.ellipse(24, 68, 5.5, 3), pen.ellipse(76, 68, 5.5, 3)]
    return group(*parts)

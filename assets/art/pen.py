"""Vector drawing in ImageMagick's drawing language (MVG), placed and scaled on the Python side.

convert's own transforms scale gradients inconsistently, so every coordinate and stroke width is
mapped here and the drawing commands only ever see canvas pixels.
"""
import re

_PATH_TOKEN = re.compile(r"[MLHVCSQTAZ]|-?\d+(?:\.\d+)?")
# For each absolute path command: the roles of its numbers (x, y, length, or kept as written).
_PATH_ROLES = {
    "M": "xy", "L": "xy", "T": "xy", "H": "x", "V": "y", "Z": "",
    "C": "xyxyxy", "S": "xyxy", "Q": "xyxy", "A": "llkkkxy",
}


def num(value):
    text = f"{value:.3f}".rstrip("0").rstrip(".")
    return "0" if text in ("", "-0") else text


class Pen:
    """Maps a drawing's own coordinates onto the canvas: canvas = offset + scale * local."""

    def __init__(self, x=0.0, y=0.0, scale=1.0):
        self.x, self.y, self.s = x, y, scale

    def at(self, x, y, scale=1.0):
        """A pen for a part drawn in its own coordinates, placed at local (x, y) of this one."""
        return Pen(self.x + self.s * x, self.y + self.s * y, self.s * scale)

    def pt(self, x, y):
        return f"{num(self.x + self.s * x)},{num(self.y + self.s * y)}"

    def length(self, value):
        return num(self.s * value)

    # Styles.
    def fill(self, color, opacity=None):
        if color == "none":
            return "fill none"  # an opacity after it would turn the fill black
        # convert combines a new fill-opacity with the one in force, so it is reset to 1 first.
        text = f"fill '{color}' fill-opacity 1"
        return text if opacity is None else f"{text} fill-opacity {num(opacity)}"

    def stroke(self, color="none", width=0.0, join="round", cap="round"):
        if color == "none":
            return "stroke none stroke-width 0"
        return (f"stroke '{color}' stroke-width {self.length(width)} "
                f"stroke-linejoin {join} stroke-linecap {cap}")

    def style(self, fill="none", stroke="none", width=0.0, opacity=None):
        return self.fill(fill, opacity) + " " + self.stroke(stroke, width)

    def shade(self, name, start, end, top, bottom, *shapes, stroke="none", width=0.0):
        """shapes filled with a linear gradient from colour top at local point start to bottom at end.

        convert's gradients only behave when they are vertical or horizontal and have two stops; they
        repeat beyond their ends, so the ends are pushed a pixel and a half outwards. A gradient fill
        sticks to the drawing context, so it lives in a group of its own.
        """
        (x0, y0), (x1, y1) = start, end
        if x0 != x1 and y0 != y1:
            raise ValueError("gradients run vertically or horizontally")
        pad = 1.5 / self.s
        if x0 == x1:
            y0, y1 = (y0 - pad, y1 + pad) if y0 < y1 else (y0 + pad, y1 - pad)
        else:
            x0, x1 = (x0 - pad, x1 + pad) if x0 < x1 else (x0 + pad, x1 - pad)
        lines = ["push graphic-context", "push defs",
                 f"push gradient '{name}' linear {self.pt(x0, y0)} {self.pt(x1, y1)}",
                 f"stop-color '{top}' 0", f"stop-color '{bottom}' 1",
                 "pop gradient", "pop defs", "fill-opacity 1", f"fill 'url(#{name})'", self.stroke(stroke, width)]
        lines += list(shapes)
        lines.append("pop graphic-context")
        return "\n".join(lines)

    # Shapes.
    def rect(self, x0, y0, x1, y1):
        return f"rectangle {self.pt(x0, y0)} {self.pt(x1, y1)}"

    def roundrect(self, x0, y0, x1, y1, r):
        return f"roundrectangle {self.pt(x0, y0)} {self.pt(x1, y1)} {self.length(r)},{self.length(r)}"

    def circle(self, cx, cy, r):
        return f"circle {self.pt(cx, cy)} {self.pt(cx + r, cy)}"

    def ellipse(self, cx, cy, rx, ry):
        return f"ellipse {self.pt(cx, cy)} {self.length(rx)},{self.length(ry)} 0,360"

    def line(self, x0, y0, x1, y1):
        return f"line {self.pt(x0, y0)} {self.pt(x1, y1)}"

    def polyline(self, *points):
        return "polyline " + " ".join(self.pt(x, y) for x, y in points)

    def polygon(self, *points):
        return "polygon " + " ".join(self.pt(x, y) for x, y in points)

    def path(self, data):
        """A path of absolute commands only (M L H V C S Q T A Z), in local coordinates."""
        out, command, numbers = [], None, []

        def flush():
            roles = _PATH_ROLES[command]
            if not roles:
                out.append(command)
                return
            if len(numbers) % len(roles):
                raise ValueError(f"path {command}: {len(numbers)} numbers")
            out.append(command)
            for i in range(0, len(numbers), len(roles)):
                group = numbers[i:i + len(roles)]
                for role, value in zip(roles, group):
                    if role == "x":
                        out.append(num(self.x + self.s * value))
                    elif role == "y":
                        out.append(num(self.y + self.s * value))
                    elif role == "l":
                        out.append(num(self.s * value))
                    else:
                        out.append(num(value))

        for token in _PATH_TOKEN.findall(data.replace(",", " ")):
            if token.isalpha():
                if command is not None:
                    flush()
                command, numbers = token, []
            else:
                numbers.append(float(token))
        if command is not None:
            flush()
        return f"path '{' '.join(out)}'"

    def text(self, x, y, content, font, size, color, anchor="start", opacity=None):
        escaped = content.replace("\\", "\\\\").replace("'", "\\'")
        return (f"push graphic-context\nfont '{font}' font-size {self.length(size)} {self.fill(color, opacity)}"
                f" stroke none text-anchor {anchor}\ntext {self.pt(x, y)} '{escaped}'\npop graphic-context")


def group(*parts):
    """Keeps the styles set inside from leaking out."""
    return "\n".join(("push graphic-context",) + tuple(p for p in parts if p) + ("pop graphic-context",))

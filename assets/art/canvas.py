"""Runs ImageMagick's convert and writes pictures with nothing in them that changes between runs."""
import subprocess

FONT_SANS = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
FONT_SANS_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
FONT_MONO_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf"
FONT_SANS_CONDENSED_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf"
FONT_CJK = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"

# No dates, no comments, no profiles: the same drawing gives the same bytes.
_STRIP = ["-strip", "-define", "png:exclude-chunks=date,time"]


def convert(*args, stdin=None):
    """Runs convert, feeding it stdin; returns what it wrote to standard output."""
    return subprocess.run(["convert", *map(str, args)], input=stdin, check=True, stdout=subprocess.PIPE).stdout


def canvas(width, height, mvg, background="none"):
    """convert arguments that draw mvg on a fresh width x height canvas."""
    return ["-size", f"{width}x{height}", f"xc:{background}", "-draw", mvg]


def save_jpeg(path, *args, stdin=None):
    convert(*args, "-background", "white", "-flatten", *_STRIP, "-interlace", "none",
            "-sampling-factor", "2x2,1x1,1x1", "-quality", "92", f"JPEG:{path}", stdin=stdin)


def save_png(path, *args, stdin=None):
    convert(*args, *_STRIP, f"PNG32:{path}", stdin=stdin)


def rgba(*args):
    """The picture's pixels as 8-bit R, G, B, A, top row first."""
    return convert(*args, "-depth", "8", "RGBA:-")


def text_width(font, size, text):
    """How many pixels wide text is set in font at size."""
    return int(convert("-font", font, "-pointsize", size, f"label:{text}", "-format", "%w", "info:"))

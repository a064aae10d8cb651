"""The window's pictures: the banner, the WSA page's icon, the settings hint, her thumbs-up, and
the two pictures the about page swaps in."""
import subprocess

from . import motifs
from .canvas import (FONT_CJK, FONT_MONO_BOLD, FONT_SANS, FONT_SANS_BOLD, canvas, save_jpeg, save_png,
                     text_width)
from .character import avatar, character, sparkle
from .pen import Pen, group


def banner(path):
    """P1, 573 x 181, shown as 360 x 112: the emblem and the word mark on blue."""
    w, h = 573, 181
    pen = Pen()
    decor = [pen.style("white", opacity=0.07)]
    # Translucent blocks climbing to the right.
    for x, y in [(430, 120), (468, 82), (506, 44), (506, 120), (544, 6), (544, 82), (392, 158)]:
        decor.append(pen.roundrect(x, y, x + 34, y + 34, 6))
    decor += [pen.style("white", opacity=0.05), pen.circle(90, 200, 150), pen.circle(560, -40, 120)]
    tile = pen.at(34, 30, 1.21)
    mvg = "\n".join([
        pen.shade("sky", (0, 0), (w, 0), "#0a3d8f", "#1f7fe0", pen.rect(0, 0, w, h)),
        group(*decor),
        # The emblem on a white tile.
        tile.style("#06286a", opacity=0.35), tile.roundrect(2, 4, 102, 104, 22),
        tile.style("white"), tile.roundrect(0, 0, 100, 100, 22),
        motifs.block_gate(tile.at(9, 8, 0.82), "gate"),
        # The word mark.
        "kerning 2",
        pen.text(184, 100, "MOSSGATE", FONT_SANS_BOLD, 56, "white"),
        "kerning 0",
        pen.style("none", "#8fd45b", 3), pen.line(186, 118, 236, 118),
        pen.text(186, 150, "WSA · APK 安装助手", FONT_CJK, 25, "#d5e7ff"),
    ])
    save_jpeg(path, *canvas(w, h, mvg))


def wsa_icon(path):
    """P2, 270 x 270 with alpha: green blocks on a blue rounded tile."""
    pen = Pen(0, 0, 2.7)
    mvg = "\n".join([motifs.blue_tile(pen.at(2, 2, 0.96), "tile"),
                     motifs.block_gate(pen.at(13, 16, 0.74), "gate", shadow="#06286a")])
    save_png(path, *canvas(270, 270, mvg))


def settings_hint(path, host="127.0.0.1", port="58526"):
    """P3, 869 x 136: a settings row in a light theme, the address it shows framed in red."""
    w, h = 869, 136
    pen = Pen()
    address = f"{host}:{port}"
    label, size = "ADB 地址：", 26
    lx, baseline = 120, 106
    ax = lx + text_width(FONT_CJK, size, label) + 14
    aw = text_width(FONT_SANS, 31, address)
    mvg = "\n".join([
        pen.style("#d9d9d9"), pen.roundrect(10, 10, w - 8, h - 8, 12),
        pen.style("white", "#e3e3e3", 2), pen.roundrect(8, 8, w - 10, h - 10, 12),
        # The row's icon: a code sign on a tinted square.
        pen.style("#e6f0fb"), pen.roundrect(34, 38, 94, 98, 12),
        pen.text(64, 81, "</>", FONT_MONO_BOLD, 24, "#1a62c4", anchor="middle"),
        pen.text(120, 60, "开发者模式", FONT_CJK, 30, "#1b1b1b"),
        pen.text(lx, baseline, label, FONT_CJK, size, "#5c5c5c"),
        pen.text(ax, baseline + 1, address, FONT_SANS, 31, "#1b1b1b"),
        pen.style("none", "#e81123", 4), pen.roundrect(ax - 9, baseline - 32, ax + aw + 9, baseline + 11, 6),
        # The switch, on.
        pen.text(700, 80, "开", FONT_CJK, 26, "#1b1b1b"),
        pen.style("#1a62c4"), pen.roundrect(742, 52, 820, 86, 17),
        pen.style("white"), pen.circle(803, 69, 10),
    ])
    save_jpeg(path, *canvas(w, h, mvg, "#f3f3f3"))


def thumbs_up(path):
    """P5, 648 x 648 with alpha: her thumbs-up."""
    save_png(path, *avatar(648))


def qr_card(path, address):
    """About picture 1, 611 x 585: a QR code of the project's address with a caption."""
    w, h = 611, 585
    code = subprocess.run(["qrencode", "-t", "PNG", "-s", "1", "-m", "0", "-l", "M", "-o", "-", address],
                          check=True, stdout=subprocess.PIPE).stdout
    modules = _png_width(code)
    cell = 350 // modules
    side = cell * modules
    x, y = (w - side) // 2, 66
    pen = Pen()
    # The corner marks stay outside the quiet zone of four modules that readers need.
    gap, corner = 4 * cell + 4, 40
    frame = [pen.style("none", motifs.GREEN, 8)]
    for cx, cy, dx, dy in [(x - gap, y - gap, 1, 1), (x + side + gap, y - gap, -1, 1),
                           (x - gap, y + side + gap, 1, -1), (x + side + gap, y + side + gap, -1, -1)]:
        frame.append(pen.polyline((cx, cy + dy * corner), (cx, cy), (cx + dx * corner, cy)))
    mvg = "\n".join(frame + [
        pen.text(w / 2, y + side + gap + 50, "扫码访问 MOSSGATE 主页", FONT_CJK, 34, "#262626", anchor="middle"),
        pen.text(w / 2, y + side + gap + 88, address, FONT_SANS, 22, "#5a8f3c", anchor="middle"),
    ])
    save_jpeg(path, *canvas(w, h, mvg, "white"),
              "(", "PNG:-", "-filter", "Point", "-resize", f"{side}x{side}", ")",
              "-geometry", f"+{x}+{y}", "-compose", "Over", "-composite", stdin=code)


def _png_width(data):
    return int.from_bytes(data[16:20], "big")


def landscape(path):
    """About picture 2, 1080 x 506: her in a mossy landscape before the gate.

    The banner shows it as 360 x 112, a third as wide but only 0.22 as high, so it is drawn
    1.5 times taller than it is stored; squeezed into the banner it regains its proportions.
    """
    w, h, drawn = 1080, 506, 762
    pen = Pen()
    clouds = [pen.style("white", opacity=0.9)]
    for cx, cy, s in [(190, 120, 1.0), (610, 80, 0.8), (1010, 210, 0.6)]:
        c = pen.at(cx, cy, s)
        clouds += [c.ellipse(0, 20, 95, 30), c.circle(-38, 4, 36), c.circle(14, -10, 48), c.circle(62, 8, 32)]
    flowers = []
    for x, y, color in [(70, 660, "#ffd23f"), (120, 715, "#ff8fa3"), (40, 730, "#ffffff"), (590, 725, "#ffd23f"),
                        (930, 700, "#ff8fa3"), (1010, 650, "#ffffff"), (980, 740, "#ffd23f"), (880, 740, "#ffffff")]:
        flowers += [pen.style(color, "#3b7a3d", 1.5), pen.circle(x, y, 9), pen.style("#f29d38"), pen.circle(x, y, 3.5)]
    birds = [pen.style("none", "#4a6a8a", 3)]
    for x, y, s in [(420, 180, 1.0), (462, 160, 0.8), (380, 150, 0.7)]:
        birds.append(pen.path(f"M {x - 14 * s} {y - 6 * s} Q {x - 6 * s} {y - 8 * s} {x} {y} "
                              f"Q {x + 6 * s} {y - 8 * s} {x + 14 * s} {y - 6 * s}"))
    mvg = "\n".join([
        pen.shade("sky", (0, 0), (0, 520), "#6cc0ff", "#e4f5ff", pen.rect(0, 0, w, drawn)),
        # Sun.
        pen.style("white", opacity=0.35), pen.circle(900, 120, 96),
        pen.style("#ffd95a", "#ffc23a", 4), pen.circle(900, 120, 64),
        group(*clouds),
        group(*birds),
        # Far hills.
        pen.style("#8fcfb0"),
        pen.path("M 0 470 Q 160 360 330 430 Q 480 490 640 400 Q 820 300 1080 420 L 1080 762 L 0 762 Z"),
        # Middle hill, with the gate on its crest.
        pen.style("#6cc463"),
        pen.path("M 0 560 Q 220 470 470 520 Q 640 550 760 482 Q 860 440 960 470 Q 1020 486 1080 480 "
                 "L 1080 762 L 0 762 Z"),
        motifs.block_gate(pen.at(770, 300, 1.9), "gate", outline=2.6, shadow="#2f6b35"),
        # A path from the front up to the doorway.
        pen.style("#f1dfae", "#d9c089", 3),
        pen.path("M 560 762 Q 700 600 851 463 L 883 463 Q 820 620 800 762 Z"),
        # Front meadow.
        pen.style("#52ad4f"),
        pen.path("M 0 650 Q 260 600 520 660 Q 580 675 620 700 L 640 762 L 0 762 Z"),
        pen.path("M 820 762 Q 860 670 1080 630 L 1080 762 Z"),
        character(pen.at(170, 232, 0.9), sparkles=False),
        sparkle(pen, 715, 315, 24), sparkle(pen, 680, 265, 13),
        group(*flowers),
    ])
    save_jpeg(path, *canvas(w, drawn, mvg), "-resize", f"{w}x{h}!")

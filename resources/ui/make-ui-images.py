#!/usr/bin/env python3
"""Draws the desktop program's artwork: toolbar and browser buttons, the
thread-phase icons of the thread bar, the program icon and the splash bitmap.

Run from anywhere:  python3 resources/ui/make-ui-images.py [OUTPUT_FOLDER]
(default: the folder of this script). Needs Python 3 and Pillow (Debian:
python3-pil), DejaVu Sans Bold (fonts-dejavu-core) for the splash lettering
and rsvg-convert (librsvg2-bin). The finished images are kept in the
repository; run this only to change the artwork, then look at them.

What it writes, PNG with alpha, each also as NAME@2x.png at twice the size:
  new open save properties run pause abort threadbar   standard toolbar, 16 x 15
  back forward stop refresh home print size            browser buttons, 16 x 16,
      muted as they normally show, and NAME-hot in full colour under the mouse
  phase0 .. phase3                                     thread bar rows, 16 x 16
and quobrix-16.png .. quobrix-256.png (the program icon, rendered from the
hand-written quobrix.svg beside this script, redrawn on whole pixels at 16
and 24), splash.png (200 x 60, on white) and wizard.png (102 x 192, at
the left edge of the new task wizard's pages). Writing into its own
folder, it also refreshes the copies that ../UserManual/images keeps for
the manual.

The palette and the globe come from ../images/make-images.py, so these
pictures and the local server's images stay one family. House rules for
every picture here:
  - outlines 1 pixel wide (2 at @2x), inside the shape, in a dark shade of
    the shape's own colour;
  - light from the upper left: fills run from a light tint at the top left
    to the full colour at the bottom right;
  - rounded corners of 1.5 pixels on boxes;
  - edges on whole pixels at 1x, so the 16-pixel pictures stay crisp.
Each picture is drawn in 1x pixel units at scale k (1 or 2), SCALE times
finer, and reduced with a box filter.
"""

import importlib.util
import math
import os
import shutil
import subprocess
import sys
import tempfile

from PIL import Image, ImageChops, ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))


def load_family():
    path = os.path.join(HERE, "..", "images", "make-images.py")
    found = importlib.util.spec_from_file_location("quobrix_images", path)
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module


fam = load_family()
SCALE = fam.SCALE
CLEAR = fam.CLEAR
WHITE = (255, 255, 255)
NAVY, DARK_BLUE, BLUE, SKY, PALE = fam.NAVY, fam.DARK_BLUE, fam.BLUE, fam.SKY, fam.PALE
ORANGE, DARK_ORANGE, GREEN, GREY = fam.ORANGE, fam.DARK_ORANGE, fam.GREEN, fam.GREY

# Colours added for the desktop artwork, in the same key as the palette.
DARK_GREEN = (14, 92, 36)
LIGHT_GREEN = (132, 214, 120)
RED = (214, 40, 30)
DARK_RED = (128, 14, 10)
LIGHT_RED = (252, 132, 104)
GOLD = (242, 178, 46)
LIGHT_GOLD = (255, 230, 140)
SILVER = (164, 176, 192)
LIGHT_SILVER = (238, 242, 248)
PAPER_SHADE = (214, 222, 234)
INK = (130, 150, 180)          # text lines on paper
LIGHT_ORANGE = (255, 196, 120)

# A material: (light tint, full colour, outline).
PAPER = (WHITE, PAPER_SHADE, GREY)
BLUE_M = (SKY, BLUE, NAVY)
GREEN_M = (LIGHT_GREEN, GREEN, DARK_GREEN)
RED_M = (LIGHT_RED, RED, DARK_RED)
GOLD_M = (LIGHT_GOLD, GOLD, DARK_ORANGE)
ORANGE_M = (LIGHT_ORANGE, ORANGE, DARK_ORANGE)
METAL = (LIGHT_SILVER, SILVER, GREY)

OUTLINE = 1.0
RADIUS = 1.5


class Icon:
    """An RGBA picture of width x height pixels at scale k, drawn SCALE times
    finer; every coordinate is in 1x pixels."""

    def __init__(self, width, height, k):
        self.width, self.height, self.k = width, height, k
        self.image = Image.new("RGBA", (width * k * SCALE, height * k * SCALE), CLEAR)

    def p(self, value):
        return round(value * self.k * SCALE)

    def _pts(self, points):
        return [(self.p(x), self.p(y)) for x, y in points]

    def _mask(self, shape, stroke=None):
        """The coverage of a shape, or of its inside stroke of width `stroke`.
        Shapes: ("poly", points), ("box", x0, y0, x1, y1[, radius]),
        ("disc", cx, cy, r)."""
        mask = Image.new("L", self.image.size, 0)
        d = ImageDraw.Draw(mask)
        fill, outline, width = (255, None, 0) if stroke is None else (None, 255, self.p(stroke))
        kind = shape[0]
        if kind == "poly":
            d.polygon(self._pts(shape[1]), fill=fill, outline=outline, width=max(width, 1))
        elif kind == "box":
            x0, y0, x1, y1 = shape[1:5]
            radius = shape[5] if len(shape) > 5 else RADIUS
            d.rounded_rectangle([self.p(x0), self.p(y0), self.p(x1), self.p(y1)],
                                radius=self.p(radius), fill=fill, outline=outline, width=width)
        elif kind == "disc":
            cx, cy, r = shape[1:4]
            d.ellipse([self.p(cx - r), self.p(cy - r), self.p(cx + r), self.p(cy + r)],
                      fill=fill, outline=outline, width=width)
        return _trim(mask)

    def _gradient(self, light, full, bounds):
        """A layer shaded from `light` at the top left of `bounds` to `full`
        at its bottom right, the fall mostly downwards."""
        x0, y0, x1, y1 = bounds
        w, h = self.width * self.k, self.height * self.k
        small = Image.new("RGB", (w, h))
        px = small.load()
        span = 0.35 * (x1 - x0) + (y1 - y0)
        for y in range(h):
            for x in range(w):
                u = (x + 0.5) / self.k
                v = (y + 0.5) / self.k
                t = (0.35 * (u - x0) + (v - y0)) / span if span else 0
                t = min(1.0, max(0.0, t))
                px[x, y] = tuple(round(a + (b - a) * t) for a, b in zip(light, full))
        return small.resize(self.image.size, Image.Resampling.BILINEAR)

    def _paint(self, colour_layer, mask):
        layer = colour_layer.convert("RGBA")
        layer.putalpha(mask)
        self.image.alpha_composite(layer)

    def flat(self, shape, colour):
        self._paint(Image.new("RGB", self.image.size, colour), self._mask(shape))

    def solid(self, shape, material, outline=True, bounds=None):
        """A shape shaded in its material, with its outline."""
        light, full, edge = material
        mask = self._mask(shape)
        if bounds is None:
            box = mask.getbbox() or (0, 0, 1, 1)
            unit = self.k * SCALE
            bounds = tuple(v / unit for v in box)
        self._paint(self._gradient(light, full, bounds), mask)
        if outline:
            self._paint(Image.new("RGB", self.image.size, edge), self._mask(shape, OUTLINE))

    def erase(self, shape):
        """Clears what lies under a shape."""
        alpha = self.image.getchannel("A")
        self.image.putalpha(ImageChops.subtract(alpha, self._mask(shape)))

    def line(self, points, colour, width, round_ends=True):
        layer = Image.new("L", self.image.size, 0)
        d = ImageDraw.Draw(layer)
        pts = self._pts(points)
        d.line(pts, fill=255, width=self.p(width), joint="curve")
        if round_ends:
            r = self.p(width) / 2
            for x, y in (pts[0], pts[-1]):
                d.ellipse([x - r, y - r, x + r, y + r], fill=255)
        self._paint(Image.new("RGB", self.image.size, colour), layer)

    def family_canvas(self, canvas):
        """Draws a picture made with the server images' helpers over this one."""
        self.image.alpha_composite(canvas.image)

    def final(self):
        return self.image.resize((self.width * self.k, self.height * self.k),
                                 Image.Resampling.BOX)


def _trim(mask):
    """Drops the last column and row that the rasteriser adds to every shape,
    so a shape from x0 to x1 covers exactly x1 - x0 pixels."""
    w, h = mask.size
    left = mask.copy()
    left.paste(mask.crop((1, 0, w, h)), (0, 0))
    up = mask.copy()
    up.paste(mask.crop((0, 1, w, h)), (0, 0))
    return ImageChops.darker(ImageChops.darker(mask, left), up)


def text_lines(icon, x0, rows, colour=INK):
    """One-pixel lines of text on paper: (row, right end) each."""
    for y, right in rows:
        icon.flat(("box", x0, y, right, y + 1, 0), colour)


def globe_on(icon, cx, cy, r, grid_colour=WHITE, rim=True):
    """The family's shaded globe, drawn over the icon (1x units)."""
    k = icon.k
    size = (icon.width * k, icon.height * k)
    ball = fam.globe(size, cx * k, cy * k, r * k, 0, 1.0 if k == 1 else 1.5, colour=grid_colour)
    icon.family_canvas(ball)
    if rim:
        icon.image.alpha_composite(_ring(icon, cx, cy, r, OUTLINE, DARK_BLUE))


def _ring(icon, cx, cy, r, width, colour):
    layer = Image.new("RGBA", icon.image.size, colour + (0,))
    layer.putalpha(icon._mask(("disc", cx, cy, r), width))
    return layer


def sphere(icon, cx, cy, r, light, full, edge):
    """A shaded ball lit from the upper left, with its outline."""
    k = icon.k
    size = (icon.width * k, icon.height * k)
    icon.family_canvas(fam.radial_disc(size, cx * k, cy * k, r * k, light, full))
    icon.image.alpha_composite(_ring(icon, cx, cy, r, OUTLINE, edge))


# ------------------------------------------------------- standard toolbar
# 16 x 15; the pictures sit on rows 1 to 13, centred on y = 7.

def page(icon, x0, y0, x1, y1, ear=3):
    """A sheet of paper with its top right corner folded."""
    icon.solid(("poly", [(x0, y0), (x1 - ear, y0), (x1, y0 + ear), (x1, y1), (x0, y1)]), PAPER)
    icon.solid(("poly", [(x1 - ear, y0), (x1 - ear, y0 + ear), (x1, y0 + ear)]),
               (PAPER_SHADE, SILVER, GREY))


def spark(icon, cx, cy, r):
    """An eight-pointed gold star: something new."""
    pts = []
    for i in range(8):
        ray = math.radians(90 - 45 * i)
        reach = r if i % 2 == 0 else r * 0.6
        pts.append((cx + reach * math.cos(ray), cy - reach * math.sin(ray)))
        notch = ray - math.radians(22.5)
        pts.append((cx + r * 0.38 * math.cos(notch), cy - r * 0.38 * math.sin(notch)))
    icon.solid(("poly", pts), (LIGHT_GOLD, GOLD, DARK_ORANGE))


def draw_new(k):
    c = Icon(16, 15, k)
    page(c, 1, 1, 11, 14)
    text_lines(c, 3, [(6, 9), (8, 8), (10, 9)])
    spark(c, 11.5, 4.5, 4.5)
    return c


def draw_open(k):
    c = Icon(16, 15, k)
    # Back of the folder with its tab, a sheet inside, the front swung open.
    c.solid(("poly", [(1, 2), (6, 2), (7, 4), (13, 4), (13, 13), (1, 13)]), GOLD_M)
    c.solid(("box", 3, 5, 12, 11, 0.5), PAPER)
    c.solid(("poly", [(4, 7), (15, 7), (12, 13), (1, 13)]), (LIGHT_GOLD, (250, 200, 80), DARK_ORANGE))
    return c


def draw_save(k):
    c = Icon(16, 15, k)
    c.solid(("poly", [(1.5, 1), (13, 1), (15, 3), (15, 14), (1.5, 14)]), BLUE_M,
            bounds=(1, 1, 15, 14))
    # Shutter with its slot at the top, label at the bottom.
    c.solid(("box", 4, 1, 12, 6, 0.5), METAL)
    c.flat(("box", 9, 2, 11, 5, 0), NAVY)
    c.solid(("box", 3, 8, 13, 14, 0.5), PAPER, outline=False)
    text_lines(c, 5, [(10, 11), (12, 10)])
    return c


def draw_properties(k):
    c = Icon(16, 15, k)
    c.solid(("box", 2, 1, 14, 14), PAPER)
    # A ticked box and two sliders.
    c.line([(4.0, 4.2), (5.6, 5.8), (8.6, 2.8)], GREEN, 1.5)
    text_lines(c, 9, [(4, 12)])
    for y, knob in ((7, 9), (11, 5)):
        c.flat(("box", 4, y, 12, y + 1, 0), SILVER)
        c.solid(("box", knob, y - 1, knob + 3, y + 2, 0.5), BLUE_M)
    return c


def draw_run(k):
    c = Icon(16, 15, k)
    c.solid(("poly", [(4, 1), (14, 7), (4, 13)]), GREEN_M)
    return c


def draw_pause(k):
    c = Icon(16, 15, k)
    for x in (3, 9):
        c.solid(("box", x, 1, x + 4, 13), BLUE_M)
    return c


def draw_abort(k):
    c = Icon(16, 15, k)
    c.solid(("box", 2, 1, 14, 13), RED_M)
    return c


def draw_threadbar(k):
    c = Icon(16, 15, k)
    # A window with a blue title and a list panel docked along its bottom.
    c.solid(("box", 1, 1, 15, 14), PAPER)
    c.solid(("box", 1, 1, 15, 5), BLUE_M)
    c.flat(("box", 2, 7, 14, 13, 0), PALE)
    c.flat(("box", 1, 7, 15, 8, 0), NAVY)
    for y in (9, 11):
        c.flat(("box", 3, y, 5, y + 1, 0), GREEN)
        c.flat(("box", 6, y, 13, y + 1, 0), INK)
    return c


# ------------------------------------------------------- browser buttons
# 16 x 16, drawn in full colour (the hot images); the normal ones are muted.

def draw_back(k):
    c = Icon(16, 16, k)
    c.solid(("poly", [(1, 8), (8, 1), (8, 5), (15, 5), (15, 11), (8, 11), (8, 15)]), BLUE_M)
    return c


def draw_forward(k):
    c = Icon(16, 16, k)
    c.solid(("poly", [(15, 8), (8, 1), (8, 5), (1, 5), (1, 11), (8, 11), (8, 15)]), BLUE_M)
    return c


def draw_stop(k):
    c = Icon(16, 16, k)
    sphere(c, 8, 8, 7, LIGHT_RED, RED, DARK_RED)
    c.line([(5.2, 5.2), (10.8, 10.8)], WHITE, 2.0)
    c.line([(10.8, 5.2), (5.2, 10.8)], WHITE, 2.0)
    return c


def draw_refresh(k):
    c = Icon(16, 16, k)
    cx, cy = 8.0, 8.5
    outer, inner = 6.0, 3.0
    # Clockwise from the upper right round to the top; angles as on a map
    # of the sky (counter-clockwise, y up).
    start, end = math.radians(30), math.radians(-245)
    steps = 32

    def at(angle, r):
        return (cx + r * math.cos(angle), cy - r * math.sin(angle))

    pts = [at(start + (end - start) * i / steps, outer) for i in range(steps + 1)]
    # The head at the end, pointing on round the circle.
    mid = (outer + inner) / 2
    pts += [at(end, outer + 2.0), at(end - math.radians(60), mid), at(end, inner - 2.0)]
    pts += [at(end - (end - start) * i / steps, inner) for i in range(steps + 1)]
    c.solid(("poly", pts), GREEN_M)
    return c


def draw_home(k):
    c = Icon(16, 16, k)
    c.solid(("box", 3, 8, 13, 15, 0), PAPER)
    c.solid(("box", 7, 10, 10, 15, 0), BLUE_M)
    c.solid(("poly", [(0, 9), (8, 1), (16, 9)]), (LIGHT_RED, RED, DARK_RED))
    return c


def draw_print(k):
    c = Icon(16, 16, k)
    c.solid(("box", 4, 1, 12, 7, 0), PAPER)
    c.solid(("box", 1, 6, 15, 12), METAL)
    c.flat(("box", 11, 8, 13, 9, 0), GREEN)
    c.solid(("box", 4, 10, 12, 15, 0), PAPER)
    text_lines(c, 6, [(12, 10)])
    return c


def draw_size(k):
    c = Icon(16, 16, k)

    def letter(x, top, bottom, stroke, colour):
        w = (bottom - top) * 0.78
        mid = x + w / 2
        bar = top + (bottom - top) * 0.62
        outer = [(x, bottom), (mid - stroke * 0.6, top), (mid + stroke * 0.6, top),
                 (x + w, bottom), (x + w - stroke, bottom),
                 (x + w - stroke - (bottom - bar) * 0.3, bar + stroke),
                 (x + stroke + (bottom - bar) * 0.3, bar + stroke), (x + stroke, bottom)]
        c.flat(("poly", outer), colour)
        hole = [(mid - (bar - top) * 0.22, bar), (mid, top + stroke * 1.3),
                (mid + (bar - top) * 0.22, bar)]
        c.erase(("poly", hole))

    letter(0.5, 2, 15, 2.2, NAVY)
    letter(10, 8, 15, 1.5, BLUE)
    return c


# ------------------------------------------------------- thread phases
# 16 x 16: 0 idle or ended, 1 connecting or requesting, 2 reading, 3 parsing.

def draw_phase0(k):
    c = Icon(16, 16, k)
    sphere(c, 8, 8, 4.5, LIGHT_SILVER, SILVER, GREY)
    return c


def draw_phase1(k):
    c = Icon(16, 16, k)
    globe_on(c, 10.5, 8.5, 5.0)
    c.solid(("poly", [(0, 7), (3, 7), (3, 4.5), (7, 8.5), (3, 12.5), (3, 10), (0, 10)]), ORANGE_M)
    return c


def draw_phase2(k):
    c = Icon(16, 16, k)
    c.solid(("poly", [(1, 9), (4, 9), (5, 12), (11, 12), (12, 9), (15, 9), (15, 15), (1, 15)]),
            METAL)
    c.solid(("poly", [(6, 1), (10, 1), (10, 5), (13, 5), (8, 10.5), (3, 5), (6, 5)]), GREEN_M)
    return c


def draw_phase3(k):
    c = Icon(16, 16, k)
    c.solid(("box", 1, 1, 11, 15, 0), PAPER)
    text_lines(c, 3, [(3, 9), (5, 8), (7, 9), (9, 6), (11, 8)])
    magnifier(c, 9.5, 9.5, 4.0, (15, 15))
    return c


def magnifier(icon, cx, cy, r, handle_end):
    """The family's magnifier: an orange ring and handle round a pale glass."""
    start = (cx + r * 0.6, cy + r * 0.6)
    icon.line([start, handle_end], DARK_ORANGE, 3.0)
    icon.line([start, handle_end], ORANGE, 1.6)
    icon.solid(("disc", cx, cy, r), (WHITE, PALE, DARK_ORANGE), outline=False)
    icon.image.alpha_composite(_ring(icon, cx, cy, r, 1.6, ORANGE))
    icon.image.alpha_composite(_ring(icon, cx, cy, r, 0.6, DARK_ORANGE))


# ------------------------------------------------------- program icon
# quobrix.svg beside this script is the icon; it is rendered by rsvg-convert
# from 32 pixels up, and redrawn here on whole pixels for 16 and 24.

def hinted_icon(size):
    """The program icon at 16 and 24 pixels, placed on whole pixels by hand."""
    c = Icon(size, size, 1)
    if size == 16:
        cx = cy = 6.5
        glass, ring, edge = 4.5, 1.5, 0.5
        handle = ((10.0, 10.0), (14.2, 14.2), 2.4)
    else:
        cx = cy = 10.5
        glass, ring, edge = 6.5, 2.0, 1.0
        handle = ((15.0, 15.0), (21.6, 21.6), 3.4)
    start, end, width = handle
    c.line([start, end], DARK_ORANGE, width + 1.2)
    c.line([start, end], ORANGE, width)
    globe_on(c, cx, cy, glass, rim=False)
    c.image.alpha_composite(_ring(c, cx, cy, glass + ring + edge, ring + edge, DARK_ORANGE))
    c.image.alpha_composite(_ring(c, cx, cy, glass + ring, ring, ORANGE))
    c.image.alpha_composite(_ring(c, cx, cy, glass + 0.5, 0.8, DARK_BLUE))
    return c.final()


def render_svg(svg_path, size):
    tool = shutil.which("rsvg-convert")
    if not tool:
        sys.exit("rsvg-convert not found (Debian: apt-get install librsvg2-bin)")
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "icon.png")
        subprocess.run([tool, "-w", str(size), "-h", str(size), "-o", out, svg_path], check=True)
        return Image.open(out).convert("RGBA")


def draw_splash(svg_path):
    """The program's mark with its name and what it does, on white."""
    w, h = 200, 60
    image = Image.new("RGBA", (w * SCALE, h * SCALE), (255, 255, 255, 255))
    mark = render_svg(svg_path, 52 * 4).resize((52 * SCALE, 52 * SCALE),
                                              Image.Resampling.LANCZOS)
    image.alpha_composite(mark, (3 * SCALE, 4 * SCALE))
    d = ImageDraw.Draw(image)
    # Each line centred on the space right of the mark; top of its ink at `top`.
    for text, size, top, colour in (("Quobrix", 30, 11, NAVY),
                                    ("keyword search crawler", 10, 42, DARK_ORANGE)):
        font = fam.find_font(size * SCALE)
        x0, y0, x1, _ = d.textbbox((0, 0), text, font=font)
        left = 130 * SCALE - (x1 - x0) / 2 - x0
        d.text((left, top * SCALE - y0), text, font=font, fill=colour)
    return image.resize((w, h), Image.Resampling.BOX)


# ------------------------------------------------------- new task wizard
# 102 x 192, at the left edge of every page of the wizard: the web the task
# searches (the globe and a few linked sites), and one of its pages under
# the magnifier, a keyword marked in red.

def draw_wizard(k):
    c = Icon(102, 192, k)
    c.solid(("box", 0, 0, 102, 192, 0), (PALE, SKY, DARK_BLUE))
    # Sites linked to each other, behind the globe.
    sites = [(14, 22), (88, 16), (92, 96), (10, 104)]
    hub = (51, 58)
    for x, y in sites:
        c.line([hub, (x, y)], WHITE, 1.0)
    c.line([sites[0], sites[3]], WHITE, 1.0)
    c.line([sites[1], sites[2]], WHITE, 1.0)
    for x, y in sites:
        sphere(c, x, y, 4.5, WHITE, PALE, DARK_BLUE)
    globe_on(c, hub[0], hub[1], 31)
    # A retrieved page, its text in lines, one keyword in red.
    page(c, 14, 104, 66, 176, ear=10)
    text_lines(c, 20, [(118, 52), (124, 58), (130, 44), (136, 58), (142, 50), (148, 58),
                       (154, 40), (160, 56), (166, 48)])
    c.flat(("box", 30, 136, 44, 138, 0), RED)
    magnifier(c, 62, 138, 15.0, (90, 172))
    return c


# ------------------------------------------------------- writing

def mute(image):
    """The normal look of a browser button: colours softened towards grey."""
    out = image.copy()
    px = out.load()
    for y in range(out.height):
        for x in range(out.width):
            r, g, b, a = px[x, y]
            grey = 0.30 * r + 0.59 * g + 0.11 * b
            r, g, b = (grey + (v - grey) * 0.55 for v in (r, g, b))
            r, g, b = (v * 0.92 + 255 * 0.08 for v in (r, g, b))
            px[x, y] = (round(r), round(g), round(b), a)
    return out


# Pictures the user manual shows; it keeps copies in its own folder, since it
# is opened from a file beside the program.
MANUAL_PICTURES = ["new", "open", "save", "properties", "run", "pause", "abort",
                   "threadbar", "back-hot", "forward-hot", "stop-hot", "refresh-hot",
                   "home-hot", "print-hot", "size-hot", "phase0", "phase1", "phase2",
                   "phase3"]


def copy_for_manual():
    folder = os.path.join(HERE, "..", "UserManual", "images")
    os.makedirs(folder, exist_ok=True)
    names = [n + s + ".png" for n in MANUAL_PICTURES for s in ("", "@2x")]
    names += ["quobrix-32.png", "quobrix-64.png"]
    for name in names:
        shutil.copyfile(os.path.join(HERE, name), os.path.join(folder, name))
    for name in ("remote.jpg", "local.jpg"):
        shutil.copyfile(os.path.join(HERE, "..", "images", name), os.path.join(folder, name))
    print("copied", len(names) + 2, "pictures to", os.path.normpath(folder))


def save_pair(draw, out, name, variant=lambda image: image):
    for k, suffix in ((1, ""), (2, "@2x")):
        variant(draw(k).final()).save(os.path.join(out, name + suffix + ".png"))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else HERE
    os.makedirs(out, exist_ok=True)
    count = 0
    toolbar = {"new": draw_new, "open": draw_open, "save": draw_save,
               "properties": draw_properties, "run": draw_run, "pause": draw_pause,
               "abort": draw_abort, "threadbar": draw_threadbar}
    browser = {"back": draw_back, "forward": draw_forward, "stop": draw_stop,
               "refresh": draw_refresh, "home": draw_home, "print": draw_print,
               "size": draw_size}
    phases = {"phase0": draw_phase0, "phase1": draw_phase1, "phase2": draw_phase2,
              "phase3": draw_phase3}
    for name, draw in list(toolbar.items()) + list(phases.items()):
        save_pair(draw, out, name)
        count += 2
    for name, draw in browser.items():
        save_pair(draw, out, name, mute)
        save_pair(draw, out, name + "-hot")
        count += 4

    svg_path = os.path.join(HERE, "quobrix.svg")
    for size in (16, 24, 32, 48, 64, 128, 256):
        icon = hinted_icon(size) if size < 32 else render_svg(svg_path, size)
        icon.save(os.path.join(out, "quobrix-%d.png" % size))
    draw_splash(svg_path).convert("RGB").save(os.path.join(out, "splash.png"))
    count += 9
    save_pair(draw_wizard, out, "wizard")
    count += 2
    print("wrote", count, "images to", out)
    if os.path.abspath(out) == HERE:
        copy_for_manual()


if __name__ == "__main__":
    main()

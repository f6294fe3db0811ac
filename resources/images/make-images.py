#!/usr/bin/env python3
"""Draws the ten images built into Quobrix's local web server.

Run from anywhere:  python3 resources/images/make-images.py [OUTPUT_FOLDER]
(default: the folder of this script). Needs Python 3 and Pillow (Debian:
python3-pil); the banner's lettering uses DejaVu Sans Bold (Debian:
fonts-dejavu-core). The finished images are kept in the repository, so the
build never runs this script; run it only to change the artwork, then check
the results and rebuild (the build embeds the files from this folder).

Every picture is drawn at SCALE times its size and reduced with a box filter,
which gives smooth edges. JPEG files are baseline, quality 95, no chroma
subsampling, on white. GIF files are GIF89a; where a GIF has a transparent
background, its edge pixels are blended onto white (the pages are white).
"""

import os
import sys

from PIL import Image, ImageDraw, ImageFont

SCALE = 16
WHITE = (255, 255, 255, 255)
CLEAR = (255, 255, 255, 0)

# Palette of the artwork.
NAVY = (10, 36, 112)
DARK_BLUE = (14, 58, 138)
BLUE = (34, 102, 204)
SKY = (120, 176, 240)
PALE = (222, 236, 255)
ORANGE = (245, 140, 30)
DARK_ORANGE = (190, 92, 10)
GREEN = (30, 150, 60)
GLOBE_LIGHT = (84, 150, 236)
GLOBE_DARK = (22, 78, 186)
GREY = (74, 86, 104)
RULE_BLUE = (0, 51, 153)  # #003399


class Canvas:
    """An RGBA picture drawn in pixel units of the final image, SCALE times finer."""

    def __init__(self, width, height, background=CLEAR):
        self.width, self.height = width, height
        self.image = Image.new("RGBA", (width * SCALE, height * SCALE), background)
        self.draw = ImageDraw.Draw(self.image)

    @staticmethod
    def _p(value):
        return round(value * SCALE)

    def _box(self, x0, y0, x1, y1):
        return [self._p(x0), self._p(y0), self._p(x1) - 1, self._p(y1) - 1]

    def ellipse(self, x0, y0, x1, y1, fill=None, outline=None, width=0.0):
        self.draw.ellipse(self._box(x0, y0, x1, y1), fill=fill, outline=outline,
                          width=self._p(width))

    def circle(self, cx, cy, r, **kw):
        self.ellipse(cx - r, cy - r, cx + r, cy + r, **kw)

    def rect(self, x0, y0, x1, y1, fill=None, outline=None, width=0.0):
        self.draw.rectangle(self._box(x0, y0, x1, y1), fill=fill, outline=outline,
                            width=self._p(width))

    def polygon(self, points, fill):
        self.draw.polygon([(self._p(x), self._p(y)) for x, y in points], fill=fill)

    def line(self, points, fill, width, round_ends=True):
        pts = [(self._p(x), self._p(y)) for x, y in points]
        self.draw.line(pts, fill=fill, width=self._p(width), joint="curve")
        if round_ends:
            for x, y in (points[0], points[-1]):
                self.circle(x, y, width / 2, fill=fill)

    def paste(self, other):
        """Draws another canvas of the same size over this one."""
        self.image.alpha_composite(other.image)

    def final(self):
        """The picture at its real size."""
        return self.image.resize((self.width, self.height), Image.Resampling.BOX)


def radial_disc(size, cx, cy, r, inner, outer, light_dx=-0.35, light_dy=-0.4):
    """A disc shaded from `inner` (near its lit upper left) to `outer` (its rim)."""
    c = Canvas(*size)
    big = c.image
    s = SCALE
    lx, ly = (cx + light_dx * r) * s, (cy + light_dy * r) * s
    rr = r * s
    px = big.load()
    for y in range(round((cy - r) * s), round((cy + r) * s)):
        for x in range(round((cx - r) * s), round((cx + r) * s)):
            dx, dy = x + 0.5 - cx * s, y + 0.5 - cy * s
            if dx * dx + dy * dy <= rr * rr:
                d = ((x + 0.5 - lx) ** 2 + (y + 0.5 - ly) ** 2) ** 0.5 / (rr * 1.45)
                t = min(1.0, d)
                px[x, y] = tuple(round(a + (b - a) * t) for a, b in zip(inner, outer)) + (255,)
    return c


def clip_to_circle(canvas, cx, cy, r):
    """Clears everything of `canvas` outside the circle."""
    mask = Image.new("L", canvas.image.size, 0)
    ImageDraw.Draw(mask).ellipse(canvas._box(cx - r, cy - r, cx + r, cy + r), fill=255)
    alpha = canvas.image.getchannel("A")
    alpha = Image.composite(alpha, Image.new("L", alpha.size, 0), mask)
    canvas.image.putalpha(alpha)


# ---------------------------------------------------------------- drawings

def globe(size, cx, cy, r, rim_width, grid_width, colour=PALE):
    """A shaded blue globe with a grid of meridians and parallels in `colour`;
    a dark rim when rim_width > 0."""
    ball = radial_disc(size, cx, cy, r, GLOBE_LIGHT, GLOBE_DARK)
    grid = Canvas(*size)
    g = grid_width
    # One meridian ellipse, the equator and two parallels; with the centre
    # on a pixel's centre and 1-pixel lines, each falls on whole pixels.
    half = round(0.467 * r - 0.5) + 0.5
    grid.ellipse(cx - half, cy - r - g, cx + half, cy + r + g, outline=colour, width=g)
    grid.line([(cx - r, cy), (cx + r, cy)], colour, g, round_ends=False)
    offset = round(0.533 * r)
    for y in (cy - offset, cy + offset):
        reach = (r * r - offset * offset) ** 0.5
        grid.line([(cx - reach, y), (cx + reach, y)], colour, g, round_ends=False)
    clip_to_circle(grid, cx, cy, r)
    ball.paste(grid)
    if rim_width > 0:
        ball.circle(cx, cy, r, outline=DARK_BLUE, width=rim_width)
    return ball


def draw_remote():
    c = Canvas(16, 16, WHITE)
    c.paste(globe((16, 16), 7.5, 7.5, 7.5, 1.0, 1.0, colour=WHITE))
    return c.final()


def draw_local():
    c = Canvas(16, 16, WHITE)
    cx, cy, r = 6.4, 6.4, 5.2
    # Handle first, so the ring covers its inner end.
    c.line([(10.2, 10.2), (14.3, 14.3)], DARK_ORANGE, 3.2)
    c.line([(10.4, 10.4), (14.0, 14.0)], ORANGE, 2.0)
    c.circle(cx, cy, r, fill=PALE)
    # A glint on the glass.
    c.ellipse(3.4, 3.6, 6.2, 5.6, fill=WHITE)
    c.circle(cx, cy, r, outline=GREY, width=1.6)
    return c.final()


def draw_go():
    c = Canvas(16, 16, WHITE)
    c.polygon([(4.0, 2.0), (14.0, 8.0), (4.0, 14.0)], NAVY)
    return c.final()


def draw_options():
    c = Canvas(16, 16, WHITE)
    # Window: a blue title bar with a pale button over a white pane.
    c.rect(1, 2, 15, 14, fill=WHITE)
    c.rect(1, 2, 15, 6, fill=BLUE)
    c.rect(11, 3, 14, 5, fill=PALE)
    c.rect(1, 2, 15, 14, outline=DARK_BLUE, width=1)
    # Check mark in the pane.
    c.line([(4.2, 9.4), (6.8, 11.8), (11.8, 7.4)], GREEN, 2.0)
    return c.final()


def draw_round_button(pointing_right):
    size = 21
    c = Canvas(size, size, WHITE)
    cx = cy = size / 2
    r = 10.0
    c.paste(radial_disc((size, size), cx, cy, r, SKY, DARK_BLUE, -0.3, -0.55))
    c.circle(cx, cy, r, outline=NAVY, width=1.0)
    arrow = Canvas(size, size)
    # Drawn pointing right, then mirrored for the other way.
    arrow.rect(4.8, 9.0, 11.5, 12.0, fill=WHITE)
    arrow.polygon([(16.4, 10.5), (10.4, 4.8), (10.4, 16.2)], fill=WHITE)
    if not pointing_right:
        arrow.image = arrow.image.transpose(Image.Transpose.FLIP_LEFT_RIGHT)
    c.paste(arrow)
    return c.final()


def draw_one_pixel():
    return Image.new("RGBA", (1, 1), RULE_BLUE + (255,))


def emblem(size, cx, cy, lens_r, ring_w, handle_end, handle_w, grid_w):
    """The Quobrix emblem: an orange magnifier whose lens is a blue globe."""
    c = Canvas(*size)
    start = (cx + lens_r * 0.62, cy + lens_r * 0.62)
    c.line([start, handle_end], DARK_ORANGE, handle_w + 1.6)
    c.line([start, handle_end], ORANGE, handle_w)
    inner = lens_r - ring_w / 2
    c.paste(globe(size, cx, cy, inner, 0, grid_w, colour=WHITE))
    c.circle(cx, cy, lens_r + ring_w / 2 + 0.8, outline=DARK_ORANGE, width=1.0)
    c.circle(cx, cy, lens_r + ring_w / 2, outline=ORANGE, width=ring_w)
    c.circle(cx, cy, inner + 0.5, outline=DARK_BLUE, width=1.0)
    return c


def draw_emblem():
    return emblem((32, 32), 13.5, 13.5, 9.5, 3.0, (27.6, 27.6), 4.0, 1.0).final()


def draw_back():
    c = Canvas(12, 10)
    c.polygon([(0.2, 5.0), (6.0, 0.0), (6.0, 10.0)], BLUE)
    c.rect(5.5, 4.0, 11.5, 6.0, fill=BLUE)
    return c.final()


def find_font(size):
    for folder in ("/usr/share/fonts/truetype/dejavu", "/usr/share/fonts/dejavu",
                   "/usr/share/fonts/TTF"):
        path = os.path.join(folder, "DejaVuSans-Bold.ttf")
        if os.path.exists(path):
            return ImageFont.truetype(path, size)
    sys.exit("DejaVuSans-Bold.ttf not found (Debian: apt-get install fonts-dejavu-core)")


def draw_banner():
    w, h = 200, 60
    c = Canvas(w, h, WHITE)
    # Background: a soft band from pale blue to white, with a blue rule below.
    for x in range(w * SCALE):
        t = x / (w * SCALE)
        col = tuple(round(a + (b - a) * t) for a, b in zip(PALE, (255, 255, 255))) + (255,)
        c.draw.line([(x, 0), (x, h * SCALE - 1)], fill=col)
    c.rect(0, 56.0, w, 58.0, fill=RULE_BLUE)
    c.rect(0, 58.0, w, 60.0, fill=ORANGE)
    c.paste(emblem((w, h), 23.5, 23.5, 15.0, 4.4, (46.0, 46.0), 6.2, 1.5))
    # Lettering.
    name_font = find_font(30 * SCALE)
    tag_font = find_font(10 * SCALE)
    # Each line centred on the space right of the emblem; top of its ink at `top`.
    for text, font, top, colour in (("Quobrix", name_font, 9, NAVY),
                                    ("keyword search crawler", tag_font, 42, DARK_ORANGE)):
        x0, y0, x1, _ = c.draw.textbbox((0, 0), text, font=font)
        left = 126 * SCALE - (x1 - x0) / 2 - x0
        c.draw.text((left, top * SCALE - y0), text, font=font, fill=colour)
    return c.final()


# ---------------------------------------------------------------- writing

def save_jpeg(image, path):
    flat = Image.new("RGB", image.size, (255, 255, 255))
    flat.paste(image, mask=image.getchannel("A"))
    flat.save(path, "JPEG", quality=95, subsampling=0, progressive=False, optimize=False)


def save_gif(image, path, transparent):
    """Saves an RGBA picture as GIF89a. With `transparent`, pixels less than
    half covered become the transparent colour; the rest are blended on white."""
    flat = Image.new("RGB", image.size, (255, 255, 255))
    flat.paste(image, mask=image.getchannel("A"))
    reserved = 1 if transparent else 0
    used = flat.getcolors(256 - reserved)
    colours = len(used) if used else 256 - reserved
    indexed = flat.quantize(colors=colours, method=Image.Quantize.MEDIANCUT,
                            dither=Image.Dither.NONE)
    clear = colours  # the palette entry after the picture's colours
    indexed.putpalette(indexed.getpalette()[: colours * 3] + [255, 255, 255] * reserved)
    options = {}
    if transparent:
        alpha = image.getchannel("A").load()
        pixels = indexed.load()
        for y in range(image.height):
            for x in range(image.width):
                if alpha[x, y] < 128:
                    pixels[x, y] = clear
        options["transparency"] = clear
    indexed.info["version"] = b"89a"
    indexed.save(path, "GIF", optimize=False, **options)
    with open(path, "rb") as f:
        assert f.read(6) == b"GIF89a", path


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(out, exist_ok=True)
    jpegs = {
        "remote.jpg": draw_remote,
        "local.jpg": draw_local,
        "go.jpg": draw_go,
        "options.jpg": draw_options,
        "previous.jpg": lambda: draw_round_button(False),
        "next.jpg": lambda: draw_round_button(True),
        "1pixel.jpg": draw_one_pixel,
    }
    gifs = {
        "Quobrix.gif": (draw_emblem, True),
        "back.gif": (draw_back, True),
        "banner1.gif": (draw_banner, False),
    }
    for name, draw in jpegs.items():
        save_jpeg(draw(), os.path.join(out, name))
    for name, (draw, transparent) in gifs.items():
        save_gif(draw(), os.path.join(out, name), transparent)
    print("wrote", len(jpegs) + len(gifs), "images to", out)


if __name__ == "__main__":
    main()

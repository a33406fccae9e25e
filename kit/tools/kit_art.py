"""Pictures of the sample skins, drawn with Pillow.

Every control picture is drawn over the piece of the window and page
background that lies under it, so the pictures need no transparency and
look right whichever way the panel paints them.
"""
import math

from PIL import Image, ImageDraw, ImageFont

SS = 4  # supersampling factor of every drawing
FONT_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"

SKINS = {
    "Graphite": dict(bg=(27, 30, 35), panel=(36, 40, 47), panel2=(48, 53, 62), header=(18, 20, 24),
                     sunken=(21, 23, 28), edge=(64, 71, 82), accent=(40, 186, 240), accent2=(18, 112, 168),
                     text=(206, 212, 220), dim=(122, 131, 142), good=(60, 200, 110), bad=(228, 80, 80),
                     led_page_mode=1),
    "Amber": dict(bg=(33, 27, 23), panel=(45, 37, 31), panel2=(60, 50, 42), header=(21, 17, 14),
                  sunken=(24, 20, 17), edge=(92, 77, 64), accent=(246, 158, 44), accent2=(176, 92, 18),
                  text=(222, 210, 196), dim=(150, 134, 118), good=(120, 200, 80), bad=(230, 90, 70),
                  led_page_mode=2),
}


def font(size, bold=True):
    return ImageFont.truetype(FONT_BOLD if bold else FONT, max(1, int(size)))


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def lighter(c, t=0.25):
    return mix(c, (255, 255, 255), t)


def darker(c, t=0.25):
    return mix(c, (0, 0, 0), t)


class Canvas:
    """A supersampled drawing surface; coordinates are design pixels."""

    def __init__(self, base, scale):
        self.size = base.size
        self.u = scale * SS
        self.img = base.convert("RGB").resize((base.width * SS, base.height * SS), Image.BILINEAR)
        self.d = ImageDraw.Draw(self.img)
        self.w = base.width / scale
        self.h = base.height / scale

    def p(self, *v):
        return [x * self.u for x in v]

    def rrect(self, box, r, fill=None, outline=None, width=1):
        x0, y0, x1, y1 = box
        self.d.rounded_rectangle(self.p(x0, y0, x1, y1), radius=r * self.u, fill=fill, outline=outline,
                                 width=max(1, int(width * self.u)))

    def vgrad(self, box, top, bottom, r=0):
        x0, y0, x1, y1 = [int(v) for v in self.p(*box)]
        if x1 <= x0 or y1 <= y0:
            return
        grad = Image.new("RGB", (1, 256))
        for i in range(256):
            grad.putpixel((0, i), mix(top, bottom, i / 255))
        grad = grad.resize((x1 - x0, y1 - y0), Image.BILINEAR)
        mask = Image.new("L", grad.size, 0)
        ImageDraw.Draw(mask).rounded_rectangle((0, 0, grad.width - 1, grad.height - 1), radius=r * self.u, fill=255)
        self.img.paste(grad, (x0, y0), mask)

    def hgrad(self, box, colors, r=0):
        x0, y0, x1, y1 = [int(v) for v in self.p(*box)]
        if x1 <= x0 or y1 <= y0:
            return
        grad = Image.new("RGB", (len(colors), 1))
        for i, c in enumerate(colors):
            grad.putpixel((i, 0), c)
        grad = grad.resize((x1 - x0, y1 - y0), Image.BILINEAR)
        mask = Image.new("L", grad.size, 0)
        ImageDraw.Draw(mask).rounded_rectangle((0, 0, grad.width - 1, grad.height - 1), radius=r * self.u, fill=255)
        self.img.paste(grad, (x0, y0), mask)

    def line(self, pts, fill, width=1):
        self.d.line([v * self.u for pt in pts for v in pt], fill=fill, width=max(1, int(width * self.u)),
                    joint="curve")

    def ellipse(self, box, fill=None, outline=None, width=1):
        self.d.ellipse(self.p(*box), fill=fill, outline=outline, width=max(1, int(width * self.u)))

    def arc(self, box, start, end, fill, width=1):
        self.d.arc(self.p(*box), start, end, fill=fill, width=max(1, int(width * self.u)))

    def poly(self, pts, fill=None, outline=None):
        self.d.polygon([v * self.u for pt in pts for v in pt], fill=fill, outline=outline)

    def text(self, xy, s, size, fill, bold=True, anchor="la"):
        self.d.text((xy[0] * self.u, xy[1] * self.u), s, font=font(size * self.u, bold), fill=fill, anchor=anchor)

    def done(self):
        return self.img.resize(self.size, Image.LANCZOS)


# ------------------------------------------------------------------ glyphs
def glyph(c, name, cx, cy, s, col, pal):
    """Draws a small symbol of size s centred at (cx, cy)."""
    h = s / 2
    w = max(1.2, s / 9)
    if name == "close":
        c.line([(cx - h * .6, cy - h * .6), (cx + h * .6, cy + h * .6)], col, w)
        c.line([(cx - h * .6, cy + h * .6), (cx + h * .6, cy - h * .6)], col, w)
    elif name == "minimize":
        c.line([(cx - h * .6, cy + h * .4), (cx + h * .6, cy + h * .4)], col, w)
    elif name in ("save", "load"):
        c.line([(cx - h * .8, cy + h * .2), (cx - h * .8, cy + h * .8), (cx + h * .8, cy + h * .8),
                (cx + h * .8, cy + h * .2)], col, w)
        if name == "save":
            c.line([(cx, cy - h * .9), (cx, cy + h * .3)], col, w)
            c.line([(cx - h * .45, cy - h * .15), (cx, cy + h * .35), (cx + h * .45, cy - h * .15)], col, w)
        else:
            c.line([(cx, cy + h * .4), (cx, cy - h * .85)], col, w)
            c.line([(cx - h * .45, cy - h * .4), (cx, cy - h * .9), (cx + h * .45, cy - h * .4)], col, w)
    elif name == "about":
        c.ellipse((cx - h, cy - h, cx + h, cy + h), outline=col, width=w)
        c.ellipse((cx - w * .7, cy - h * .55 - w * .7, cx + w * .7, cy - h * .55 + w * .7), fill=col)
        c.line([(cx, cy - h * .15), (cx, cy + h * .6)], col, w)
    elif name == "led":
        c.ellipse((cx - h * .6, cy - h * .9, cx + h * .6, cy + h * .3), outline=col, width=w)
        c.line([(cx - h * .3, cy + h * .5), (cx + h * .3, cy + h * .5)], col, w)
        c.line([(cx - h * .25, cy + h * .8), (cx + h * .25, cy + h * .8)], col, w)
    elif name == "power":
        c.arc((cx - h * .8, cy - h * .8, cx + h * .8, cy + h * .8), 300, 240, col, w)
        c.line([(cx, cy - h), (cx, cy - h * .1)], col, w)
    elif name in ("3d", "surround"):
        for k in (1.0, 0.62):
            c.arc((cx - h * k, cy - h * k, cx + h * k, cy + h * k), 200, 340, col, w)
            c.arc((cx - h * k, cy - h * k, cx + h * k, cy + h * k), 20, 160, col, w)
        c.ellipse((cx - w * 1.4, cy - w * 1.4, cx + w * 1.4, cy + w * 1.4), fill=col)
    elif name == "reset":
        c.arc((cx - h * .8, cy - h * .8, cx + h * .8, cy + h * .8), 40, 320, col, w)
        c.poly([(cx + h * .95, cy - h * .75), (cx + h * .95, cy - h * .05), (cx + h * .3, cy - h * .4)], fill=col)
    elif name.startswith("preset"):
        n = int(name[-1])
        for i in range(4):
            x = cx - h * .75 + i * h * .5
            top = cy + h * .8 - h * (0.4 + 0.35 * ((i + n) % 4))
            c.line([(x, cy + h * .8), (x, top)], col, w * 1.4)
    elif name == "nothing":
        c.ellipse((cx - h * .8, cy - h * .8, cx + h * .8, cy + h * .8), outline=col, width=w)
        c.line([(cx - h * .55, cy + h * .55), (cx + h * .55, cy - h * .55)], col, w)
    elif name == "theater":
        c.rrect((cx - h, cy - h * .7, cx + h, cy + h * .3), h * .1, outline=col, width=w)
        c.line([(cx - h * .8, cy + h * .75), (cx + h * .8, cy + h * .75)], col, w)
    elif name == "bathroom":
        c.poly([(cx, cy - h), (cx + h * .6, cy + h * .1), (cx - h * .6, cy + h * .1)], fill=col)
        c.ellipse((cx - h * .6, cy - h * .3, cx + h * .6, cy + h * .9), fill=col)
    elif name == "livingroom":
        c.rrect((cx - h, cy - h * .2, cx + h, cy + h * .6), h * .2, outline=col, width=w)
        c.rrect((cx - h * .65, cy - h * .7, cx + h * .65, cy - h * .1), h * .2, outline=col, width=w)
    elif name == "stonegallery":
        for k in (-1, 1):
            c.arc((cx + k * h * .5 - h * .45, cy - h * .8, cx + k * h * .5 + h * .45, cy + h * .1), 180, 360, col, w)
            c.line([(cx + k * h * .5 - h * .45, cy - h * .35), (cx + k * h * .5 - h * .45, cy + h * .8)], col, w)
            c.line([(cx + k * h * .5 + h * .45, cy - h * .35), (cx + k * h * .5 + h * .45, cy + h * .8)], col, w)
    elif name == "boost":
        for k in (0, .55):
            c.line([(cx - h * .7, cy + h * .35 - k * h), (cx, cy - h * .35 - k * h), (cx + h * .7, cy + h * .35 - k * h)],
                   col, w)
    elif name in ("mute", "speaker"):
        c.poly([(cx - h * .9, cy - h * .3), (cx - h * .45, cy - h * .3), (cx + h * .05, cy - h * .8),
                (cx + h * .05, cy + h * .8), (cx - h * .45, cy + h * .3), (cx - h * .9, cy + h * .3)], fill=col)
        if name == "mute":
            c.line([(cx + h * .35, cy - h * .3), (cx + h * .9, cy + h * .3)], col, w)
            c.line([(cx + h * .35, cy + h * .3), (cx + h * .9, cy - h * .3)], col, w)
        else:
            c.arc((cx - h * .3, cy - h * .5, cx + h * .5, cy + h * .5), 300, 60, col, w)
            c.arc((cx - h * .5, cy - h * .85, cx + h * .95, cy + h * .85), 300, 60, col, w)
    elif name == "monitor":
        c.arc((cx - h * .8, cy - h * .8, cx + h * .8, cy + h * .8), 180, 360, col, w)
        c.rrect((cx - h * .95, cy - h * .05, cx - h * .45, cy + h * .8), h * .15, fill=col)
        c.rrect((cx + h * .45, cy - h * .05, cx + h * .95, cy + h * .8), h * .15, fill=col)
    elif name == "switch":
        c.rrect((cx - h, cy - h * .45, cx + h, cy + h * .45), h * .45, outline=col, width=w)
        c.ellipse((cx + h * .1, cy - h * .3, cx + h * .7, cy + h * .3), fill=col)
    elif name in ("cw", "ccw"):
        c.arc((cx - h * .8, cy - h * .8, cx + h * .8, cy + h * .8), 200, 520 - 180, col, w)
        if name == "cw":
            c.poly([(cx + h * .35, cy - h), (cx + h * .05, cy - h * .45), (cx - h * .1, cy - h * 1.05)], fill=col)
            c.poly([(cx + h * .8, cy - h * .05), (cx + h * 1.05, cy - h * .55), (cx + h * .45, cy - h * .5)], fill=col)
        else:
            c.poly([(cx - h * .8, cy - h * .05), (cx - h * 1.05, cy - h * .55), (cx - h * .45, cy - h * .5)], fill=col)
    elif name in ("enlarge", "narrow"):
        out = 1 if name == "enlarge" else -1
        for sx, sy in ((-1, -1), (1, -1), (-1, 1), (1, 1)):
            a = (cx + sx * h * .25, cy + sy * h * .25)
            b = (cx + sx * h * .9, cy + sy * h * .9)
            tip, tail = (b, a) if out > 0 else (a, b)
            c.line([tail, tip], col, w)
            c.line([(tip[0] - sx * out * h * .35, tip[1]), tip, (tip[0], tip[1] - sy * out * h * .35)], col, w)
    elif name == "bass":
        pts = [(cx - h + i * h / 12, cy + math.sin(i / 24 * 2 * math.pi) * h * .6) for i in range(25)]
        c.line(pts, col, w)
    elif name == "enc":
        pts = [(cx - h + i * h / 10, cy + math.sin(i * 1.7) * h * (.2 + .6 * (i % 3) / 2)) for i in range(21)]
        c.line(pts, col, w * .8)
        c.line([(cx - h, cy + h * .85), (cx + h, cy - h * .85)], col, w)
    elif name in ("voice", "none", "voice1", "voice2", "voice3", "voice4"):
        c.ellipse((cx - h * .35, cy - h * .9, cx + h * .35, cy - h * .05), fill=col)
        c.arc((cx - h * .7, cy - h * .95, cx + h * .1, cy + h * .75), 100, 200, col, w)
        c.line([(cx - h * .5, cy + h * .9), (cx + h * .3, cy + h * .9)], col, w)
        wave = {"voice": 2, "none": 0, "voice1": 3, "voice2": 5, "voice3": 1, "voice4": 4}[name]
        if wave:
            pts = [(cx + h * .2 + i * h * .04, cy + math.sin(i / 20 * math.pi * wave) * h * .45) for i in range(21)]
            c.line(pts, col, w * .8)
    elif name == "plug":
        c.rrect((cx - h * .45, cy - h * .3, cx + h * .45, cy + h * .45), h * .15, fill=col)
        c.line([(cx - h * .2, cy - h * .3), (cx - h * .2, cy - h * .8)], col, w)
        c.line([(cx + h * .2, cy - h * .3), (cx + h * .2, cy - h * .8)], col, w)
        c.line([(cx, cy + h * .45), (cx, cy + h)], col, w)
    elif name == "unplug":
        glyph(c, "plug", cx - h * .15, cy + h * .15, s * .8, col, pal)
        c.line([(cx - h, cy - h), (cx + h, cy + h)], col, w)
    elif name == "usb":
        c.line([(cx, cy + h * .9), (cx, cy - h * .7)], col, w)
        c.poly([(cx, cy - h), (cx - h * .25, cy - h * .6), (cx + h * .25, cy - h * .6)], fill=col)
        c.line([(cx, cy + h * .4), (cx - h * .55, cy - h * .05), (cx - h * .55, cy - h * .3)], col, w)
        c.line([(cx, cy + h * .15), (cx + h * .55, cy - h * .3)], col, w)
        c.ellipse((cx - h * .7, cy - h * .45, cx - h * .4, cy - h * .15), fill=col)
        c.rrect((cx + h * .4, cy - h * .55, cx + h * .7, cy - h * .25), 0, fill=col)
    elif name == "mic":
        c.rrect((cx - h * .35, cy - h, cx + h * .35, cy + h * .25), h * .35, fill=col)
        c.arc((cx - h * .65, cy - h * .55, cx + h * .65, cy + h * .55), 0, 180, col, w)
        c.line([(cx, cy + h * .55), (cx, cy + h * .9)], col, w)
    elif name == "eq":
        for i, hh in enumerate([.5, .9, .3, .7, .45]):
            x = cx - h * .8 + i * h * .4
            c.line([(x, cy + h * .9), (x, cy - h * .9)], mix(col, (0, 0, 0), .55), w * .8)
            c.rrect((x - h * .12, cy + h * .9 - hh * h * 1.8 - h * .08, x + h * .12, cy + h * .9 - hh * h * 1.8 + h * .08),
                    h * .04, fill=col)
    elif name == "effect":
        for k in (.35, .65, .95):
            c.arc((cx - h * k, cy - h * k, cx + h * k, cy + h * k), 300, 60, col, w)
            c.arc((cx - h * k, cy - h * k, cx + h * k, cy + h * k), 120, 240, col, w)
        c.ellipse((cx - h * .12, cy - h * .12, cx + h * .12, cy + h * .12), fill=col)
    elif name == "virtual":
        c.ellipse((cx - h * .85, cy - h * .85, cx + h * .85, cy + h * .85), outline=mix(col, (0, 0, 0), .5), width=w * .7)
        for i in range(7):
            a = math.radians(-90 + i * 360 / 7)
            x, y = cx + math.cos(a) * h * .85, cy + math.sin(a) * h * .85
            c.ellipse((x - h * .13, y - h * .13, x + h * .13, y + h * .13), fill=col)
        c.ellipse((cx - h * .22, cy - h * .22, cx + h * .22, cy + h * .22), fill=col)


# --------------------------------------------------------------- controls
def button(c, pal, state, name):
    down = state == "down"
    w, h = c.w, c.h
    r = min(6, h / 4)
    if down:
        c.vgrad((0.5, 0.5, w - 0.5, h - 0.5), lighter(pal["accent"], .12), pal["accent2"], r)
        c.rrect((0.5, 0.5, w - 0.5, h - 0.5), r, outline=lighter(pal["accent"], .35), width=1)
    else:
        c.vgrad((0.5, 0.5, w - 0.5, h - 0.5), lighter(pal["panel2"], .08), darker(pal["panel2"], .18), r)
        c.rrect((0.5, 0.5, w - 0.5, h - 0.5), r, outline=pal["edge"], width=1)
        c.line([(r, 1.5), (w - r, 1.5)], lighter(pal["panel2"], .2), .8)
    col = (255, 255, 255) if down else pal["dim"]
    if w > h * 1.6:
        s = h * .5
        glyph(c, name, w - h / 2 - 2, h / 2, s, col, pal)
    else:
        glyph(c, name, w / 2, h / 2, min(w, h) * .5, col if down else pal["text"], pal)


def tab(c, pal, state):
    w, h = c.w, c.h
    if state == "down":
        c.vgrad((0.5, 0.5, w - 0.5, h + 6), lighter(pal["panel2"], .15), pal["panel"], 6)
        c.rrect((0.5, 0.5, w - 0.5, h + 6), 6, outline=pal["edge"], width=1)
        c.rrect((6, h - 3.5, w - 6, h - 1), 1.2, fill=pal["accent"])
    else:
        c.vgrad((0.5, 3, w - 0.5, h + 6), pal["panel"], darker(pal["panel"], .25), 6)
        c.rrect((0.5, 3, w - 0.5, h + 6), 6, outline=darker(pal["edge"], .2), width=1)


def vbar(c, pal):
    w, h = c.w, c.h
    c.rrect((w / 2 - 3.5, 2, w / 2 + 3.5, h - 2), 3.5, fill=pal["sunken"], outline=darker(pal["edge"], .3), width=1)
    c.line([(w / 2, 8), (w / 2, h - 8)], darker(pal["accent"], .45), 1.2)


def vknob(c, pal):
    w, h = c.w, c.h
    c.vgrad((0.5, 0.5, w - 0.5, h - 0.5), (222, 226, 232), (128, 134, 144), 3)
    c.rrect((0.5, 0.5, w - 0.5, h - 0.5), 3, outline=(70, 74, 82), width=1)
    c.line([(4, h / 2), (w - 4, h / 2)], pal["accent2"], 2)


def hbar(c, pal, rainbow=False):
    w, h = c.w, c.h
    if rainbow:
        colors = [(240, 60, 60), (240, 200, 40), (60, 200, 90), (40, 180, 240), (120, 80, 240), (230, 60, 200)]
        c.hgrad((0.5, h / 2 - 3, w - 0.5, h / 2 + 3), colors, 3)
    else:
        c.hgrad((0.5, h / 2 - 3, w - 0.5, h / 2 + 3), [darker(pal["accent"], .6), pal["accent"]], 3)
    c.rrect((0.5, h / 2 - 3, w - 0.5, h / 2 + 3), 3, outline=darker(pal["edge"], .3), width=.8)


def hknob(c, pal, state):
    w, h = c.w, c.h
    top, bottom = ((255, 255, 255), pal["accent"]) if state == "down" else ((222, 226, 232), (128, 134, 144))
    c.vgrad((1, 0.5, w - 1, h - 0.5), top, bottom, 4)
    c.rrect((1, 0.5, w - 1, h - 0.5), 4, outline=(60, 64, 70), width=1)
    c.line([(w / 2, 5), (w / 2, h - 5)], (70, 74, 82), 1)


def check(c, pal, state):
    w, h = c.w, c.h
    c.ellipse((1, 1, w - 1, h - 1), fill=pal["sunken"], outline=pal["edge"], width=1.2)
    if state == "down":
        c.ellipse((5, 5, w - 5, h - 5), fill=pal["accent"])


def graduation(c, pal, small=False):
    w, h = c.w, c.h
    n = 9 if not small else 5
    top, bottom = 8, h - 8
    for i in range(n):
        y = top + (bottom - top) * i / (n - 1)
        major = i in (0, n // 2, n - 1)
        length = 8 if major else 4
        c.line([(w - length - 1, y), (w - 1, y)], pal["dim"] if major else darker(pal["dim"], .3), 1)
    if not small:
        for i, s in ((0, "+12"), (n // 2, "0"), (n - 1, "-12")):
            y = top + (bottom - top) * i / (n - 1)
            c.text((w - 11, y), s, 7, pal["dim"], bold=False, anchor="rm")


def separator(c, pal):
    w = c.w
    c.hgrad((0, 0, w, 1), [pal["panel"], pal["edge"], pal["edge"], pal["panel"]])
    c.hgrad((0, 1, w, 2), [pal["panel"], darker(pal["panel"], .4), pal["panel"]])


def pedestal(c, pal):
    c.hgrad((0, 0, c.w, c.h), [pal["panel"], pal["accent"], pal["panel"]], 2)


def mark(c, pal, x, y, s):
    """The product's mark: a rounded square of side s at (x, y) with a V."""
    c.rrect((x, y, x + s, y + s), s * .22, fill=pal["accent2"])
    pts = [(x + s * .18, y + s * .25), (x + s * .5, y + s * .8), (x + s * .82, y + s * .25)]
    c.line(pts, (255, 255, 255), s * .12)


def logo(c, pal):
    h = c.h
    s = h * .9
    mark(c, pal, 1, h / 2 - s / 2, s)
    c.text((s + 9, h / 2 + 1), "VELLO", h * .55, pal["text"], anchor="lm")
    c.text((s + 9 + h * 1.95, h / 2 + 1), "AUDIO", h * .32, pal["accent"], bold=False, anchor="lm")


def status(c, pal):
    c.rrect((0.5, 0.5, c.w - 0.5, c.h - 0.5), 5, fill=pal["sunken"], outline=pal["edge"])
    glyph(c, "usb", c.w / 2, c.h / 2, c.h * .62, pal["accent"], pal)


def device(c, pal, which, state):
    w, h = c.w, c.h
    lit = state == "down"
    color = (pal["good"] if which == "in" else pal["bad"]) if lit else darker(pal["dim"], .35)
    c.ellipse((1, 1, w - 1, h - 1), fill=pal["sunken"], outline=color if lit else pal["edge"], width=1.5)
    if lit:
        c.ellipse((4, 4, w - 4, h - 4), outline=mix(color, pal["sunken"], .6), width=2)
    glyph(c, "plug" if which == "in" else "unplug", w / 2, h / 2, h * .46, color, pal)


def left_panel(c, pal, icon):
    w, h = c.w, c.h
    c.vgrad((0.5, 0.5, w - 0.5, h - 0.5), pal["panel2"], pal["panel"], 8)
    c.rrect((0.5, 0.5, w - 0.5, h - 0.5), 8, outline=pal["edge"], width=1)
    for k in range(3):
        c.arc((w / 2 - 40 - k * 14, h / 2 - 40 - k * 14, w / 2 + 40 + k * 14, h / 2 + 40 + k * 14), 0, 360,
              mix(pal["panel"], pal["accent"], .12 - k * .03), 1)
    glyph(c, icon, w / 2, h / 2, 70, pal["accent"], pal)


def meter(c, pal):
    w, h = c.w, c.h
    n = int(w / 6)
    for i in range(n):
        t = i / max(1, n - 1)
        col = mix((60, 200, 90), (240, 210, 40), t / .7) if t < .7 else mix((240, 210, 40), (235, 60, 50), (t - .7) / .3)
        c.rrect((i * 6 + .5, 1, i * 6 + 4.5, h - 1), .8, fill=col)


def valuebox(c, pal):
    c.rrect((0.5, 0.5, c.w - 0.5, c.h - 0.5), 4, fill=pal["sunken"], outline=pal["edge"])


def micpic(c, pal):
    w, h = c.w, c.h
    c.rrect((0.5, 0.5, w - 0.5, h - 0.5), 10, fill=darker(pal["panel"], .15), outline=pal["edge"])
    cx = w / 2
    c.vgrad((cx - 30, 24, cx + 30, 128), (206, 210, 216), (110, 116, 126), 30)
    for y in range(40, 120, 8):
        c.line([(cx - 22, y), (cx + 22, y)], (90, 96, 104), 1)
    c.arc((cx - 48, 50, cx + 48, 150), 0, 180, pal["dim"], 4)
    c.line([(cx, 150), (cx, 196)], pal["dim"], 5)
    c.rrect((cx - 34, 196, cx + 34, 206), 4, fill=pal["dim"])
    for k in (1, 2):
        c.arc((cx - 50 - k * 14, 60 - k * 14, cx + 50 + k * 14, 110 + k * 14), 320, 40, pal["accent"], 2)
        c.arc((cx - 50 - k * 14, 60 - k * 14, cx + 50 + k * 14, 110 + k * 14), 140, 220, pal["accent"], 2)


def gainicon(c, pal):
    w, h = c.w, c.h
    c.poly([(4, h - 4), (w - 4, 4), (w - 4, h - 4)], fill=darker(pal["accent"], .25))


def room(c, pal, center, radius, speaker):
    """Top view of the listening room; center is the icons' top-left origin."""
    w, h = c.w, c.h
    c.rrect((0.5, 0.5, w - 0.5, h - 0.5), 10, fill=darker(pal["panel"], .2), outline=pal["edge"])
    cx, cy = center[0] + speaker / 2, center[1] + speaker / 2
    for k, t in ((1.0, .35), (.66, .18), (.33, .12)):
        r = radius * k
        c.ellipse((cx - r, cy - r, cx + r, cy + r), outline=mix(pal["panel"], pal["accent"], t), width=1.2)
    for a in range(0, 360, 45):
        x, y = cx + math.sin(math.radians(a)) * radius, cy - math.cos(math.radians(a)) * radius
        c.line([(cx, cy), (x, y)], mix(pal["panel"], pal["edge"], .5), .8)
    c.ellipse((cx - 15, cy - 11, cx + 15, cy + 11), fill=pal["panel2"], outline=pal["edge"])
    c.ellipse((cx - 11, cy - 15, cx + 11, cy + 13), fill=(214, 188, 160), outline=(120, 96, 76))
    c.poly([(cx - 4, cy - 14), (cx + 4, cy - 14), (cx, cy - 20)], fill=(214, 188, 160))


def speaker(c, pal, name):
    w, h = c.w, c.h
    fill = pal["accent2"] if name != "SUB" else darker(pal["accent2"], .35)
    c.ellipse((1, 1, w - 1, h - 1), fill=fill, outline=lighter(pal["accent"], .3), width=1.5)
    label = {"SUB": "SW"}.get(name, name)
    c.text((w / 2, h / 2 + .5), label, 11 if len(label) == 1 else 9.5, (255, 255, 255), anchor="mm")


def channel(c, pal, side):
    w, h = c.w, c.h
    c.rrect((0.5, 0.5, w - 0.5, h - 0.5), 6, fill=pal["sunken"], outline=pal["edge"])
    glyph(c, "monitor", 18, h / 2, h * .62, pal["accent"], pal)
    c.text((36, h / 2 + 1), side, 13, pal["text"], anchor="lm")


def link(c, pal, mode):
    w, h = c.w, c.h
    c.rrect((0.5, 0.5, w - 0.5, h - 0.5), 6, fill=pal["panel2"], outline=pal["edge"])
    y = h / 2
    if mode == "indep":
        c.ellipse((10, y - 4, 18, y + 4), fill=pal["dim"])
        c.ellipse((w - 18, y - 4, w - 10, y + 4), fill=pal["dim"])
    elif mode == "dep":
        c.rrect((8, y - 5, w / 2 + 4, y + 5), 5, outline=pal["accent"], width=2)
        c.rrect((w / 2 - 4, y - 5, w - 8, y + 5), 5, outline=pal["accent"], width=2)
    else:
        c.line([(10, y - 4), (w - 12, y - 4)], pal["accent"], 2)
        c.poly([(w - 8, y - 4), (w - 14, y - 8), (w - 14, y)], fill=pal["accent"])
        c.line([(12, y + 4), (w - 10, y + 4)], pal["accent"], 2)
        c.poly([(8, y + 4), (14, y), (14, y + 8)], fill=pal["accent"])


def connection(c, pal):
    w, h = c.w, c.h
    y = h / 2
    c.line([(2, y), (w - 2, y)], pal["edge"], 2)
    c.ellipse((w / 2 - 6, y - 6, w / 2 + 6, y + 6), fill=pal["accent2"], outline=pal["accent"])


def tile(c, pal, state, name):
    w, h = c.w, c.h
    if state == "down":
        c.vgrad((0.5, 0.5, w - 0.5, h - 0.5), lighter(pal["accent"], .1), pal["accent2"], 10)
        col = (255, 255, 255)
    else:
        c.vgrad((0.5, 0.5, w - 0.5, h - 0.5), pal["panel2"], darker(pal["panel2"], .25), 10)
        col = pal["text"]
    c.rrect((0.5, 0.5, w - 0.5, h - 0.5), 10, outline=pal["edge"] if state != "down" else lighter(pal["accent"], .35))
    glyph(c, name, w / 2, h / 2, h * .55, col, pal)


def effect_picture(c, pal, name):
    w, h = c.w, c.h
    sky = {"nothing": (58, 64, 74), "theater": (22, 18, 30), "bathroom": (150, 186, 200),
           "livingroom": (190, 160, 120), "stonegallery": (120, 116, 108)}[name]
    c.vgrad((0, 0, w, h), lighter(sky, .08), darker(sky, .35), 10)
    floor = h * .72
    if name == "theater":
        c.rrect((w * .15, 22, w * .85, floor - 40), 4, fill=lighter(pal["accent2"], .1))
        c.vgrad((w * .15 + 6, 28, w * .85 - 6, floor - 46), lighter(pal["accent"], .45), pal["accent2"])
        for row in range(3):
            y = floor - 22 + row * 22
            for i in range(9):
                x = w * .08 + i * w * .1 + (row % 2) * w * .03
                c.rrect((x, y, x + w * .07, y + 16), 5, fill=(110 - row * 20, 28, 36))
    elif name == "bathroom":
        for x in range(0, int(w), 24):
            c.line([(x, 0), (x, floor)], lighter(sky, .35), 1)
        for y in range(0, int(floor), 24):
            c.line([(0, y), (w, y)], lighter(sky, .35), 1)
        c.rrect((w * .2, floor - 40, w * .8, floor + 30), 26, fill=(240, 242, 244), outline=(170, 180, 186), width=2)
        c.line([(w * .72, floor - 40), (w * .72, floor - 80), (w * .64, floor - 80)], (190, 196, 200), 4)
    elif name == "livingroom":
        c.rrect((w * .62, 24, w * .86, floor - 50), 3, fill=(170, 206, 236), outline=(120, 90, 60), width=3)
        c.rrect((w * .12, floor - 56, w * .56, floor + 18), 12, fill=(112, 70, 54))
        c.rrect((w * .16, floor - 88, w * .52, floor - 40), 12, fill=(136, 88, 66))
        c.line([(w * .9, floor + 30), (w * .9, floor - 90)], (70, 60, 50), 3)
        c.poly([(w * .9 - 18, floor - 90), (w * .9 + 18, floor - 90), (w * .9 + 10, floor - 118),
                (w * .9 - 10, floor - 118)], fill=(250, 222, 150))
    elif name == "stonegallery":
        for i in range(4):
            x0 = w * .05 + i * w * .235
            c.rrect((x0, 30, x0 + w * .2, floor + 10), 4, fill=lighter(sky, .2))
            c.ellipse((x0 + w * .03, 50, x0 + w * .17, 50 + w * .14), fill=darker(sky, .5))
            c.rrect((x0 + w * .03, 50 + w * .07, x0 + w * .17, floor + 10), 0, fill=darker(sky, .5))
    else:
        c.rrect((w * .1, floor - 70, w * .1 + 44, floor - 6), 6, fill=(40, 44, 50), outline=pal["edge"])
        c.ellipse((w * .1 + 8, floor - 60, w * .1 + 36, floor - 32), fill=(20, 22, 26), outline=pal["dim"])
        c.ellipse((w * .82, floor - 62, w * .82 + 40, floor - 22), fill=(214, 188, 160))
    c.rrect((0, floor + 30, w, h), 0, fill=darker(sky, .45))
    cx, cy = w * .5, h * .45
    for k in range(3):
        r = 30 + k * 26
        c.arc((cx - r, cy - r, cx + r, cy + r), 320, 40, lighter(pal["accent"], .2), 3)
        c.arc((cx - r, cy - r, cx + r, cy + r), 140, 220, lighter(pal["accent"], .2), 3)
    c.rrect((0.5, 0.5, w - 0.5, h - 0.5), 10, outline=pal["edge"], width=2)


def draw_control(kind, base, scale, pal, extra):
    """One control picture, drawn over its background crop."""
    c = Canvas(base, scale)
    parts = kind.split(":")
    k = parts[0]
    if k == "button":
        button(c, pal, parts[2], parts[1])
    elif k == "tab":
        tab(c, pal, parts[1])
    elif k == "vbar":
        vbar(c, pal)
    elif k == "vknob":
        vknob(c, pal)
    elif k == "hbar":
        hbar(c, pal, rainbow=len(parts) > 1)
    elif k == "hknob":
        hknob(c, pal, parts[1])
    elif k == "check":
        check(c, pal, parts[1])
    elif k == "grad":
        graduation(c, pal, small=len(parts) > 1)
    elif k == "line":
        separator(c, pal)
    elif k == "pedestal":
        pedestal(c, pal)
    elif k == "logo":
        logo(c, pal)
    elif k == "status":
        status(c, pal)
    elif k == "device":
        device(c, pal, parts[1], parts[2])
    elif k == "left":
        left_panel(c, pal, parts[1])
    elif k == "meter":
        meter(c, pal)
    elif k == "valuebox":
        valuebox(c, pal)
    elif k == "micpic":
        micpic(c, pal)
    elif k == "gainicon":
        gainicon(c, pal)
    elif k == "room":
        room(c, pal, extra["center"], extra["radius"], extra["speaker"])
    elif k == "speaker":
        speaker(c, pal, parts[1])
    elif k == "channel":
        channel(c, pal, parts[1])
    elif k == "link":
        link(c, pal, parts[1])
    elif k == "connection":
        connection(c, pal)
    elif k == "tile":
        tile(c, pal, parts[2], parts[1])
    elif k == "effectpic":
        effect_picture(c, pal, parts[1])
    else:
        raise ValueError("unknown picture kind " + kind)
    return c.done()


# ----------------------------------------------------------- backgrounds
def window(size, scale, pal, layout):
    """The whole window: header, left column and the content frame."""
    img = Image.new("RGB", size, pal["bg"])
    c = Canvas(img, scale)
    W, H = layout.WIDTH, layout.HEIGHT
    c.vgrad((0, 0, W, H), lighter(pal["bg"], .04), darker(pal["bg"], .2))
    c.vgrad((0, 0, W, layout.HEADER_H), lighter(pal["header"], .06), pal["header"])
    c.line([(0, layout.HEADER_H - .5), (W, layout.HEADER_H - .5)], pal["edge"], 1)
    c.hgrad((0, layout.HEADER_H - 2, W, layout.HEADER_H), [pal["header"], pal["accent"], pal["header"]])
    c.vgrad((0, layout.HEADER_H, layout.LEFT_W, H), lighter(pal["panel"], .03), darker(pal["panel"], .15))
    c.line([(layout.LEFT_W - .5, layout.HEADER_H), (layout.LEFT_W - .5, H)], pal["edge"], 1)
    x, y, w, h = layout.CONTENT
    c.rrect((x - 2, y - 8, x + w + 2, y + h + 2), 8, fill=pal["panel"], outline=pal["edge"])
    c.line([(12, 344), (184, 344)], pal["edge"], 1)
    c.rrect((0.5, 0.5, W - 0.5, H - 0.5), 14, outline=lighter(pal["edge"], .1), width=1.5)
    return c.done()


def page_background(win, scale, pal, layout, page):
    """The window with one page's panels drawn into the content area."""
    c = Canvas(win, scale)
    x, y, w, h = layout.CONTENT
    c.vgrad((x, y, x + w, y + h), lighter(pal["panel"], .03), darker(pal["panel"], .12), 6)
    right = (layout.RIGHT_X - 8, y + 14, x + w - 10, y + h - 14)
    if page in ("eq", "3d", "mic", "virtual"):
        c.rrect(right, 8, fill=darker(pal["panel"], .12), outline=darker(pal["edge"], .15))
    if page == "eq":
        c.rrect((222, 118, 612, 410), 8, fill=pal["sunken"], outline=darker(pal["edge"], .2))
        for i in range(9):
            yy = layout.EQ_TRACK[0] + 8 + layout.EQ_TRACK[1] * i / 8
            c.line([(276, yy), (598, yy)], mix(pal["sunken"], pal["edge"], .35 if i != 4 else .8), .8)
    elif page == "3d":
        c.rrect((222, 98, 590, 326), 8, fill=pal["sunken"], outline=darker(pal["edge"], .2))
    elif page == "mic":
        c.rrect((410, 112, 612, 410), 8, fill=pal["sunken"], outline=darker(pal["edge"], .2))
        mx, my, mw, mh = 236, 446, layout.MIC_PROGRESS_LENGTH, 14
        c.rrect((mx - 4, my - 4, mx + mw + 4, my + mh + 4), 5, fill=pal["sunken"], outline=pal["edge"])
    elif page == "effect":
        c.rrect((216, 110, 406, 354), 8, fill=darker(pal["panel"], .12), outline=darker(pal["edge"], .15))
    return c.done()


# ------------------------------------------------------------- others
def setup_background(size, pal):
    w, h = size
    img = Image.new("RGB", size)
    c = Canvas(Image.new("RGB", (w // 2, h // 2)), 1.0)
    W, H = c.w, c.h
    c.vgrad((0, 0, W, H), lighter(pal["bg"], .12), darker(pal["bg"], .4))
    for k in range(7):
        pts = [(x, H * (.62 + .04 * k) + math.sin(x / W * 6.28 * (1.2 + k * .15) + k) * H * .06) for x in range(0, int(W) + 8, 8)]
        c.line(pts, mix(pal["bg"], pal["accent"], .35 - k * .04), 2)
    sub = Canvas(Image.new("RGB", (int(W * .5), int(H * .12)), pal["bg"]), 1.0)
    img = c.done().resize(size, Image.BILINEAR)
    lw, lh = int(w * .32), int(h * .09)
    badge = Canvas(img.crop((int(w * .08), int(h * .12), int(w * .08) + lw, int(h * .12) + lh)), 1.0)
    logo(badge, pal)
    img.paste(badge.done(), (int(w * .08), int(h * .12)))
    del sub
    return img


def icon_image(size, pal, uninstall=False):
    img = Image.new("RGBA", (size * SS, size * SS), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    s = size * SS
    d.rounded_rectangle((s * .06, s * .06, s * .94, s * .94), radius=s * .2, fill=pal["accent2"] + (255,),
                        outline=lighter(pal["accent"], .2) + (255,), width=max(1, int(s * .04)))
    d.line([(s * .26, s * .3), (s * .5, s * .72), (s * .74, s * .3)], fill=(255, 255, 255, 255), width=int(s * .12),
           joint="curve")
    if uninstall:
        d.ellipse((s * .52, s * .52, s * .98, s * .98), fill=(220, 60, 50, 255), outline=(255, 255, 255, 255),
                  width=max(1, int(s * .03)))
        d.line([(s * .63, s * .75), (s * .87, s * .75)], fill=(255, 255, 255, 255), width=int(s * .07))
    return img.resize((size, size), Image.LANCZOS)


def bee_image(size=48):
    s = size * SS
    img = Image.new("RGB", (s, s), (255, 255, 255))
    d = ImageDraw.Draw(img)
    d.ellipse((s * .3, s * .05, s * .62, s * .42), fill=(214, 232, 246), outline=(120, 150, 170), width=SS)
    d.ellipse((s * .52, s * .08, s * .86, s * .40), fill=(214, 232, 246), outline=(120, 150, 170), width=SS)
    body = Image.new("L", (s, s), 0)
    ImageDraw.Draw(body).ellipse((s * .12, s * .32, s * .82, s * .82), fill=255)
    stripes = Image.new("RGB", (s, s), (250, 200, 30))
    sd = ImageDraw.Draw(stripes)
    for k in range(3):
        x = s * (.3 + k * .17)
        sd.rectangle((x, 0, x + s * .08, s), fill=(30, 26, 20))
    img.paste(stripes, (0, 0), body)
    d.ellipse((s * .74, s * .44, s * .96, s * .66), fill=(30, 26, 20))
    d.polygon([(s * .12, s * .57), (s * .02, s * .54), (s * .02, s * .6)], fill=(30, 26, 20))
    return img.resize((size, size), Image.LANCZOS)

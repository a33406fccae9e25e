#!/usr/bin/env python3
"""Assembles the sample maker kit (the files VelloSetup ships beside itself).

    make_kit.py OUT_FOLDER [--variants FOLDER] [--design FOLDER]

OUT_FOLDER receives AudioConfig.cfg, DefaultProfile.ini, the icons, bee.wav,
SetupBackground.png and the folders Skin, Language, Manual and Plugin; files
of the folder that are not the kit's (programs put there before) stay.
--variants writes deliberately broken AudioConfig.cfg copies for tests.
--design writes the pictures that the programs' own forms carry (the bee).
The output depends only on this folder's files: two runs give the same bytes.
"""
import argparse
import math
import shutil
import struct
import subprocess
import sys
import wave
from pathlib import Path

HERE = Path(__file__).resolve().parent
KIT = HERE.parent
sys.path.insert(0, str(HERE))

import kit_art as art  # noqa: E402
import kit_layout as L  # noqa: E402
import kit_text as T  # noqa: E402

SKIN_NAMES = ["Graphite", "Amber"]
KIT_ITEMS = ["Skin", "Language", "Manual", "Plugin", "AudioConfig.cfg", "DefaultProfile.ini", "bee.wav",
             "Vello.ico", "VelloUninstall.ico", "SetupBackground.png"]
CRLF = "\r\n"
# The 3D page's link-mode pictures (alpha and beta: independent, dependent, inverse).
LINK_PICTURES = ["D3%s%sImage.png" % (kind, mode) for kind in ("Alpha", "Beta") for mode in ("Indep", "Dep", "Inv")]


def sc(v, s):
    return int(round(v * s))


def rect_scaled(rect, s):
    return tuple(sc(v, s) for v in rect)


def write_ini(path, sections, encoding="ascii"):
    """sections: list of (name, [(key, value), ...]); CRLF lines."""
    lines = []
    for name, pairs in sections:
        lines.append("[%s]" % name)
        lines += ["%s=%s" % (k, v) for k, v in pairs]
        lines.append("")
    text = CRLF.join(lines)
    path.parent.mkdir(parents=True, exist_ok=True)
    if encoding == "utf-16-le":
        path.write_bytes(b"\xff\xfe" + text.encode("utf-16-le"))
    else:
        path.write_bytes(text.encode(encoding))


# ---------------------------------------------------------------- settings
def device_entries():
    ids = {}
    for line in (KIT / "device-ids.txt").read_text().splitlines():
        if line.strip() and not line.startswith("#"):
            section, pattern = line.split(None, 1)
            ids.setdefault(section, []).append(pattern)
    entries = {}
    for section, patterns in ids.items():
        out = subprocess.run(["bash", str(HERE / "make-device-entry.sh")] + patterns, check=True,
                             capture_output=True, text=True).stdout.splitlines()
        entries[section] = ["%d=%s" % (i + 1, e) for i, e in enumerate(out)]
    return entries


def write_audio_config(out):
    text = (KIT / "AudioConfig.cfg.in").read_text()
    for section, lines in device_entries().items():
        text = text.replace("@%s@" % section, "\n".join(lines))
    (out / "AudioConfig.cfg").write_bytes(text.replace("\n", CRLF).encode("ascii"))


def write_default_profile(out):
    places = {name: L.speaker_place(a, d) for name, a, d in L.SPEAKERS}
    presets = [[0x560, 0x480, 0x400, 0x470, 0x540], [0x600, 0x440, 0x3C0, 0x480, 0x4C0],
               [0x4C0, 0x400, 0x440, 0x520, 0x500], [0x300, 0x400, 0x500, 0x4C0, 0x380]]
    eq = [("S%d" % (i + 1), ",".join("0x%X" % g for g in p) + ",1") for i, p in enumerate(presets)]
    eq += [("EQEN", "1"), ("EQFromEEPROM", "0")]
    d3 = [("LeftAlpha", "8"), ("LeftBeta", "6"), ("RightAlpha", "8"), ("RightBeta", "6"), ("FBM", "1"),
          ("3DEN", "0"), ("3DFromEEPROM", "0")]
    v71 = [(n, "%d,%d" % places[n]) for n in ["C", "L", "LS", "LB", "RB", "RS", "SUB", "R"]] + [("7ch1EN", "0")]
    knob = L.LED_BAR[0] + (L.LED_BAR[1] - L.LED_KNOB[0]) // 2
    colours = [0x0000FF, 0x00FFFF, 0x008000, 0xFF0000, 0xFF00FF, 0x800080, 0x00FF00]
    led = [("LEDON", "1"), ("LEDOff", "0"), ("LEDSingleColor", "0"), ("LEDEffectMode", "2"),
           ("LEDBreatheSpeed", "128"), ("LEDRainbowSpeed", "128"), ("LEDMultiBreatheSpeed", "128"),
           ("LEDBreatheSliderPos", str(knob)), ("LEDRainbowSliderPos", str(knob)),
           ("LEDMultiBreatheSliderPos", str(knob)), ("LEDSingleColorRGB", str(0x0000FF)),
           ("LEDBreatheColorRGB", str(0xFFB000))]
    led += [("LEDColor%dRGB" % (i + 1), str(c)) for i, c in enumerate(colours)]
    sections = [("EQ", eq), ("3D", d3), ("Effect", [("CurrentEffect", "1")]), ("Virtual7ch1", v71), ("LED", led),
                ("ENC", [("ENCEN", "1"), ("ENCValue", "10")]), ("Timbrex", [("TimbrexEN", "0"), ("TimbrexMode", "0")])]
    write_ini(out / "DefaultProfile.ini", sections)


# ---------------------------------------------------------------- languages
def quote_field(text):
    if "," in text or text.startswith('"'):
        return '"' + text.replace('"', '""') + '"'
    return text


def panel_entry(key, caption, size, colour, rects, s, font):
    fields = [quote_field(caption)]
    if key in T.CAPTION_ONLY:
        return fields[0]
    fields += [str(colour) if colour is not None else "", "", font, str(max(6, sc(size or T.FONT_SIZE, s)))]
    rect = rects.get(key)
    if rect:
        fields += [str(v) for v in rect_scaled(rect, s)]
    while fields and fields[-1] == "":
        fields.pop()
    value = ",".join(fields)
    # a value made of one quoted field would lose its quotes to the profile reader
    return value if not value.startswith('"') or len(fields) > 1 else value + ","


def label_entry(text, style):
    if not style:
        return text
    fields = [text] + ["" if v is None else str(v) for v in style]
    return ",".join(fields)


def language_sections(lang_index, s, font):
    rects = L.label_rects()
    sections = [("GlobalFont", [("ColorUp", str(T.COLOR_UP)), ("ColorDown", str(T.COLOR_DOWN)),
                                ("Font", font), ("FontSize", str(max(6, sc(T.FONT_SIZE, s))))])]
    by_section = {}
    order = []
    for section, key, en, ru, size, colour in T.PANEL:
        caption = (en, ru)[lang_index]
        if section not in by_section:
            by_section[section] = []
            order.append(section)
        by_section[section].append((key, panel_entry(key, caption, size, colour, rects, s, font)))
    sections += [(name, by_section[name]) for name in order]
    sections.append(("Setup", [(k, label_entry((en, ru)[lang_index], st)) for k, en, ru, st in T.SETUP]))
    sections.append(("Uninstall", [(k, label_entry((en, ru)[lang_index], st)) for k, en, ru, st in T.UNINSTALL]))
    return sections


def write_languages(out):
    for res, s in L.RESOLUTIONS:
        for i, (folder, _, encoding, font) in enumerate(T.LANGUAGES):
            path = out / "Language" / res / folder / "Language.ini"
            write_ini(path, language_sections(i, s, font), encoding)


# ---------------------------------------------------------------- skins
def skin_value(file, rect, page, s):
    fields = [file]
    if rect:
        fields += [str(v) for v in rect_scaled(rect, s)]
    if page is not None:
        fields.append(str(page))
    return ",".join(fields)


def picture_file(key, section):
    return ("AboutLogo" if section == "About" else key) + ".png"


def skin_ini_sections(s, root, pal):
    sections = {}
    order = []

    def add(section, key, value):
        if section not in sections:
            sections[section] = []
            order.append(section)
        sections[section].append((key, value))

    for section, rows in L.skin_sections():
        target = "Main" if section == "MainTabs" else section
        if section == "LED":
            add("LED", "LEDPageMode", str(pal["led_page_mode"])) if root else None
            add("LED", "LEDFastRightSide", "1") if root else None
        for key, kind, rect, page in rows:
            value = skin_value(picture_file(key, section), (0, 0) if key == "MainFormImage" else rect, page, s)
            if key == "MainFormImage":
                value = picture_file(key, section) + ",0,0"
            if section in L.EMPTY_SECTIONS:
                value = ""
            add(target, key, value)
        if section == "EQ":
            add("EQ", "EQSlider", "%d,%d" % (sc(L.EQ_TRACK[0], s), sc(L.EQ_TRACK[1], s)))
        elif section == "Effect":
            add("Effect", "EffectPanel", "0")
            for key, same_as in L.RESERVED_EFFECT_KEYS:
                add("Effect", key, same_as + ".png")
        elif section == "Mic":
            add("Mic", "MicPanel", "0")
            add("Mic", "MicSlider", "%d,%d" % (sc(L.MIC_TRACK[0], s), sc(L.MIC_TRACK[1], s)))
            add("Mic", "MicProgressLength", str(sc(L.MIC_PROGRESS_LENGTH, s)))
        elif section == "Virtual7ch1":
            cx, cy, r = L.VIRTUAL_CENTER
            add("Virtual7ch1", "VirtualPanel", "0")
            add("Virtual7ch1", "VirtualCenter", "%d,%d,%d" % (sc(cx, s), sc(cy, s), sc(r, s)))
        elif section == "MainTabs":
            add("Main", "BevelLine", "0")
            add("Main", "BevelLine2", "0")
            add("Main", "BevelLine3", "0")
        elif section == "LED" and root:
            for key, x, y, w, h, shape in L.led_shapes():
                add("LED", key, "%d,%d,%d,%d,%d" % (sc(x, s), sc(y, s), sc(w, s), sc(h, s), shape))
        elif section == "ENC":
            add("ENC", "ENCSlider", "%d,%d" % (sc(L.ENC_TRACK[0], s), sc(L.ENC_TRACK[1], s)))
    return [(name, sections[name]) for name in order]


PAGE_OF_SECTION = {"EQ": "eq", "3D": "3d", "Effect": "effect", "Mic": "mic", "Virtual7ch1": "virtual"}


def draw_skin_pictures(folder, s, pal):
    size = (sc(L.WIDTH, s), sc(L.HEIGHT, s))
    win = art.window(size, s, pal, L)
    bases = {name: art.page_background(win, s, pal, L, name) for name in PAGE_OF_SECTION.values()}
    folder.mkdir(parents=True, exist_ok=True)
    win.save(folder / "MainFormImage.png")
    cx, cy, r = L.VIRTUAL_CENTER
    extra = {"center": (cx - L.ROOM[0], cy - L.ROOM[1]), "radius": r, "speaker": L.SPEAKER}
    for section, rows in L.skin_sections():
        base_img = bases.get(PAGE_OF_SECTION.get(section), win)
        for key, kind, rect, page in rows:
            if kind == "window":
                continue
            name = picture_file(key, section)
            if kind.startswith("pageback"):
                img = base_img.crop(box(rect, s))
            elif kind == "aboutlogo":
                img = about_logo(pal)
            else:
                img = art.draw_control(kind, base_img.crop(box(rect, s)), s, pal, extra)
            img.save(folder / name)


def box(rect, s):
    x, y, w, h = rect_scaled(rect, s)
    return (x, y, x + w, y + h)


# The About box is not scaled with the screen: its logo fits the box's
# 57 x 49 picture place at every resolution.
ABOUT_LOGO_SIZE = (57, 49)


def about_logo(pal):
    c = art.Canvas(art.Image.new("RGB", ABOUT_LOGO_SIZE, (240, 240, 240)), 1)
    side = 45
    art.mark(c, pal, (ABOUT_LOGO_SIZE[0] - side) / 2, (ABOUT_LOGO_SIZE[1] - side) / 2, side)
    return c.done()


def region_bytes(width, height, radius):
    """RGNDATA of a rounded rectangle: 32-byte header and banded rectangles."""
    def inset(y):
        if y < radius:
            dy = radius - y - 0.5
        elif y >= height - radius:
            dy = y - (height - radius) + 0.5
        else:
            return 0
        return int(round(radius - math.sqrt(max(0.0, radius * radius - dy * dy))))

    rects = []
    y = 0
    while y < height:
        i = inset(y)
        y1 = y + 1
        while y1 < height and inset(y1) == i:
            y1 += 1
        rects.append((i, y, width - i, y1))
        y = y1
    header = struct.pack("<IIII4i", 32, 1, len(rects), len(rects) * 16, 0, 0, width, height)
    return header + b"".join(struct.pack("<4i", *r) for r in rects)


def write_skins(out):
    drawn = {}
    for skin in SKIN_NAMES:
        pal = art.SKINS[skin]
        for res, s in L.RESOLUTIONS:
            folder = out / "Skin" / res / skin
            if (skin, s) in drawn:
                shutil.copytree(drawn[(skin, s)], folder, dirs_exist_ok=True)
                for f in folder.glob("*.ini"):
                    f.unlink()
            else:
                draw_skin_pictures(folder, s, pal)
                drawn[(skin, s)] = folder
            write_ini(folder / "SkinSetting.ini", skin_ini_sections(s, res == "", pal))
            (folder / "MainForm_Frame.rgn").write_bytes(
                region_bytes(sc(L.WIDTH, s), sc(L.HEIGHT, s), sc(14, s)))
    # the 3D link pictures, which the panel takes from the skin's root folder, under 3D
    # (for a skin whose [3D] entries name them)
    for skin in SKIN_NAMES:
        root = out / "Skin" / skin
        (root / "3D").mkdir(exist_ok=True)
        for name in LINK_PICTURES:
            shutil.copyfile(root / name, root / "3D" / name)
    # the installer's background picture, per resolution class (taken from the first skin's palette)
    sizes = {"": (960, 540), "960x540": (1366, 768), "1366x768": (1920, 1080), "1920x1080": (2560, 1440)}
    for res, _ in L.RESOLUTIONS:
        art.setup_background(sizes[res], art.SKINS[SKIN_NAMES[0]]).save(out / "Skin" / res / "SetupBackground.png")


# ---------------------------------------------------------------- the rest
def ico_bytes(images):
    """An icon file of 32-bit BMP entries (with their AND masks)."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for img in images:
        n = img.width
        pixels = bytearray()
        for y in range(n - 1, -1, -1):
            for x in range(n):
                r, g, b, a = img.getpixel((x, y))
                pixels += bytes((b, g, r, a))
        row = ((n + 31) // 32) * 4
        mask = bytearray()
        for y in range(n - 1, -1, -1):
            bits = bytearray(row)
            for x in range(n):
                if img.getpixel((x, y))[3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        blob = struct.pack("<IiiHHIIiiII", 40, n, n * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
        blob += bytes(pixels) + bytes(mask)
        entries.append(struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


def write_icons(out):
    pal = art.SKINS[SKIN_NAMES[0]]
    (out / "Vello.ico").write_bytes(ico_bytes([art.icon_image(n, pal) for n in (16, 32, 48)]))
    (out / "VelloUninstall.ico").write_bytes(ico_bytes([art.icon_image(n, pal, True) for n in (16, 32, 48)]))


def write_bee_sound(out):
    rate, seconds = 22050, 2.0
    frames = bytearray()
    phase = 0.0
    n = int(rate * seconds)
    for i in range(n):
        t = i / rate
        freq = 190 + 18 * math.sin(2 * math.pi * 7 * t) + 25 * math.sin(2 * math.pi * 0.5 * t)
        phase += freq / rate
        saw = 2 * (phase % 1.0) - 1
        env = min(1.0, t / 0.08, (seconds - t) / 0.08) * (0.7 + 0.3 * math.sin(2 * math.pi * 3 * t))
        sample = int(max(-1.0, min(1.0, 0.45 * env * (saw + 0.3 * math.sin(4 * math.pi * phase)))) * 32767)
        frames += struct.pack("<h", sample)
    with wave.open(str(out / "bee.wav"), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(bytes(frames))


def write_manuals(out):
    for folder, _, _, _ in T.LANGUAGES:
        title = T.MANUAL_TITLE[folder]
        body = "\n".join("<p>%s</p>" % line for line in T.MANUAL_BODY[folder])
        html = ("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%s</title></head>\n"
                "<body style=\"font-family: sans-serif; max-width: 40em\">\n<h1>%s</h1>\n%s\n</body></html>\n"
                % (title, title, body))
        path = out / "Manual" / folder / "VelloAudioManual.html"
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(html.encode("utf-8"))


def write_plugin_folders(out):
    text = (KIT / "AudioConfig.cfg.in").read_text()
    names = [line.split("=", 1)[1] for line in text.splitlines()
             if line.startswith(("EffectAPPFileName=", "SoundEffectAPPFileName="))]
    for name in names:
        (out / "Plugin" / name).mkdir(parents=True, exist_ok=True)


def clean(out):
    for item in KIT_ITEMS:
        p = out / item
        if p.is_dir():
            shutil.rmtree(p)
        elif p.exists():
            p.unlink()


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("out")
    ap.add_argument("--variants")
    ap.add_argument("--design")
    args = ap.parse_args()
    out = Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    clean(out)
    write_audio_config(out)
    write_default_profile(out)
    write_languages(out)
    write_skins(out)
    write_icons(out)
    write_bee_sound(out)
    write_manuals(out)
    write_plugin_folders(out)
    if args.variants:
        import make_variants
        make_variants.write(out / "AudioConfig.cfg", Path(args.variants))
    if args.design:
        design = Path(args.design)
        design.mkdir(parents=True, exist_ok=True)
        art.bee_image().save(design / "Bee.bmp")
        about_logo(art.SKINS["Graphite"]).save(design / "AboutLogo.bmp")


if __name__ == "__main__":
    main()

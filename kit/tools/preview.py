#!/usr/bin/env python3
"""Composes what one page of the panel looks like with a skin and a language
of an assembled kit: the pictures at their SkinSetting.ini places, in their
default states, and the captions at their Language.ini places.

    preview.py KIT_FOLDER OUT.png [--skin Graphite] [--res 1366x768] [--lang English]
               [--pages 1,2,3,4,6,7,8]

With several pages the pictures are put side by side, two per row.
"""
import argparse
import configparser
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
SECTION_PAGE = {"Main": 0, "EQ": 1, "3D": 5, "Effect": 2, "Mic": 3, "Virtual7ch1": 4, "LED": 6, "ENC": 7,
                "Timbrex": 8}
# Pictures that the panel shows in their other state by default, or not at all.
SKIP = ("Down", "Disable", "Reserved")
SHOWN_DOWN = {"EQS1ImageDown", "EffectButtonNonImageDown", "TbxEffectNoneDownImage", "DeviceUnActiveDownImage",
              "LedImageDown", "ColorRainbowCheckDownImage", "ColorRainbowSliderDownImage"}
HIDDEN_UP = {"EQS1ImageUp", "EffectButtonNonImageUp", "TbxEffectNoneUpImage", "DeviceUnActiveUpImage",
             "LedImageUp", "ColorRainbowCheckUpImage", "ColorRainbowSliderUpImage", "DeviceActiveDownImage"}
TAB_OF_PAGE = {1: "PageEQ", 2: "PageEffect", 3: "PageMic", 4: "PageVirtual7p1", 6: "PageLED", 7: "PageENC",
               8: "PageTbxEffect"}
LEFT_OF_PAGE = {1: "MainLeftImage1", 2: "MainLeftImage2", 3: "MainLeftImage3", 4: "MainLeftImage4"}


def read_ini(path):
    raw = path.read_bytes()
    text = raw[2:].decode("utf-16-le") if raw.startswith(b"\xff\xfe") else raw.decode("ascii")
    ini = configparser.RawConfigParser(strict=False, interpolation=None)
    ini.optionxform = str
    ini.read_string(text)
    return ini


def split_fields(value):
    fields, cur, quoted, i = [], "", False, 0
    if value.startswith('"'):
        end = 1
        while True:
            end = value.index('"', end)
            if value[end:end + 2] == '""':
                end += 2
                continue
            break
        fields.append(value[1:end].replace('""', '"'))
        value = value[end + 1:]
        value = value[1:] if value.startswith(",") else value
        rest = value.split(",") if value else []
        return fields + rest
    return value.split(",")


def shown(key, section, page):
    if key in SHOWN_DOWN:
        return True
    if key in HIDDEN_UP or key.startswith(("Effect" + "Non", "EffectTheater", "EffectBathroom", "EffectLiving",
                                           "EffectStone")) or key.startswith("VirtualDisable"):
        return False
    if "Down" in key or key.startswith("EffectPic") and key != "EffectPicNonImage":
        return False
    if key.startswith("D3Alpha") or key.startswith("D3Beta"):
        return key.endswith("IndepImage")
    if key.startswith("MainLeftImage"):
        return key == LEFT_OF_PAGE.get(page)
    return True


def compose(kit, skin, res, lang, page):
    folder = kit / "Skin" / res / skin
    ini = read_ini(folder / "SkinSetting.ini")
    root = read_ini(kit / "Skin" / skin / "SkinSetting.ini")
    canvas = Image.open(folder / "MainFormImage.png").convert("RGB")
    layers = []
    for section in ini.sections():
        sec_page = SECTION_PAGE.get(section)
        if sec_page is None:
            continue
        for key, value in ini.items(section):
            fields = split_fields(value)
            if len(fields) < 5 or not fields[0].lower().endswith(".png") or key == "MainFormImage":
                continue
            p = int(fields[5]) if len(fields) > 5 and fields[5] else sec_page
            if key.startswith("Page") and key.endswith(("UpImage", "DownImage")):
                tab = key[:-len("UpImage")] if key.endswith("UpImage") else key[:-len("DownImage")]
                if key.endswith("DownImage") != (TAB_OF_PAGE.get(page) == tab):
                    continue
            elif section == "LED" and page == 6:
                if not shown(key, section, page):
                    continue
            elif p not in (0, page) or not shown(key, section, page):
                continue
            if key.startswith("Back_"):
                layers.insert(0, fields)
            else:
                layers.append(fields)
    for fields in layers:
        img = Image.open(folder / fields[0]).convert("RGB")
        x, y, w, h = (int(v) for v in fields[1:5])
        if key_is_meter(fields[0]):
            img = img.crop((0, 0, img.width * 2 // 3, img.height))
        canvas.paste(img, (x, y))
    draw = ImageDraw.Draw(canvas)
    if page == 6 and root.has_section("LED"):
        colours = [(255, 0, 0), (255, 255, 0), (0, 128, 0), (0, 0, 255), (255, 0, 255), (128, 0, 128), (0, 255, 0)]
        for i, key in enumerate(["Color%02dShape" % n for n in range(1, 8)] + ["ColorSingleShape",
                                                                              "ColorBreatheShape"]):
            x, y, w, h, _ = (int(v) for v in root.get("LED", key).split(","))
            c = colours[i] if i < 7 else (255, 0, 0)
            draw.rounded_rectangle((x, y, x + w - 1, y + h - 1), radius=max(2, w // 6), fill=c, outline=(0, 0, 0))
    lang_ini = read_ini(kit / "Language" / res / lang / "Language.ini")
    up = int(lang_ini.get("GlobalFont", "ColorUp"))
    down = int(lang_ini.get("GlobalFont", "ColorDown"))
    size = int(lang_ini.get("GlobalFont", "FontSize"))
    for section in lang_ini.sections():
        sec_page = SECTION_PAGE.get(section)
        if sec_page is None or section == "About":
            continue
        for key, value in lang_ini.items(section):
            fields = split_fields(value)
            if len(fields) < 9 or fields[0] in ("", "(null)"):
                continue
            if sec_page not in (0, page) and not (section == "LED" and page == 6):
                continue
            if key in ("LabelUnDriver", "LabelActive"):
                continue
            colour = int(fields[1]) if fields[1] else up
            selected = (key == TAB_LABEL.get(page) or key in ("LabelEQS1", "LabelEffectNothing",
                                                              "TbxEffectNoneLabel", "ColorRainbowLabel"))
            if selected and not fields[1]:
                colour = down
            pt = int(fields[4]) if fields[4] else size
            x, y = int(fields[5]), int(fields[6])
            rgb = (colour & 255, (colour >> 8) & 255, (colour >> 16) & 255)
            draw.text((x, y), fields[0], font=ImageFont.truetype(FONT, int(pt * 96 / 72)), fill=rgb)
    return canvas


TAB_LABEL = {1: "LabelPageEQ", 2: "LabelPageEffect", 3: "LabelPageMic", 4: "LabelPageVirtual7ch1",
             6: "LabelPageLED", 7: "LabelPageENC", 8: "LabelPageTbxEffect"}


def key_is_meter(name):
    return name.startswith("MicProgressImage")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("kit")
    ap.add_argument("out")
    ap.add_argument("--skin", default="Graphite")
    ap.add_argument("--res", default="1366x768")
    ap.add_argument("--lang", default="English")
    ap.add_argument("--pages", default="1")
    a = ap.parse_args()
    pages = [int(p) for p in a.pages.split(",")]
    shots = [compose(Path(a.kit), a.skin, a.res, a.lang, p) for p in pages]
    if len(shots) == 1:
        shots[0].save(a.out)
        return
    w, h = shots[0].size
    cols = 2
    rows = (len(shots) + cols - 1) // cols
    sheet = Image.new("RGB", (cols * w + (cols + 1) * 10, rows * h + (rows + 1) * 10), (90, 90, 90))
    for i, s in enumerate(shots):
        sheet.paste(s, (10 + (i % cols) * (w + 10), 10 + (i // cols) * (h + 10)))
    sheet.save(a.out)


if __name__ == "__main__":
    main()

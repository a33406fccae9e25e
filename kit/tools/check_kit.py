#!/usr/bin/env python3
"""Checks an assembled kit for consistency; prints one line per fault.

    check_kit.py KIT_FOLDER [--variants FOLDER]

- every picture that a SkinSetting.ini names exists, with the size its entry gives;
- the entries of the sections the skins leave empty (the 3D page) are empty, their pictures drawn;
- every skin file has all image and geometry keys, the skin root its lighting keys;
- every Language.ini has all caption keys, [Setup] and [Uninstall], in its encoding,
  and every number in them is a strict integer;
- AudioConfig.cfg: strict-integer keys parse, the panel's values fit their buffers,
  the files and folders it names exist, every device-ID entry decrypts to its ID;
- every MainForm_Frame.rgn has a valid header matching its background picture;
- with --variants: the checks above reject every broken settings copy.
Exit status 0 when nothing is wrong.
"""
import argparse
import base64
import re
import subprocess
import sys
from pathlib import Path

from PIL import Image

sys.path.insert(0, str(Path(__file__).resolve().parent))
import kit_layout as L  # noqa: E402
import kit_text as T  # noqa: E402
from make_kit import SKIN_NAMES, picture_file  # noqa: E402

DES_KEY = "50656c7661726e6f"
STRICT = re.compile(r"^\s*[+-]?(\d+|(\$|0?[xX])[0-9A-Fa-f]+)$")


def read_ini(path):
    """Sections as {name: [(key, value), ...]}, first section of a name wins."""
    raw = path.read_bytes()
    if raw.startswith(b"\xff\xfe"):
        text = raw[2:].decode("utf-16-le")
    else:
        text = raw.decode("ascii")
    sections, current = {}, None
    for line in text.split("\r\n"):
        line = line.strip()
        if not line or line.startswith(";"):
            continue
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1], []) if line[1:-1] not in sections else None
        elif current is not None and "=" in line:
            k, v = line.split("=", 1)
            current.append((k, v))
    return sections


def value(ini, section, key):
    for k, v in ini.get(section, []):
        if k == key:
            return v
    return None


def split_entry(v):
    """The panel's comma split: a field that begins with a quote runs to its closing quote."""
    fields, i = [], 0
    while i <= len(v):
        if i < len(v) and v[i] == '"':
            j, text = i + 1, ""
            while j < len(v):
                if v[j] == '"' and v[j + 1:j + 2] == '"':
                    text, j = text + '"', j + 2
                elif v[j] == '"':
                    break
                else:
                    text, j = text + v[j], j + 1
            fields.append(text)
            i = j + 2
        else:
            j = v.find(",", i)
            j = len(v) if j < 0 else j
            fields.append(v[i:j])
            i = j + 1
    return fields if v else []


def skin_image_keys():
    keys = {}
    for section, rows in L.skin_sections():
        target = "Main" if section == "MainTabs" else section
        keys.setdefault(target, []).extend(k for k, _, _, _ in rows)
    keys["Effect"] += [k for k, _ in L.RESERVED_EFFECT_KEYS]
    return keys


GEOMETRY = {"EQ": ["EQSlider"], "Mic": ["MicSlider", "MicProgressLength"], "ENC": ["ENCSlider"],
            "Virtual7ch1": ["VirtualCenter"], "Main": ["BevelLine", "BevelLine2", "BevelLine3"]}
LED_ROOT = ["LEDPageMode", "LEDFastRightSide"] + ["Color%02dShape" % n for n in range(1, 8)] + \
           ["ColorSingleShape", "ColorBreatheShape"]


def check_skins(kit, faults):
    images = skin_image_keys()
    for skin in SKIN_NAMES:
        for res, _ in L.RESOLUTIONS:
            folder = kit / "Skin" / res / skin
            where = "Skin/%s%s" % (res + "/" if res else "", skin)
            ini = read_ini(folder / "SkinSetting.ini")
            for section, keys in images.items():
                for key in keys:
                    v = value(ini, section, key)
                    if v is None:
                        faults.append("%s: [%s] %s missing" % (where, section, key))
                        continue
                    if section in L.EMPTY_SECTIONS:
                        # the page has no tab: a picture named here shows through on other pages
                        if v:
                            faults.append("%s: [%s] %s names a picture: %s" % (where, section, key, v))
                        elif not (folder / picture_file(key, section)).is_file():
                            faults.append("%s: [%s] %s has no picture %s" % (where, section, key,
                                                                             picture_file(key, section)))
                        continue
                    f = v.split(",")
                    path = folder / f[0]
                    if len(f[0]) > 63 or not path.is_file():
                        faults.append("%s: [%s] %s names a missing file %s" % (where, section, key, f[0]))
                    elif len(f) >= 5 and f[3] and f[4]:
                        size = Image.open(path).size
                        if size != (int(f[3]), int(f[4])):
                            faults.append("%s: %s is %dx%d, its entry says %sx%s" % (where, f[0], *size, f[3], f[4]))
            for section, keys in GEOMETRY.items():
                for key in keys:
                    v = value(ini, section, key)
                    if v is None or not all(STRICT.match(x) for x in v.split(",")):
                        faults.append("%s: [%s] %s missing or not numbers: %r" % (where, section, key, v))
            if res == "":
                for key in LED_ROOT:
                    v = value(ini, "LED", key)
                    if v is None or not all(STRICT.match(x) for x in v.split(",")):
                        faults.append("%s: [LED] %s missing or not numbers: %r" % (where, key, v))
            check_region(folder / "MainForm_Frame.rgn", folder / "MainFormImage.png", where, faults)
            # the 3D link pictures (those the entries name, else their own), in the root's 3D folder
            for key in ("D3%s%sImage" % (k, m) for k in ("Alpha", "Beta") for m in ("Indep", "Dep", "Inv")):
                name = (value(ini, "3D", key) or "").split(",")[0] or picture_file(key, "3D")
                if not (kit / "Skin" / skin / "3D" / name).is_file():
                    faults.append("%s: [3D] %s: %s missing in Skin/%s/3D" % (where, key, name, skin))


def check_region(rgn, background, where, faults):
    data = rgn.read_bytes() if rgn.is_file() else b""
    if len(data) < 32:
        faults.append("%s: MainForm_Frame.rgn missing or shorter than its header" % where)
        return
    import struct
    size, kind, count, rgn_size, left, top, right, bottom = struct.unpack_from("<IIII4i", data)
    problems = []
    if (size, kind) != (32, 1):
        problems.append("header size/type %d/%d" % (size, kind))
    if count == 0 or rgn_size != count * 16 or len(data) != 32 + rgn_size:
        problems.append("count %d, size %d, file %d" % (count, rgn_size, len(data)))
    if (left, top, right, bottom) != (0, 0) + Image.open(background).size:
        problems.append("bound %r" % ((left, top, right, bottom),))
    for i in range(min(count, (len(data) - 32) // 16)):
        x0, y0, x1, y1 = struct.unpack_from("<4i", data, 32 + 16 * i)
        if not (left <= x0 < x1 <= right and top <= y0 < y1 <= bottom):
            problems.append("rectangle %d outside the bound" % i)
            break
    for p in problems:
        faults.append("%s: MainForm_Frame.rgn %s" % (where, p))


def check_languages(kit, faults):
    for res, _ in L.RESOLUTIONS:
        for folder, _, encoding, _ in T.LANGUAGES:
            where = "Language/%s%s" % (res + "/" if res else "", folder)
            path = kit / "Language" / res / folder / "Language.ini"
            raw = path.read_bytes()
            if (encoding == "utf-16-le") != raw.startswith(b"\xff\xfe"):
                faults.append("%s: Language.ini is not in %s" % (where, encoding))
            ini = read_ini(path)
            for key in ["ColorUp", "ColorDown", "FontSize"]:
                if not STRICT.match(value(ini, "GlobalFont", key) or ""):
                    faults.append("%s: [GlobalFont] %s not a number" % (where, key))
            for section, key, *_ in T.PANEL:
                v = value(ini, section, key)
                if v is None:
                    faults.append("%s: [%s] %s missing" % (where, section, key))
                    continue
                fields = split_entry(v)
                if len(fields) > 10 or any(len(f) > 127 for f in fields) or (fields and len(fields[0]) > 127):
                    faults.append("%s: [%s] %s too long" % (where, section, key))
                for i in (1, 2, 4, 5, 6, 7, 8, 9):
                    if i < len(fields) and fields[i] and not STRICT.match(fields[i]):
                        faults.append("%s: [%s] %s field %d not a number: %r" % (where, section, key, i, fields[i]))
            for section, table in (("Setup", T.SETUP), ("Uninstall", T.UNINSTALL)):
                for key, *_ in table:
                    v = value(ini, section, key)
                    if v is None:
                        faults.append("%s: [%s] %s missing" % (where, section, key))
                        continue
                    fields = v.split(",")
                    for i in (1, 2, 4, 5, 6, 7, 8):
                        if i < len(fields) and fields[i] and not STRICT.match(fields[i]):
                            faults.append("%s: [%s] %s field %d not a number" % (where, section, key, i))


def decrypt(cipher):
    try:
        data = base64.b64decode(cipher, validate=True)
    except ValueError:
        return None
    if len(cipher) % 4 or len(data) % 8:
        return None
    r = subprocess.run(["openssl", "enc", "-d", "-des-cbc", "-K", DES_KEY, "-iv", "0" * 16, "-provider", "legacy",
                        "-provider", "default"], input=data, capture_output=True)
    return r.stdout.decode("latin-1") if r.returncode == 0 else None


# Keys VelloPanel converts strictly at construction.
STRICT_KEYS = [("GPIO", "MODE")] + [("GPIOActive", str(n)) for n in range(10)] + \
              [("Skin", "RegionCut"), ("Simple", "Enable")]
STRICT_LISTS = [("GPIO", "ENABLE"), ("GPIO", "DIRECTION")]
# Values VelloPanel reads into 32-character buffers (the plug-in entries too).
PANEL_KEYS = [("Version", "OldVersion"), ("Version", "DefaultIni"), ("Version", "Bee"), ("Mic", "Monitor"),
              ("DefaultSet", "V7ch1Scalar"), ("DefaultSet", "EncButtonMode"), ("DefaultSet", "EncGpio"),
              ("DefaultSet", "3DV7ch1MutuallyExclusive"), ("GPIO", "BUTTONMODE"), ("GPIO", "DIPSWMODE"),
              ("TrayIconHint", "HintName"), ("Install", "InstallIconFileName"), ("Install", "InstallAppTitle"),
              ("Language", "LanguageFolderName"), ("Skin", "SkinFolderName"), ("Plugin", "PluginFolderName")]


def check_config(config, kit, faults, where="AudioConfig.cfg"):
    ini = read_ini(config)
    for section, key in STRICT_KEYS:
        v = value(ini, section, key)
        if v is None or not STRICT.match(v[:31]):
            faults.append("%s: [%s] %s is not a strict integer: %r" % (where, section, key, v))
        elif v[:31] != v:
            faults.append("%s: [%s] %s longer than 31 characters" % (where, section, key))
    for section, key in STRICT_LISTS:
        v = value(ini, section, key) or ""
        if v and (len(v.split(",")) > 10 or not all(STRICT.match(f) for f in v.split(","))):
            faults.append("%s: [%s] %s has a field that is not a strict integer" % (where, section, key))
    for section, key in PANEL_KEYS + [("Application", k) for k, _ in ini.get("Application", [])]:
        v = value(ini, section, key) or ""
        if len(v) > 31 or (key.endswith("FolderName") and len(v) > 30):
            faults.append("%s: [%s] %s longer than the panel keeps" % (where, section, key))
    for section, key in [("Install", "InstallIconFileName"), ("Uninstall", "UninstallIconFileName")]:
        name = value(ini, section, key) or ""
        if not (kit / name).is_file() or not name:
            faults.append("%s: [%s] %s names a missing file %r" % (where, section, key, name))
    skins = value(ini, "Skin", "SkinFolderName")
    langs = value(ini, "Language", "LanguageFolderName")
    background = value(ini, "Install", "InstallBackgroundFileName")
    for res, _ in L.RESOLUTIONS:
        if not (kit / skins / res / value(ini, "Skin", "DefaultSkin") / "SkinSetting.ini").is_file():
            faults.append("%s: DefaultSkin has no SkinSetting.ini in %r" % (where, res))
        if not (kit / skins / res / background).is_file():
            faults.append("%s: no installer background picture in %r" % (where, res))
        for lang, _ in ini.get("MultiLanguageFolderMap", []):
            if not (kit / langs / res / lang / "Language.ini").is_file():
                faults.append("%s: language %s has no Language.ini in %r" % (where, lang, res))
            if not any((kit / "Manual" / lang).iterdir()):
                faults.append("%s: language %s has no manual" % (where, lang))
    plugins = kit / value(ini, "Plugin", "PluginFolderName")
    for name in (value(ini, "Install", "EffectAPPFileName"), value(ini, "Install", "SoundEffectAPPFileName")):
        if not (plugins / name).is_dir() or not (value(ini, "Application", name) or "0").isdigit():
            faults.append("%s: plug-in %s has no folder or no [Application] entry" % (where, name))
    for section in ("USB_VID_PID", "HID_VID_PID"):
        entries = ini.get(section, [])
        if not entries:
            faults.append("%s: no [%s] entries" % (where, section))
        for key, entry in entries:
            plain, _, cipher = entry.partition(",")
            if not plain.strip() or not cipher.strip():
                faults.append("%s: [%s] %s has an empty side" % (where, section, key))
            elif decrypt(cipher.strip()) != plain.strip():
                faults.append("%s: [%s] %s does not decrypt to its device ID" % (where, section, key))
    for n, entry in ini.get("EncValueMap", []):
        if not re.match(r"^VID_[0-9A-F]{4}&PID_[0-9A-F]{4},\d+$", entry):
            faults.append("%s: [EncValueMap] %s malformed" % (where, n))


def check_files(kit, faults):
    for name in ["bee.wav", "DefaultProfile.ini"]:
        if not (kit / name).is_file():
            faults.append("%s missing" % name)
    wav = (kit / "bee.wav").read_bytes() if (kit / "bee.wav").is_file() else b""
    if wav[:4] != b"RIFF" or wav[8:16] != b"WAVEfmt ":
        faults.append("bee.wav is not a WAVE file")
    profile = read_ini(kit / "DefaultProfile.ini")
    required = [("EQ", "S%d" % n) for n in range(1, 5)] + [("Effect", "CurrentEffect"), ("Virtual7ch1", "7ch1EN")]
    required += [("Virtual7ch1", k) for k in ["L", "R", "C", "SUB", "LS", "RS", "LB", "RB"]]
    for section, key in required:
        v = value(profile, section, key)
        if v is None or not all(STRICT.match(f) for f in v.split(",")):
            faults.append("DefaultProfile.ini: [%s] %s missing or not integers" % (section, key))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("kit")
    ap.add_argument("--variants")
    a = ap.parse_args()
    kit = Path(a.kit)
    faults = []
    check_skins(kit, faults)
    check_languages(kit, faults)
    check_config(kit / "AudioConfig.cfg", kit, faults)
    check_files(kit, faults)
    if a.variants:
        for line in (Path(a.variants) / "variants.txt").read_text().splitlines():
            name, what = line.split("\t", 1)
            found = []
            check_config(Path(a.variants) / (name + ".cfg"), kit, found, name)
            if not found:
                faults.append("variant %s (%s) passes the checks" % (name, what))
    for f in faults:
        print(f)
    print("%d fault(s)" % len(faults))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())

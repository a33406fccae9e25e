"""Broken copies of the kit's AudioConfig.cfg, for tests of the failure paths.

Each variant is the kit's file with one change; write() puts them into a
folder as <name>.cfg and lists them in variants.txt (name, then what is wrong).
"""
from pathlib import Path

LONG_TITLE = "Vello Audio Center " * 60  # well over the 1023 characters a value read keeps

# name, section, key, new value (None removes the key; key None removes the section), description
VARIANTS = [
    ("missing-gpio-mode", "GPIO", "MODE", None, "[GPIO] MODE missing"),
    ("missing-gpioactive", "GPIOActive", "3", None, "[GPIOActive] 3 missing"),
    ("missing-regioncut", "Skin", "RegionCut", None, "[Skin] RegionCut missing"),
    ("missing-simple", "Simple", None, None, "no [Simple] section"),
    ("empty-gpioactive", "GPIOActive", "5", "", "[GPIOActive] 5 empty"),
    ("nonnumeric-gpio-mode", "GPIO", "MODE", "one", "[GPIO] MODE not a number"),
    ("nonnumeric-enable", "GPIO", "ENABLE", "0,1,x,1,0,0,0,0,0,0", "[GPIO] ENABLE field 2 not a number"),
    ("nonnumeric-regioncut", "Skin", "RegionCut", "yes", "[Skin] RegionCut not a number"),
    ("nonnumeric-simple", "Simple", "Enable", "off", "[Simple] Enable not a number"),
    ("overlong-gpio-mode", "GPIO", "MODE", "0" * 34 + "1",
     "[GPIO] MODE of 35 digits: only the first 31 (all zero) count"),
    ("overlong-icon-name", "Install", "InstallIconFileName", "VelloAudioCenterApplicationIcon.ico",
     "[Install] InstallIconFileName of 35 characters (the panel keeps 31)"),
    ("overlong-title", "Install", "InstallAppTitle", LONG_TITLE.strip(),
     "[Install] InstallAppTitle longer than 1023 characters"),
    ("altered-device-entry", "USB_VID_PID", "3", "@ALTER@", "[USB_VID_PID] 3 with one cipher character changed"),
    ("empty-device-side", "HID_VID_PID", "2", "HID\\VID_2F7B&PID_731F&REV_0100&MI_03,",
     "[HID_VID_PID] 2 without cipher text"),
]


def apply(lines, section, key, value):
    out, current, done = [], None, False
    for line in lines:
        stripped = line.strip()
        if stripped.startswith("[") and stripped.endswith("]"):
            current = stripped[1:-1]
            if key is None and current == section:
                continue
        elif current == section and "=" in line and not done:
            k, old = line.split("=", 1)
            if key is None:
                continue
            if k == key:
                done = True
                if value is None:
                    continue
                if value == "@ALTER@":
                    plain, cipher = old.split(",", 1)
                    flipped = "B" if cipher[5] != "B" else "C"
                    value = plain + "," + cipher[:5] + flipped + cipher[6:]
                out.append("%s=%s" % (k, value))
                continue
        elif current == section and key is None:
            continue
        out.append(line)
    if key is not None and not done and value is not None:
        raise ValueError("no key %s in [%s]" % (key, section))
    return out


def write(config, folder):
    folder = Path(folder)
    folder.mkdir(parents=True, exist_ok=True)
    lines = config.read_bytes().decode("ascii").split("\r\n")
    listing = []
    for name, section, key, value, what in VARIANTS:
        text = "\r\n".join(apply(lines, section, key, value))
        (folder / (name + ".cfg")).write_bytes(text.encode("ascii"))
        listing.append("%s\t%s" % (name, what))
    (folder / "variants.txt").write_bytes(("\r\n".join(listing) + "\r\n").encode("ascii"))

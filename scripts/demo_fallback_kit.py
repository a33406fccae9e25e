#!/usr/bin/env python3
"""Writes the smallest set of files VelloPanel starts on (a settings file
and its icon) into a folder, for when the sample kit is not built."""
import struct
import sys
from pathlib import Path


def ico(size=32, rgb=(0, 120, 215)):
    mask_row = ((size + 31) // 32) * 4
    pixels = bytes([rgb[2], rgb[1], rgb[0], 255]) * (size * size)
    image = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    image += pixels + bytes(mask_row * size)
    head = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 22)
    return head + entry + image


def main():
    folder = Path(sys.argv[1])
    (folder / "AudioConfig.cfg").write_text(
        "[Install]\r\nInstallAppTitle=Vello Audio\r\nInstallIconFileName=Vello.ico\r\n", newline="")
    (folder / "Vello.ico").write_bytes(ico())


if __name__ == "__main__":
    main()

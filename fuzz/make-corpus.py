#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target into fuzz/corpus/<target>/.

Each seed is a small script in the target's own input format (see TFuzzInput: bytes are read
front to back, numbers little-endian, a choice below N takes one byte when N <= 256). The seeds
name valid inputs and the edges around them; the fuzzer finds the rest. Inputs that once broke
something are kept beside them under names of their own (this script leaves those alone), so
every run replays them first.
"""
import pathlib
import struct
import sys

ROOT = pathlib.Path(__file__).resolve().parent / "corpus"
# Language table seeds are stored tables, written as the build writes the carried one.
sys.path.insert(0, str(ROOT.parent.parent / "src" / "i18n"))
from MakeLanguageTable import stored_table as language_table  # noqa: E402


def u8(*values):
    return bytes(v & 0xFF for v in values)


def u16(*values):
    return b"".join(struct.pack("<H", v & 0xFFFF) for v in values)


def u32(value):
    return struct.pack("<I", value & 0xFFFFFFFF)


def macro(steps, name="Seed", loops=0):
    """A TMACROKEYINFO of 892 bytes: steps of (type, state, value1, value2)."""
    data = bytearray(892)
    for i, (kind, state, v1, v2) in enumerate(steps[:128]):
        struct.pack_into("<HHBB", data, 6 * i, kind, state, v1, v2)
    struct.pack_into("<iHHHB", data, 768, len(steps), 1, loops, 0, 1)
    text = name.encode("utf-16-le")[:98]
    data[780:780 + len(text)] = text
    struct.pack_into("<I", data, 880, 259)
    return bytes(data)


PRESS_RELEASE = [(1, 1, 1, 1), (6, 0, 200, 0), (1, 0, 1, 1), (4, 1, 0x41, 0), (4, 0, 0x41, 0)]

SEEDS = {
    # Feature reports: [shape choice][kind][own id?][command choice][which command][6 arguments]
    # [payload length][payload].
    "sim_mouse_feature": {
        "mode-0-write-mode-1": u8(1, 0, 1, 1, 0) + u8(0, 0, 0, 0, 0, 0) + u16(0)
        + u8(1, 1, 1, 1, 1) + u8(0x90, 0, 4, 0, 0xFA, 0xFA) + u16(4) + u8(1, 2, 3, 4)
        + u8(1, 0, 1, 1, 0) + u8(1, 0, 0, 0, 0, 0) + u16(0),
        "write-outside-upload": u8(1, 2, 1, 1, 1) + u8(0xF0, 0x11, 0x20, 0, 0xFA, 0xFA) + u16(0),
        "raw-short": u8(0) + u8(3, 0) + u8(6, 1, 2),
    },
    "language_table": {
        "two-languages": language_table(["Config", "About"],
                                        [("CH", [("Config", "打开配置"), ("About", "关于软件")]),
                                         ("US", [("Config", "Config"), ("About", "About")])]),
        "empty": language_table([], []),
    },
    # Macro files: [size][bytes][editing script].
    "macro_file": {
        "press-delay-release": u16(892) + macro(PRESS_RELEASE) + u8(3, 2, 1, 200, 0),
        "held-at-the-end": u16(892) + macro([(1, 1, 2, 2), (4, 1, 0x10, 0), (3, 0, 255, 7)]),
        "short-file": u16(100) + macro(PRESS_RELEASE)[:100],
        "count-past-the-steps": u16(892) + macro(PRESS_RELEASE)[:768] + u32(0x7FFFFFFF)
        + macro(PRESS_RELEASE)[772:],
    },
    # [profile record choice, patches][list operations].
    "macro_editor": {
        "factory-then-edit": u8(0) + u8(0, 0) + u8(12, 0, 2, 0, 4, 1, 0, 0x41, 0) + u8(1, 3, 4, 65, 0),
        "many-macros": u8(3, 2) + u8(1, 49, 0, 2) + u16(21) + u8(0, 1, 0, 8, 0, 0, 0, 0)
        + u8(0, 0, 0, 7, 0, 0),
    },
    # ["config.ini" bytes]
    "config_ini": {
        "device-list": b"[IncludeHIDDeviceList]\r\nid1=HID\\VID_1234&PID_5678&MI_01\r\n"
        b"[OtherConfig]\r\nNoLogo=1\r\n[HelpFiles]\r\nManual=help.chm\r\n",
        "other-device": b"[includehiddevicelist]\nid1 = HID\\VID_9999&PID_0001\nid3=skipped\n",
        "utf16": b"\xff\xfe" + "[IncludeHIDDeviceList]\r\nid1=hid\\vid_1234&pid_5678&mi_01\r\n".encode(
            "utf-16-le"),
        "utf8-bom": b"\xef\xbb\xbf[OtherConfig]\nNoLogo=-12x\n",
    },
    # [function types of the 15 buttons][then per step: path choice, ...]
    "input_report": {
        "press-each-way": u8(*([2] * 15)) + u8(0, 1, 1, 7, 0, 1, 0, 0, 0, 0, 0)
        + u8(1, 1, 7) + u8(2, 2, 3, 1, 1, 7, 0x40, 0, 0, 0, 0, 0, 0),
        "profile-report": u8(*([0] * 15)) + u8(0, 1, 0, 2, 1, 1) + u8(2, 2, 0, 1, 0, 2, 1, 0),
        "long-report": u8(*([3] * 15)) + u8(0, 0) + u16(300) + bytes(range(256)) + bytes(44),
    },
    # [key choice][setting group][all settings][last recording][five game profiles][script]
    "stored_records": {
        "factory": b"",
        "nothing-stored": u8(1, 1, 1, 1, 1, 1, 1, 1, 1),
        "wrong-types": u8(1, 2, 0, 2, 1, 4, 2, 3, 1, 0, 0, 0, 0, 0),
        "group-two-profile-seven": u8(1, 3, 2, 1, 0, 1, 1, 1, 7, 0, 0, 0, 0, 0, 0, 0),
        "short-profiles": u8(1, 0, 0, 0) + (u8(4) + u32(50000) + u8(0)) * 5,
        "registry-storage": u8(1, 3, 1, 1, 12, 0, 1, 0) + u8(0, 0, 0, 0, 0, 0, 0),
        # ... then [Documents folder][five moves: place, storage, name, stored there?]
        # [count of sized records: which, far?, MiB or bytes past the limit]
        "far-values-and-file": u8(1) + bytes(8) + u8(0) + bytes(5)
        + u8(3) + u8(1, 1) + u16(100) + u8(3, 1) + u16(255) + u8(4, 0, 3),
        "profiles-in-odd-places": u8(1) + bytes(8) + u8(1)
        + u8(1, 1, 0, 0) + u8(8, 1, 0, 1) + u8(17, 1, 0, 0) + u8(5, 1, 3, 0) + u8(11, 1, 1, 0)
        + u8(0),
        "documents-on-a-network-drive-far-group": u8(1) + bytes(8) + u8(2) + bytes(5)
        + u8(1) + u8(0, 1) + u16(3),
    },
    # As above, then the hook's availability, the mouse, the configuration app, the key, the
    # user's events and the stopping key.
    "recording_stop": {
        "click-pause-click": b"\x01" + bytes(8) + u8(0, 1, 1, 7)
        + u8(4, 1, 0, 0, 40) + u8(0) + u16(250) + u8(4, 2, 0, 0, 30) + u8(7),
        "wheel-and-back": b"\x01" + bytes(8) + u8(0, 1, 1, 6)
        + u8(4, 7, 1, 10) + u8(4, 8, 0, 20) + u8(4, 9, 0, 20) + u8(6),
        "no-hook-library": b"\x01" + bytes(8) + u8(1, 1, 0, 7) + u8(4, 1, 0, 0, 4, 2, 0, 0) + u8(7),
        "unplugged": b"\x01" + bytes(8) + u8(0, 0, 1, 7) + u8(4, 1, 0, 0, 4, 2, 0, 0) + u8(7),
    },
}


def main():
    for target, seeds in SEEDS.items():
        folder = ROOT / target
        folder.mkdir(parents=True, exist_ok=True)
        for name, data in seeds.items():
            (folder / name).write_bytes(data)
    print(f"seeds written below {ROOT}", file=sys.stderr)


if __name__ == "__main__":
    main()

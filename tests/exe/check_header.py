#!/usr/bin/env python3
"""Checks what Brumlet.exe tells Windows before it runs: the oldest system and subsystem
version in its PE header (6.1, Windows 7), that a 32-bit build is large-address-aware,
and the systems its manifest lists as supported. Prints the fields; exits 1 on a mismatch.
Usage: check_header.py path/to/Brumlet.exe"""
import re
import struct
import sys

IMAGE_FILE_LARGE_ADDRESS_AWARE = 0x0020
MACHINE_I386 = 0x014C

# The manifest's supportedOS ids: Windows 7, 8, 8.1 and 10 (which stands for 11 too).
SUPPORTED_OS = {
    "35138b9a-5d96-4fbd-8e2d-a2440225f93a": "Windows 7",
    "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38": "Windows 8",
    "1f676c76-80e1-4239-95bb-83d0f6d0da78": "Windows 8.1",
    "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a": "Windows 10",
}


def main(path):
    data = open(path, "rb").read()
    failures = []

    def expect(what, got, wanted):
        print(f"{what}: {got}")
        if got != wanted:
            failures.append(f"{what} is {got}, expected {wanted}")

    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        print("not a PE file")
        return 1
    machine, = struct.unpack_from("<H", data, pe + 4)
    characteristics, = struct.unpack_from("<H", data, pe + 22)
    optional = pe + 24
    # The version fields sit at the same offsets in the 32- and the 64-bit optional header.
    os_version = "%d.%d" % struct.unpack_from("<HH", data, optional + 40)
    subsystem_version = "%d.%d" % struct.unpack_from("<HH", data, optional + 48)
    print(f"machine: 0x{machine:04x}, characteristics: 0x{characteristics:04x}")
    expect("OS version", os_version, "6.1")
    expect("subsystem version", subsystem_version, "6.1")
    if machine == MACHINE_I386:
        expect("large address aware", bool(characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE), True)

    # The manifest is stored as its own UTF-8 text in the resources.
    section = re.search(rb"<compatibility\b.*?</compatibility>", data, re.S)
    ids = re.findall(rb'<supportedOS\s+Id="\{([0-9a-fA-F-]+)\}"', section.group(0)) if section else []
    listed = sorted(SUPPORTED_OS.get(i.decode().lower(), i.decode()) for i in ids)
    expect("supported systems", listed, sorted(SUPPORTED_OS.values()))

    for failure in failures:
        print("FAILED: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))

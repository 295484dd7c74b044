#!/usr/bin/python3
"""Gives the uninstaller NSIS writes its own description. NSIS gives the installer
and its uninstaller one version resource; this puts the uninstaller's description
in place of the installer's, in the same bytes (padded with NULs, which end the
string for every reader), so that the resource's layout and lengths stay as they
are, and writes anew the CRC-32 NSIS checks the file against at start (of every
byte from offset 512 up to the CRC, which ends its data). Called by makensis
(!uninstfinalize) before the uninstaller is signed.

usage: describe_uninstaller.py UNINSTALLER.exe INSTALLER-DESCRIPTION UNINSTALLER-DESCRIPTION
"""
import struct
import sys
import zlib

path, old, new = sys.argv[1:4]
if len(new) > len(old):
    sys.exit(f"describe_uninstaller: '{new}' is longer than '{old}'")
key = "FileDescription\0".encode("utf-16-le")
value = (old + "\0").encode("utf-16-le")
with open(path, "rb") as f:
    data = f.read()
found, i = [], data.find(value)
while i >= 0:
    if data.rfind(key, max(0, i - 64), i) >= 0:  # the value of a FileDescription entry
        found.append(i)
    i = data.find(value, i + 1)
if len(found) != 1:
    sys.exit(f"describe_uninstaller: the description '{old}' is found {len(found)} times in {path}")
at = found[0]
replacement = (new + "\0" * (len(old) - len(new) + 1)).encode("utf-16-le")
patched = bytearray(data[:at] + replacement + data[at + len(value):])

# NSIS's first header: flags, 0xDEADBEEF, "NullsoftInst", the header's length and
# that of everything from the first header on, the CRC being its last 4 bytes.
first = data.find(struct.pack("<I", 0xDEADBEEF) + b"NullsoftInst") - 4
if first < 512 or at >= first:
    sys.exit(f"describe_uninstaller: no NSIS data after the version resource in {path}")
crc_at = first + struct.unpack_from("<I", data, first + 24)[0] - 4
if struct.unpack_from("<I", data, crc_at)[0] != zlib.crc32(data[512:crc_at]):
    sys.exit(f"describe_uninstaller: {path} does not carry the CRC this script knows how to write")
struct.pack_into("<I", patched, crc_at, zlib.crc32(patched[512:crc_at]))
with open(path, "wb") as f:
    f.write(patched)

#!/usr/bin/env python3
"""Writes a zip of the given files, each under its own name, in the order
given, so that the same files give the same bytes: every entry has the
time stamp given (seconds since 1970, taken as UTC), fixed permissions
(0755 for .exe, else 0644), deflate at level 9 and no extra fields.

    package_zip.py OUT.zip EPOCH FILE...
"""
import os
import sys
import time
import zipfile
from pathlib import Path

# The zip format cannot hold a time before 1980.
ZIP_EPOCH_MIN = 315532800


def entry(path, epoch):
    info = zipfile.ZipInfo(path.name, time.gmtime(max(epoch, ZIP_EPOCH_MIN))[:6])
    info.compress_type = zipfile.ZIP_DEFLATED
    info.create_system = 3  # Unix, so that the permissions below are read
    mode = 0o755 if path.suffix.lower() == ".exe" else 0o644
    info.external_attr = (0o100000 | mode) << 16
    return info


def main(out, epoch, files):
    out = Path(out)
    partial = out.with_name(out.name + ".part")
    with zipfile.ZipFile(partial, "w") as archive:
        for name in files:
            path = Path(name)
            archive.writestr(entry(path, epoch), path.read_bytes(),
                             compresslevel=9)
    os.replace(partial, out)


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    main(sys.argv[1], int(sys.argv[2]), sys.argv[3:])

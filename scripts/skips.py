#!/usr/bin/env python3
"""Prints one line with every test the test command skipped and why:
"N skipped: NAME (REASON); ..." ("0 skipped" when none).

Reads ctest's JUnit reports (*.xml: GoogleTest's reason is the line after
its "Skipped" line) and the end-to-end log (lines "e2e skipped: NAME:
REASON"). Missing files are passed over.

    python3 scripts/skips.py build/test-logs/ctest.xml ... e2e.log
"""
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

E2E_MARK = "e2e skipped: "


def ctest_skips(path):
    for case in ET.parse(path).getroot().iter("testcase"):
        if case.find("skipped") is None:
            continue
        lines = (case.findtext("system-out") or "").splitlines()
        reason = next((lines[i + 1].strip() for i, line in enumerate(lines)
                       if line.endswith(": Skipped") and i + 1 < len(lines)),
                      "no reason given")
        yield case.get("name"), reason


def e2e_skips(path):
    for line in path.read_text(errors="replace").splitlines():
        if line.startswith(E2E_MARK):
            name, _, reason = line[len(E2E_MARK):].partition(": ")
            yield name, reason


def main(paths):
    skips = []
    for path in map(Path, paths):
        if path.is_file():
            reader = ctest_skips if path.suffix == ".xml" else e2e_skips
            skips += reader(path)
    listed = "; ".join(f"{name} ({reason})" for name, reason in skips)
    print(f"{len(skips)} skipped" + (f": {listed}" if skips else ""))


if __name__ == "__main__":
    main(sys.argv[1:])

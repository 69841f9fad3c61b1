#!/usr/bin/env python3
"""Runs the Windows build of Pinrow under Wine, in a prefix of its own.

With a DISPLAY the bar runs there until it is closed. Without one, the bar
runs on a fresh Xvfb display: the script waits for it, saves a screenshot
of it and then closes it (at once when no one is at the terminal, else
when Enter is pressed). The bar's folder build/start/app keeps tag.txt and
setup.ini between runs.
"""
import argparse
import os
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
import harness  # noqa: E402

START_DIR = harness.REPO / "build" / "start"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--shot", default=str(START_DIR / "screenshot.png"),
                        help="where to save the screenshot (no DISPLAY)")
    args = parser.parse_args()

    display = os.environ.get("DISPLAY") or None
    session = harness.Session(work_dir=START_DIR, display=display)
    try:
        session.start()
        app = harness.AppFolder(START_DIR / "app",
                                session.tool("pinrow.exe"), fresh=False)
        bar = session.start_bar(app)
        window = bar.wait_shown(timeout=60)
        print(f"Pinrow is running (folder {app.path}).")
        if display:
            print("Close the bar to end.")
            bar.proc.wait()
            return 0
        shot = session.screenshot(Path(args.shot).resolve(), window["rect"])
        print(f"Screenshot of the bar saved to {shot}")
        if sys.stdin.isatty():
            input(f"The bar runs on display {session.display}; "
                  "press Enter to close it. ")
        bar.close()
        bar.wait_exit(30)
        return 0
    finally:
        session.stop()


if __name__ == "__main__":
    sys.exit(main())

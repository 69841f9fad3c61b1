#!/usr/bin/env python3
"""Makes the README's pictures: the bar and each page of the settings
dialog, as the Windows build shows them under Wine.

    python3 scripts/screenshots.py

Builds pinrow.exe and the test tools, then starts the bar from a fresh
folder (so it shows its default buttons) with the guide beside it, as the
zip holds them, in a Wine prefix of its own under
build/screenshots, with the Japanese fonts of the end-to-end tests and
Wine's symbol font, which draws the caption buttons of the window frame.
Each picture is the window with its frame, taken once the screen has
stopped changing, without metadata, so the same build gives the same
files. They are written to docs/ (or to --out).
"""
import argparse
import shutil
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
import editor  # noqa: E402
import harness  # noqa: E402

WORK_DIR = harness.REPO / "build" / "screenshots"
# Wine draws the close box and the other caption buttons with the symbols
# of its Marlett font; a prefix without it shows the letters instead.
SYMBOL_FONT = "marlett.ttf"
FONT_DIRS = ["/usr/share/wine/fonts", "/usr/lib/x86_64-linux-gnu/wine/fonts",
             "/usr/lib/wine/fonts", "/opt/wine-stable/share/wine/fonts"]

DIALOG = "設定"
GUIDE = "はじめにお読みください.txt"
PAGES = ["general", "table", "settings", "about"]
STEADY_TIMEOUT = 15


class ScreenshotSession(harness.Session):
    """A session whose prefix has the symbol font in its Fonts folder."""

    def _boot_prefix(self):
        super()._boot_prefix()
        target = self.prefix / "drive_c" / "windows" / "Fonts" / SYMBOL_FONT
        if target.exists():
            return
        source = next((Path(d) / SYMBOL_FONT for d in FONT_DIRS
                       if (Path(d) / SYMBOL_FONT).is_file()), None)
        if source is None:
            raise harness.HarnessError(
                f"{SYMBOL_FONT} not found in {FONT_DIRS} (package fonts-wine)")
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(source, target)


def steady_shot(wine, rect, out):
    """Takes the area until two pictures in a row are equal and keeps that
    one, stripped of its time stamps."""
    raw = WORK_DIR / "raw.png"
    kept = WORK_DIR / "steady.png"
    previous = None
    deadline = time.monotonic() + STEADY_TIMEOUT
    while True:
        wine.screenshot(raw, rect, margin=0)
        subprocess.run(["convert", str(raw), "-strip", f"PNG:{kept}"],
                       check=True)
        data = kept.read_bytes()
        if data == previous:
            shutil.copyfile(kept, out)
            print(f"wrote {out}")
            return
        if time.monotonic() > deadline:
            raise harness.HarnessError(f"the screen kept changing for {out}")
        previous = data
        time.sleep(0.4)


def build():
    root = harness.REPO
    subprocess.run(["bash", "scripts/deps.sh"], cwd=root, check=True)
    subprocess.run(["cmake", "--preset", "windows"], cwd=root, check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", "--preset", "windows", "-j2",
                    "--target", "pinrow", "driver", "presser"],
                   cwd=root, check=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=str(harness.REPO / "docs"),
                        help="folder for the PNG files (default docs/)")
    parser.add_argument("--no-build", action="store_true",
                        help="use the Windows build as it is")
    args = parser.parse_args()
    out = Path(args.out).resolve()
    out.mkdir(parents=True, exist_ok=True)
    if not args.no_build:
        build()

    wine = ScreenshotSession(work_dir=WORK_DIR)
    try:
        wine.start()
        guide = harness.REPO / "docs" / GUIDE
        bar = wine.start_bar(wine.new_app(files={GUIDE: guide.read_bytes()}))
        window = bar.wait_shown()
        steady_shot(wine, window["rect"], out / "bar.png")

        presser = editor.Presser(wine)
        step = ["window", harness.BAR_TITLE, "clickpic", 0, 0,
                "window", DIALOG, "waitwin", 5000]
        for page in PAGES:
            result = presser.run(*step)
            if not result.ok:
                raise harness.HarnessError(f"page {page}: {result.error}")
            dialog = wine.wait_window(title=DIALOG)
            steady_shot(wine, dialog["rect"], out / f"dialog-{page}.png")
            step = ["window", DIALOG, "keys", "ctrl+tab"]
        presser.run("window", DIALOG, "keys", "escape", "waitgone", 5000)
        bar.close()
        bar.wait_exit(30)
        return 0
    finally:
        wine.stop()


if __name__ == "__main__":
    sys.exit(main())

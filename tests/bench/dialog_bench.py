#!/usr/bin/env python3
"""The settings dialog under Wine: a real click on the bar's settings
button until the dialog's window is visible; a real click on the list's
scroll bar, on "登録" and on "削除" with 30 buttons until the grid shows the
change; next to the bar's own start-up against the bare baseline.exe, all
in one Wine session. Run on demand after the windows build:

    python3 tests/bench/dialog_bench.py [--rounds N]
"""
import argparse
import statistics
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import editor  # noqa: E402
import harness  # noqa: E402
import startup_bench  # noqa: E402


def open_times(session, rounds):
    """Milliseconds from the click to the visible dialog, one per round
    after a warm-up opening; the dialog is closed with Esc each time."""
    app = session.new_app()
    bar = session.start_bar(app)
    bar.wait_shown()
    presser = editor.Presser(session)
    times = []
    try:
        for i in range(rounds + 1):
            result = presser.run("window", "Pinrow", "clickpic", 0, 0,
                                 "window", "設定", "waitwin", 10000,
                                 "keys", "escape", "waitgone", 10000)
            if not result.ok:
                raise harness.HarnessError(result.error)
            if i > 0:
                times += result.numbers("shown_since_click_ms")
    finally:
        bar.kill()
    return times


TAB_CORNER = 120  # the pages' origin in the dialog, twips
NO_CELL = ("Edit", TAB_CORNER + 330, TAB_CORNER + 4680)  # grid row 0, "No"
CAPTION_CELL = ("Edit", TAB_CORNER + 600, TAB_CORNER + 4680)


def thirty_buttons():
    return "".join(
        f"{i},{400 * (i % 6)},{400 + 400 * (i // 6)},400,400,B{i},<b{i}>,\r\n"
        for i in range(30))


def list_times(session, rounds):
    """Click to repaint of the grid with 30 buttons: a scroll by one row,
    registering the loaded button under a new caption, deleting it."""
    app = session.new_app(files={"tag.txt": thirty_buttons()})
    bar = session.start_bar(app)
    bar.wait_shown()
    presser = editor.Presser(session)
    times = {"scroll": [], "register": [], "delete": []}
    try:
        for i in range(rounds):
            result = presser.run(
                "window", "Pinrow", "clickpic", 0, 0, "window", "設定",
                "waitwin", 10000,
                # The list's down arrow: the grid starts one row further.
                "clickon", "ScrollBar", TAB_CORNER + 5990,
                TAB_CORNER + 5850, "waitctl", *NO_CELL, "1", 5000,
                # Button 0 under another caption.
                "clickon", "Edit", TAB_CORNER + 1500, TAB_CORNER + 960,
                "keys", "end", "type", "x",
                "clickon", "Button", TAB_CORNER + 4740, TAB_CORNER + 960,
                "waitctl", *CAPTION_CELL, "B0x", 5000,
                # Deleting it: the grid shows button 1 (now 0) on top.
                "clickon", "Button", TAB_CORNER + 4740, TAB_CORNER + 1440,
                "waitctl", *CAPTION_CELL, "B1", 5000,
                "keys", "escape", "waitgone", 10000)
            if not result.ok:
                raise harness.HarnessError(result.error)
            for name, ms in zip(times, result.numbers("since_click_ms")):
                times[name].append(ms)
            bar.close()
            bar.wait_exit()
            app.write("tag.txt", thirty_buttons())
            bar = session.start_bar(app)
            bar.wait_shown()
    finally:
        bar.kill()
    return times


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=9)
    args = parser.parse_args()
    session = harness.session()
    times = open_times(session, args.rounds)
    print(f"settings dialog, click to visible: median "
          f"{statistics.median(times):.1f} ms, best {min(times):.1f} ms, "
          f"worst {max(times):.1f} ms ({len(times)} openings)")
    for name, ms in list_times(session, max(3, args.rounds // 3)).items():
        print(f"grid with 30 buttons, click on {name} to the change shown: "
              f"median {statistics.median(ms):.1f} ms, worst {max(ms):.1f} ms")
    startup_bench.report(session, startup_bench.measure(session, args.rounds))


if __name__ == "__main__":
    main()

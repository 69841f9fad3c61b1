#!/usr/bin/env python3
"""Opening the settings dialog: a real click on the bar's settings button
until the dialog's window is visible, next to the bar's own start-up
against the bare baseline.exe, all in one Wine session. Run on demand after
the windows build:

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


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=9)
    args = parser.parse_args()
    session = harness.session()
    times = open_times(session, args.rounds)
    print(f"settings dialog, click to visible: median "
          f"{statistics.median(times):.1f} ms, best {min(times):.1f} ms, "
          f"worst {max(times):.1f} ms ({len(times)} openings)")
    startup_bench.report(session, startup_bench.measure(session, args.rounds))


if __name__ == "__main__":
    main()

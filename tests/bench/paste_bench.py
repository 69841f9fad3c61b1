"""Paste latency: a real click on a bar button until the text is in notepad.

Runs on demand (not part of the test suite):

    python3 tests/bench/paste_bench.py [--rounds N] [--delays 200,200 10,10]
                                       [--before OLD/pinrow.exe]

For each pair of waits it starts the bar (setup.ini with those Delay0 and
Delay1) and baseline_paste.exe (a bare window that does the same paste with
the same waits), then alternates clicks on the bar's "HR" button and the
baseline's "HR" button, each after bringing notepad to the front. The time
is measured inside Wine by presser.exe, from the mouse press to the moment
notepad's text equals the tag. Prints the median and the spread per program.
With --before, an earlier build's bar takes the same turns against the
baseline right after, in the same session.
"""

import argparse
import statistics
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))

import editor  # noqa: E402
import harness  # noqa: E402
from editor import HR  # noqa: E402

BASELINE_TITLE = "BaselinePaste"
TIMER_MS = 100


def one_round(title):
    """Presser steps for one timed paste into an emptied notepad."""
    return [*editor.focus_editor(), "settext", "", "window", title,
            "click", "HR", *editor.wait_text("equals", HR)]


def measure(session, presser, delays, rounds, exe=None):
    """Milliseconds of each press for the bar (of `exe` if given) and for
    the baseline, turn about."""
    delay0, delay1 = delays
    app = (harness.AppFolder(session.run_dir / f"app-before-{delay0}", exe)
           if exe else session.new_app())
    app.write("setup.ini", editor.setup_ini(
        Delay0=delay0, Delay1=delay1, GTime=TIMER_MS))
    bar = session.start_bar(app)
    bar.wait_shown()
    base_app = session.new_app("baseline_paste.exe")
    proc = session.popen([base_app.exe, delay0, delay1, TIMER_MS],
                         cwd=base_app.path)
    baseline = harness.Program(session, proc, title=BASELINE_TITLE)
    baseline.wait_shown()
    script = []
    for _ in range(rounds):
        script += one_round(harness.BAR_TITLE) + one_round(BASELINE_TITLE)
    try:
        result = presser.run(*script, timeout=60 + rounds * 10)
    finally:
        bar.kill()
        baseline.kill()
    if not result.ok:
        raise harness.HarnessError(f"presser failed: {result.error}")
    times = result.numbers("since_click_ms")
    return times[0::2], times[1::2]


def describe(name, times):
    return (f"{name:9s} median {statistics.median(times):7.1f} ms  "
            f"min {min(times):7.1f}  max {max(times):7.1f}  (n={len(times)})")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--delays", nargs="+", default=["200,200", "10,10"])
    parser.add_argument("--before", help="an earlier pinrow.exe to compare")
    args = parser.parse_args()
    session = harness.session()
    presser = editor.Presser(session)
    notepad = editor.start_notepad(session)
    try:
        for pair in args.delays:
            delays = tuple(int(v) for v in pair.split(","))
            print(f"Delay0={delays[0]} Delay1={delays[1]} "
                  f"(timer {TIMER_MS} ms):")
            builds = [("pinrow", None)]
            if args.before:
                builds.append(("before", args.before))
            for name, exe in builds:
                bar, base = measure(session, presser, delays, args.rounds, exe)
                print("  " + describe(name, bar))
                print("  " + describe("baseline", base))
                print(f"  {name} minus baseline, difference of medians: "
                      f"{statistics.median(bar) - statistics.median(base):+.1f}"
                      f" ms")
    finally:
        editor.stop_process(notepad)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""The settings dialog under Wine against its floor: a real click on the
bar's settings button until the dialog's window is visible, and the same
click on dialog_floor.exe (a bare program with the app's manifest that makes
the same windows as the dialog's first page and shows them centred), turn
about in one Wine session; then a real click on the list's scroll bar, on
"登録" and on "削除" with 30 buttons until the grid shows the change; and the
bar's own start-up against the bare baseline.exe. Run on demand after the
windows build:

    python3 tests/bench/dialog_bench.py [--rounds N] [--exe OTHER/pinrow.exe]
    python3 tests/bench/dialog_bench.py --trace build/trace/pinrow.exe

--exe measures another build's dialog (an earlier one) against the same
floor. --trace takes a build configured with -DPINROW_TRACE=ON and prints,
for each of its marks, the median milliseconds from the click's release.
"""
import argparse
import statistics
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import editor  # noqa: E402
import harness  # noqa: E402
import startup_bench  # noqa: E402

FLOOR = ("Floor", "FloorDialog")  # the floor's bar and dialog titles
DIALOG = ("Pinrow", "設定")


def opening(bar_title, dialog_title):
    """Presser steps: a click on the bar's corner button, the window shown
    (timed from the click's release), closed again with Esc."""
    return ["window", bar_title, "clickpic", 0, 0,
            "window", dialog_title, "waitwin", 10000,
            "keys", "escape", "waitgone", 10000]


def start_bar(session, exe=None):
    app = (harness.AppFolder(session.run_dir / "app-dialog", exe)
           if exe else session.new_app())
    bar = session.start_bar(app)
    bar.wait_shown()
    return app, bar


def open_times(session, rounds, exe=None):
    """Milliseconds from the release of the click to the visible window,
    {"dialog": [...], "floor": [...]}, after one warm-up opening of each;
    the dialog and the floor take turns in every round."""
    _, bar = start_bar(session, exe)
    floor = session.start_program(session.new_app("dialog_floor.exe"),
                                  title=FLOOR[0])
    floor.wait_shown()
    presser = editor.Presser(session)
    script = []
    for _ in range(rounds + 1):
        script += opening(*DIALOG) + opening(*FLOOR)
    try:
        result = presser.run(*script, timeout=60 + 10 * rounds)
    finally:
        bar.kill()
        floor.kill()
    if not result.ok:
        raise harness.HarnessError(result.error)
    times = result.numbers("shown_since_release_ms")
    return {"dialog": times[2::2], "floor": times[3::2]}


def trace_times(session, rounds, exe):
    """The trace build's marks in each opening after a warm-up one: a list
    of [(mark, ms from the click's release), ...] per opening."""
    app, bar = start_bar(session, exe)
    presser = editor.Presser(session)
    try:
        result = presser.run(*opening(*DIALOG) * (rounds + 1),
                             timeout=60 + 10 * rounds)
    finally:
        bar.kill()
    if not result.ok:
        raise harness.HarnessError(result.error)
    releases = [float(v) for v in result.values("release_counter_ms")]
    openings = [[] for _ in releases]
    for line in app.file("pinrow-trace.txt").read_text().splitlines():
        name, at = line.split("\t")
        at = float(at)
        # The opening a mark belongs to: the last click released before it.
        i = sum(1 for r in releases if r <= at) - 1
        if i >= 0:
            openings[i].append((name, at - releases[i]))
    return openings[1:]


def report_trace(exe, openings):
    """Each mark's median time from the release, and the median time since
    the mark before it in the same opening."""
    print(f"marks of {exe} in {len(openings)} openings, medians, ms:")
    print(f"  {'from release':>12}  {'step':>7}  mark")
    names = [name for name, _ in openings[0]]
    for k, name in enumerate(names):
        at = [o[k][1] for o in openings if len(o) > k and o[k][0] == name]
        step = [o[k][1] - (o[k - 1][1] if k else 0) for o in openings
                if len(o) > k and o[k][0] == name]
        print(f"  {statistics.median(at):12.2f}  {statistics.median(step):7.2f}"
              f"  {name}")


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


def spread(times):
    q1, mid, q3 = statistics.quantiles(times, n=4)
    return f"median {mid:5.1f} ms (quartiles {q1:5.1f}-{q3:5.1f})"


def report_openings(times):
    dialog, floor = times["dialog"], times["floor"]
    print(f"click (release) to visible, {len(dialog)} rounds, turn about:")
    print(f"  settings dialog  {spread(dialog)}")
    print(f"  floor            {spread(floor)}")
    ratios = [d / f for d, f in zip(dialog, floor)]
    print(f"  dialog / floor: {statistics.median(dialog) / statistics.median(floor):.2f} "
          f"(ratio of the medians); round by round, median "
          f"{statistics.median(ratios):.2f}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=21)
    parser.add_argument("--exe", help="another build's pinrow.exe to open")
    parser.add_argument("--trace", help="a pinrow.exe built with PINROW_TRACE")
    parser.add_argument("--openings-only", action="store_true",
                        help="skip the list actions and the start-up")
    args = parser.parse_args()
    session = harness.session()
    if args.trace:
        report_trace(args.trace, trace_times(session, args.rounds, args.trace))
        return
    report_openings(open_times(session, args.rounds, args.exe))
    if args.openings_only:
        return
    for name, ms in list_times(session, max(3, args.rounds // 5)).items():
        print(f"grid with 30 buttons, click on {name} to the change shown: "
              f"median {statistics.median(ms):.1f} ms, worst {max(ms):.1f} ms")
    startup_bench.report(session, startup_bench.measure(session, 9))


if __name__ == "__main__":
    main()

"""What "選択した文字列をタグで囲む" adds to a press with nothing selected.

Runs on demand (not part of the test suite):

    python3 tests/bench/wrap_bench.py [--rounds N] [--blocks N]
                                      [--delays 200,200 10,10]

For each pair of waits it starts the bar with the option off, then with it
on, in turns (--blocks times each). In every round, notepad is emptied and
the bar's "UL" button pressed with a real click; the time from the mouse
press until notepad holds the start tag is measured inside Wine by
presser.exe. A second press closes the element again (not timed), so every
timed press is one that asks notepad for its selection when the option is
on. Notepad copies nothing with nothing selected, so the press waits out
the whole wait for a copy. A third bar, the option on, times presses with
a word selected until notepad holds it wrapped. Prints the medians.
"""

import argparse
import statistics
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))

import editor  # noqa: E402
from editor import UL_END, UL_START  # noqa: E402


def rounds_script(rounds, selected):
    """Each press is let finish (its hold, a copy's wait) before the next
    click: a click on the bar while it still holds the paste keys is not
    what is measured. With `selected`, a word is selected before the
    timed press, which then wraps it."""
    script = []
    select = ["type", "word", *["keys", "shift+left"] * 4] if selected else []
    timed = UL_START + "word" + UL_END if selected else UL_START
    for _ in range(rounds):
        script += [*editor.focus_editor(), "settext", "", *select,
                   "click", "UL", *editor.wait_text("equals", timed),
                   "sleep", 600]
        if not selected:  # the button is down: close the element again
            script += [*editor.focus_editor(), "click", "UL",
                       *editor.wait_text("equals", UL_START + UL_END),
                       "sleep", 600]
    return script


def measure(session, presser, delays, wrap, selected, rounds):
    """The timed presses of one bar, milliseconds."""
    keys = dict(Delay0=delays[0], Delay1=delays[1])
    if wrap:
        keys["WrapSelection"] = -1
    app = session.new_app(files={"setup.ini": editor.setup_ini(**keys)})
    bar = session.start_bar(app)
    try:
        bar.wait_shown()
        result = presser.run(*rounds_script(rounds, selected),
                             timeout=60 + rounds * 15)
    finally:
        bar.kill()
    if not result.ok:
        raise RuntimeError(f"presser failed (option {'on' if wrap else 'off'}"
                           f"): {result.error}; text {result.last_text()!r}")
    times = result.numbers("since_click_ms")
    return times if selected else times[0::2]


def measure_again_on_failure(*args, attempts=3):
    """Under Wine on a busy machine a paste now and then types "v" (the
    Ctrl key lost as the focus settles), with the option off as well: such
    a block is run again, and said so."""
    for attempt in range(attempts):
        try:
            return measure(*args)
        except RuntimeError as failure:
            print(f"  again after: {failure}", flush=True)
    raise RuntimeError(f"{attempts} attempts failed")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--blocks", type=int, default=3)
    parser.add_argument("--delays", nargs="+", default=["200,200"])
    args = parser.parse_args()
    session = editor.harness.session()
    presser = editor.Presser(session)
    notepad = editor.start_notepad(session)
    try:
        for pair in args.delays:
            delays = tuple(int(v) for v in pair.split(","))
            kinds = {"off": (False, False), "on": (True, False),
                     "selected": (True, True)}
            times = {kind: [] for kind in kinds}
            for _ in range(args.blocks):
                for kind, (wrap, selected) in kinds.items():
                    times[kind] += measure_again_on_failure(
                        session, presser, delays, wrap, selected, args.rounds)
            median = {kind: statistics.median(t) for kind, t in times.items()}
            print(f"Delay0={delays[0]} Delay1={delays[1]} (medians of "
                  f"{len(times['on'])}): nothing selected, option off "
                  f"{median['off']:.1f} ms, on {median['on']:.1f} ms "
                  f"({median['on'] - median['off']:+.1f} ms); a word "
                  f"selected and wrapped {median['selected']:.1f} ms")
    finally:
        editor.stop_process(notepad)


if __name__ == "__main__":
    main()

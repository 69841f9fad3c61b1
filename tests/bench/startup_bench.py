#!/usr/bin/env python3
"""Start-up benchmark of pinrow.exe against the bare baseline.exe.

Both run in the same Wine session, alternately, several rounds each after
one warm-up start: the time from the process start to its first visible
window and the working set once it is shown (medians with the quartiles),
and the size of each executable. With --before, an earlier build of
pinrow.exe takes its turn in every round too, so the two builds are paired
and interleaved. "hotkeys" is pinrow.exe with the option that takes
Ctrl+Alt+1 to Ctrl+Alt+0 on: the ten registrations follow the first show,
so they weigh on the working set and the time to the end of the run, not
on the time to the window. Run on demand after the windows build:

    python3 tests/bench/startup_bench.py [--rounds N] [--before OLD.exe]
"""
import argparse
import statistics
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import harness  # noqa: E402

PROGRAMS = ["pinrow.exe", "baseline.exe"]
HOTKEYS_SETUP = "[MainForm]\r\nGTime=100\r\nHotKeys=-1\r\n"


def measure(session, rounds, before=None):
    apps = {name: session.new_app(name) for name in PROGRAMS}
    apps["hotkeys"] = session.new_app("pinrow.exe")
    apps["hotkeys"].write("setup.ini", HOTKEYS_SETUP)
    if before:
        apps["before"] = harness.AppFolder(session.run_dir / "app-before",
                                           before)
    samples = {name: [] for name in apps}
    for i in range(rounds + 1):
        for name, app in apps.items():
            result = session.launch(app)
            if result["shown_ms"] < 0 or not result["exited"]:
                raise harness.HarnessError(f"{name} did not start and end")
            if i > 0:  # the first start of each is a warm-up
                samples[name].append(result)
    return samples


def report(session, samples, before=None):
    rows = []
    for name, runs in samples.items():
        times = sorted(r["shown_ms"] for r in runs)
        q1, shown, q3 = statistics.quantiles(times, n=4)
        memory = statistics.median(r["working_set"] for r in runs) / 2**20
        exe = (Path(before) if name == "before" else
               session.tool(PROGRAMS[0] if name == "hotkeys" else name))
        rows.append((name, shown, q1, q3, times[0], memory,
                     exe.stat().st_size / 1024))
    print(f"{len(next(iter(samples.values())))} rounds, medians")
    print(f"{'program':<14}{'to visible ms':>15}{'quartiles ms':>16}"
          f"{'best ms':>10}{'working set MB':>16}{'exe KiB':>10}")
    for name, shown, q1, q3, best, memory, size in rows:
        print(f"{name:<14}{shown:>15.1f}{q1:>8.1f}-{q3:<7.1f}{best:>10.1f}"
              f"{memory:>16.1f}{size:>10.0f}")
    if "before" in samples:
        diffs = [b["shown_ms"] - a["shown_ms"] for a, b in
                 zip(samples["pinrow.exe"], samples["before"])]
        q1, mid, q3 = statistics.quantiles(diffs, n=4)
        print(f"paired, before minus now: median {mid:.1f} ms "
              f"(quartiles {q1:.1f} to {q3:.1f}) over {len(diffs)} pairs")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--before", help="an earlier pinrow.exe to pair with")
    args = parser.parse_args()
    session = harness.session()
    report(session, measure(session, args.rounds, args.before), args.before)


if __name__ == "__main__":
    main()

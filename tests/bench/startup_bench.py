#!/usr/bin/env python3
"""Start-up benchmark of pinrow.exe against the bare baseline.exe.

Both run in the same Wine session, alternately, several rounds each after
one warm-up start: the time from the process start to its first visible
window and the working set once it is shown (medians), and the size of
each executable. Run on demand after the windows build:

    python3 tests/bench/startup_bench.py [--rounds N]
"""
import argparse
import statistics
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import harness  # noqa: E402

PROGRAMS = ["pinrow.exe", "baseline.exe"]


def measure(session, rounds):
    apps = {name: session.new_app(name) for name in PROGRAMS}
    samples = {name: [] for name in PROGRAMS}
    for i in range(rounds + 1):
        for name, app in apps.items():
            result = session.launch(app)
            if result["shown_ms"] < 0 or not result["exited"]:
                raise harness.HarnessError(f"{name} did not start and end")
            if i > 0:  # the first start of each is a warm-up
                samples[name].append(result)
    return samples


def report(session, samples):
    rows = []
    for name, runs in samples.items():
        shown = statistics.median(r["shown_ms"] for r in runs)
        memory = statistics.median(r["working_set"] for r in runs) / 2**20
        size = session.tool(name).stat().st_size / 1024
        rows.append((name, shown, min(r["shown_ms"] for r in runs), memory,
                     size))
    print(f"{len(next(iter(samples.values())))} rounds, medians")
    print(f"{'program':<14}{'to visible ms':>15}{'best ms':>10}"
          f"{'working set MB':>16}{'exe KiB':>10}")
    for name, shown, best, memory, size in rows:
        print(f"{name:<14}{shown:>15.1f}{best:>10.1f}{memory:>16.1f}"
              f"{size:>10.0f}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=7)
    args = parser.parse_args()
    session = harness.session()
    report(session, measure(session, args.rounds))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Runs the end-to-end tests (tests/e2e/test_*.py) under one Wine session.

Each skip is printed as "e2e skipped: TEST: REASON" (a skipped subtest
too), and the last line is "e2e: N passed, N failed, N skipped": a test
counts once, as failed when any of its subtests failed, as skipped when it
was skipped as a whole. The exit status is non-zero when any test failed
or raised an error. Arguments select test modules or names as for
`python3 -m unittest` (default: all).
"""
import sys
import unittest
from pathlib import Path

E2E = Path(__file__).resolve().parents[1] / "tests" / "e2e"


def main(names):
    sys.path.insert(0, str(E2E))
    loader = unittest.TestLoader()
    if names:
        suite = loader.loadTestsFromNames(names)
    else:
        suite = loader.discover(str(E2E), pattern="test_*.py",
                                top_level_dir=str(E2E))
    result = unittest.TextTestRunner(verbosity=2, stream=sys.stdout).run(suite)
    failed = {getattr(t, "test_case", t).id()
              for t, _ in result.failures + result.errors} | \
        {t.id() for t in result.unexpectedSuccesses}
    # A skipped subtest leaves its test to pass or fail on the rest.
    whole = {t.id() for t, _ in result.skipped
             if not hasattr(t, "test_case")} - failed
    for test, reason in result.skipped:
        print(f"e2e skipped: {test.id()}: {reason}", flush=True)
    passed = max(0, result.testsRun - len(failed) - len(whole))
    print(f"e2e: {passed} passed, {len(failed)} failed, "
          f"{len(result.skipped)} skipped", flush=True)
    return 1 if failed or not result.testsRun else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

#!/usr/bin/env python3
"""Runs the end-to-end tests (tests/e2e/test_*.py) under one Wine session.

The last line printed is "e2e: N passed, N failed"; the exit status is
non-zero when any test failed or raised an error. Arguments select test
modules or names as for `python3 -m unittest` (default: all).
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
    # A test counts once however many of its subtests failed.
    failed = len({getattr(t, "test_case", t).id()
                  for t, _ in result.failures + result.errors} |
                 {t.id() for t in result.unexpectedSuccesses})
    passed = max(0, result.testsRun - failed - len(result.skipped))
    print(f"e2e: {passed} passed, {failed} failed", flush=True)
    return 1 if failed or not result.testsRun else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

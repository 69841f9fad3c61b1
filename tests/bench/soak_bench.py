#!/usr/bin/env python3
"""On-demand soak under Wine: 1,000 presses spread over the five default
buttons plus 20 table pastes into notepad (tests/e2e/test_soak.py with
larger counts). Prints the working set and the GDI/USER object counts after
the first 50 presses and at the end.

    python3 tests/bench/soak_bench.py [PRESSES [TABLES]]
"""
import os
import subprocess
import sys
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]

if __name__ == "__main__":
    env = dict(os.environ,
               PINROW_SOAK_PRESSES=sys.argv[1] if len(sys.argv) > 1 else "1000",
               PINROW_SOAK_TABLES=sys.argv[2] if len(sys.argv) > 2 else "20")
    sys.exit(subprocess.run(
        [sys.executable, str(REPO / "scripts" / "run_e2e.py"), "test_soak"],
        env=env).returncode)

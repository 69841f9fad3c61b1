#!/usr/bin/env bash
# Builds everything and runs every test: the native build with the unit
# tests (ctest), the unit tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer with a short run of each fuzz target (clang),
# the Windows build, then the end-to-end tests under Wine/Xvfb. Installs what is missing first. Exits non-zero on any failure;
# the line before the last names every skipped test with its reason, and
# the last line is the summary "N passed, N failed" over all tests (a
# skipped test counts in neither).
set -uo pipefail
cd "$(dirname "$0")/.."

LOG_DIR=build/test-logs
passed=0
failed=0

# Adds the "N passed, N failed" of a step's last matching line.
count() {
  local p f
  p=$(sed -n 's/.* \([0-9]\+\) passed, \([0-9]\+\) failed.*/\1/p' "$1" | tail -1)
  f=$(sed -n 's/.* \([0-9]\+\) passed, \([0-9]\+\) failed.*/\2/p' "$1" | tail -1)
  passed=$((passed + ${p:-0}))
  failed=$((failed + ${f:-0}))
}

# Runs a ctest preset, with a JUnit report that keeps the reasons of skips;
# adds its passed (skips left out) and failed tests.
run_ctest() {
  local log="$LOG_DIR/ctest-$1.log" total bad skipped
  rm -f "$LOG_DIR/ctest-$1.xml"
  ctest --preset "$1" -j2 --output-junit "$PWD/$LOG_DIR/ctest-$1.xml" 2>&1 |
    tee "$log"
  # ctest: "97% tests passed, 1 tests failed out of 40", a skip counted as
  # passed and listed as "NN - Name (Skipped)".
  total=$(sed -n 's/.*tests failed out of \([0-9]\+\).*/\1/p' "$log")
  bad=$(sed -n 's/.*passed, \([0-9]\+\) tests failed out of.*/\1/p' "$log")
  skipped=$(grep -c '(Skipped)$' "$log")
  if [ -z "$total" ]; then
    step_failed "ctest --preset $1"
  else
    passed=$((passed + total - bad - skipped))
    failed=$((failed + bad))
  fi
}

# A step that cannot run its tests (a failed build) counts as one failure.
step_failed() {
  echo "test.sh: $1 failed" >&2
  failed=$((failed + 1))
}

if ! bash scripts/deps.sh; then
  step_failed "installing the dependencies"
  echo "$passed passed, $failed failed"
  exit 1
fi
mkdir -p "$LOG_DIR"
rm -f "$LOG_DIR"/e2e.log

echo "== native build and unit tests"
if cmake --preset linux >/dev/null && cmake --build --preset linux -j2; then
  run_ctest linux
else
  step_failed "the native build"
fi

echo "== unit tests under the sanitizers, short fuzz runs"
if cmake --preset sanitize >/dev/null && cmake --build --preset sanitize -j2; then
  run_ctest sanitize
  # Each target counts as one test; about 30 s each.
  bash scripts/fuzz.sh 30 --no-build 2>&1 | tee "$LOG_DIR/fuzz.log"
  if grep -q '^fuzz: [0-9]* passed, [0-9]* failed' "$LOG_DIR/fuzz.log"; then
    count "$LOG_DIR/fuzz.log"
  else
    step_failed "the fuzz run"
  fi
else
  step_failed "the sanitizer build"
fi

echo "== Windows build"
if cmake --preset windows >/dev/null && cmake --build --preset windows -j2; then
  echo "== end-to-end tests under Wine"
  timeout -k 30 1500 python3 scripts/run_e2e.py 2>&1 | tee "$LOG_DIR/e2e.log"
  if grep -q '^e2e: [0-9]* passed, [0-9]* failed' "$LOG_DIR/e2e.log"; then
    count "$LOG_DIR/e2e.log"
  else
    step_failed "the end-to-end run"
  fi
else
  step_failed "the Windows build"
fi

python3 scripts/skips.py "$LOG_DIR"/ctest-linux.xml \
  "$LOG_DIR"/ctest-sanitize.xml "$LOG_DIR"/e2e.log
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

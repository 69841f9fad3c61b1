#!/usr/bin/env bash
# Runs the libFuzzer targets of the "sanitize" preset (clang with
# AddressSanitizer and UndefinedBehaviorSanitizer), each for SECONDS
# (default 600), from the corpus kept in tests/fuzz/corpus/NAME plus what
# earlier runs found (build/sanitize/corpus-NAME). Each target checks its
# own properties; a broken property, crash, hang (10 s per input), leak or
# sanitizer report fails it and leaves the input in build/sanitize/.
#
#   scripts/fuzz.sh [SECONDS] [--no-build] [TARGET...]
#
# Prints one line per target with its executions, and last
# "fuzz: N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=600
build=1
targets=()
for arg in "$@"; do
  case "$arg" in
    --no-build) build=0 ;;
    [0-9]*) seconds=$arg ;;
    *) targets+=("$arg") ;;
  esac
done
[ "${#targets[@]}" -gt 0 ] || targets=(tag_file setup_file)

BUILD=build/sanitize
if [ "$build" -eq 1 ]; then
  cmake --preset sanitize >/dev/null && cmake --build --preset sanitize -j2 ||
    { echo "fuzz: 0 passed, ${#targets[@]} failed"; exit 1; }
fi

passed=0
failed=0
for name in "${targets[@]}"; do
  exe=$BUILD/${name}_fuzz
  corpus=$BUILD/corpus-$name
  log=$BUILD/fuzz-$name.log
  mkdir -p "$corpus"
  (cd "$BUILD" && "./${name}_fuzz" -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 \
      -dict="../../tests/fuzz/$name.dict" "corpus-$name" \
      "../../tests/fuzz/corpus/$name") >"$log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [ "$rc" -eq 0 ] && [ -x "$exe" ]; then
    echo "fuzz $name: ${runs:-?} executions in $seconds s, no finding"
    passed=$((passed + 1))
  else
    echo "fuzz $name: FAILED (exit $rc) after ${runs:-?} executions; see $log"
    grep -m5 -E 'property broken|ERROR: |SUMMARY: |runtime error' "$log"
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each one.
#   scripts/fuzz.sh --ci        about 20 seconds per target (scripts/test.sh uses this)
#   scripts/fuzz.sh [seconds]   that long per target (default 300)
# Exits non-zero when the build fails or a target reports a finding (a crash, a sanitizer
# report, a broken invariant, a time-out); the input is kept in <build>/artifacts/.
# FUZZ_BUILD_DIR names the build directory (default build/fuzz); inputs found while
# fuzzing collect in <build>/corpus/, the committed seeds in tests/fuzz/corpus/ stay as
# they are.
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=300
case "${1:-}" in
  --ci) seconds=20 ;;
  "") ;;
  *[!0-9]*) echo "usage: $0 [--ci | seconds]" >&2; exit 2 ;;
  *) seconds=$1 ;;
esac
build=${FUZZ_BUILD_DIR:-build/fuzz}

mkdir -p "$build"
cmake -S tests/fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$build/configure.log" 2>&1 \
  || { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j2 || exit 1

status=0
mkdir -p "$build/artifacts"
for source in tests/fuzz/*_fuzz.cpp; do
  target=$(basename "$source" .cpp)
  seeds="tests/fuzz/corpus/${target%_fuzz}"
  work="$build/corpus/${target%_fuzz}"
  mkdir -p "$work"
  echo "== $target: ${seconds}s"
  "$build/$target" "$work" "$seeds" -max_total_time="$seconds" -timeout=10 -max_len=16384 \
    -rss_limit_mb=2048 -artifact_prefix="$build/artifacts/$target-" -print_final_stats=1 \
    >"$build/$target.log" 2>&1
  rc=$?
  grep -E '^stat::number_of_executed_units|^stat::new_units_added' "$build/$target.log" | tr '\n' ' '
  echo
  if [ $rc -ne 0 ]; then
    echo "FINDING in $target (exit $rc):"
    tail -n 40 "$build/$target.log"
    status=1
  fi
done
exit $status

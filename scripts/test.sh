#!/usr/bin/env bash
# Sets up a fresh machine, builds the presets and runs every test (the native unit tests
# under AddressSanitizer and UndefinedBehaviorSanitizer; the benchmarks are only built).
# Exits non-zero when anything fails.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh || exit 1

status=0
step() { echo "== $*"; "$@" || { echo "FAILED: $*"; status=1; }; }

for preset in native native-bench win64 win32; do
  step cmake --preset "$preset" >/dev/null
  step cmake --build --preset "$preset"
done
[ -x scripts/fuzz.sh ] && step bash scripts/fuzz.sh --ci
step ctest --preset win32
step bash scripts/with-wine.sh ctest --preset win64
step ctest --preset native
exit $status

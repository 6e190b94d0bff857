#!/usr/bin/env bash
# run-ctest.sh PRESET: runs one CTest preset with its output in build/logs/ctest-PRESET.log and
# prints CTest's summary; on a failure, the failing tests and their output too.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
preset="$1"
mkdir -p build/logs
log="build/logs/ctest-$preset.log"
if ctest --preset "$preset" -j "${JOBS:-2}" >"$log" 2>&1; then
    grep -E 'tests passed|Total Test time' "$log"
else
    code=$?
    sed -n '/The following tests FAILED/,$p' "$log"
    grep -E -B40 '\*\*\*Failed|\(Failed\)|Exception|\(Timeout\)' "$log" | tail -n 200 || true
    grep -E 'tests passed|Total Test time' "$log" || tail -n 30 "$log"
    exit "$code"
fi

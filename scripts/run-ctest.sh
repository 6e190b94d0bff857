#!/usr/bin/env bash
# run-ctest.sh PRESET: runs one CTest preset with its output in build/logs/ctest-PRESET.log and
# prints CTest's summary; on a failure, the failing tests and their output too.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
preset="$1"
mkdir -p build/logs
log="build/logs/ctest-$preset.log"
# "100% tests passed, 0 tests failed out of 57" and the "(Skipped)" lines of "The following
# tests did not run" -> "passed failed skipped 0" for the closing total of make test (CTest
# itself counts a skipped test among the passed). No test is ever rerun here.
record_counts() {
    sed -n '/The following tests did not run/,/^$/p' "$log" | sed -n 's/^ *[0-9]* - \(.*\) (Skipped)$/\1/p' \
        >"build/logs/skipped-$preset"
    local skipped
    skipped="$(wc -l <"build/logs/skipped-$preset")"
    sed -n 's/.*tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\).*/\2 \1/p' "$log" |
        awk -v skipped="$skipped" '{print $1 - $2 - skipped, $2, skipped, 0}' >"build/logs/counts-$preset"
}
if ctest --preset "$preset" -j "${JOBS:-2}" >"$log" 2>&1; then
    record_counts
    grep -E 'tests passed|Total Test time' "$log"
else
    code=$?
    record_counts
    sed -n '/The following tests FAILED/,$p' "$log"
    grep -E -B40 '\*\*\*Failed|\(Failed\)|Exception|\(Timeout\)' "$log" | tail -n 200 || true
    grep -E 'tests passed|Total Test time' "$log" || tail -n 30 "$log"
    exit "$code"
fi

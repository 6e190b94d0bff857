#!/usr/bin/env bash
# The closing lines of `make test`: the count of each stage and, last, the total as
# "N passed, N failed". Reads build/logs/counts-* ("passed failed"), written by the stages.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
total_passed=0
total_failed=0
for stage in "$@"; do
    file="build/logs/counts-$stage"
    if [[ ! -s "$file" ]]; then
        echo "   $stage: no result"
        total_failed=$((total_failed + 1))
        continue
    fi
    read -r passed failed <"$file"
    echo "   $stage: $passed passed, $failed failed"
    total_passed=$((total_passed + passed))
    total_failed=$((total_failed + failed))
done
echo "$total_passed passed, $total_failed failed"
((total_failed == 0))

#!/usr/bin/env bash
# The closing lines of `make test`: the count of each stage, every skipped and every rerun case
# by name, the number of reruns and, last, the total as "N passed, N failed, N skipped". Reads
# build/logs/counts-* ("passed failed skipped reruns"), skipped-* and reruns-* (one case a
# line), written by the stages.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
total_passed=0
total_failed=0
total_skipped=0
total_reruns=0
for stage in "$@"; do
    file="build/logs/counts-$stage"
    if [[ ! -s "$file" ]]; then
        echo "   $stage: no result"
        total_failed=$((total_failed + 1))
        continue
    fi
    read -r passed failed skipped reruns <"$file"
    skipped=${skipped:-0}
    reruns=${reruns:-0}
    echo "   $stage: $passed passed, $failed failed, $skipped skipped, $reruns rerun"
    total_passed=$((total_passed + passed))
    total_failed=$((total_failed + failed))
    total_skipped=$((total_skipped + skipped))
    total_reruns=$((total_reruns + reruns))
done
for stage in "$@"; do
    for kind in skipped reruns; do
        file="build/logs/$kind-$stage"
        [[ -s "$file" ]] || continue
        while IFS= read -r name; do
            echo "   $kind ($stage): $name"
        done <"$file"
    done
done
echo "   reruns: $total_reruns"
echo "$total_passed passed, $total_failed failed, $total_skipped skipped"
((total_failed == 0))

#!/usr/bin/env bash
# Runs the Windows tests under Wine, in a throwaway prefix (see scripts/wine-lib.sh):
#   1. tavrine_win_tests.exe: the portable GoogleTest suite plus the tests against the real
#      registry and cmd.exe; each GoogleTest case counts as one test.
#   2. every tests/wine/*.sh, in name order; each script counts as one test.
#
# Contract for a tests/wine/NN-name.sh script:
#   - it is run as `bash script` with the current folder at the repository root and these
#     variables exported: WINEPREFIX, TAVRINE_BIN (unix path of C:\tavrine, where every built
#     .exe is), TAVRINE_ARTIFACTS (build/artifacts: keep screenshots and logs there), DISPLAY
#     (Xvfb), TAVRINE_WINE_READY=1;
#   - it starts with
#         source "$(dirname "$0")/../../scripts/wine-lib.sh"
#         wine_sandbox_ensure
#     which reuses this prefix (and builds one when the script is run by hand);
#   - it uses win_run / win_cmd / win_reg / win_reg_query / win_reg_value and the expect_*
#     helpers, ends with `wine_test_done`, and passes by exiting 0;
#   - scripts share one prefix and run in name order, so a script must not depend on state
#     another left behind, and should leave the registry as a later script expects to find it.
#   - a check it cannot make prints "  SKIP  <reason>": the script then counts as skipped, not
#     passed, and is named in the closing summary of make test.
# The last line printed is "N passed, N failed, N skipped"; the counts, the skipped cases and
# the reruns go to build/logs (counts-wine, skipped-wine, reruns-wine) for make test's summary.
# The exit code is non-zero on any failure.
set -euo pipefail

self="$(realpath "${BASH_SOURCE[0]}")"
cd "$(dirname "$self")/.."
# shellcheck source=scripts/wine-lib.sh
source scripts/wine-lib.sh
wine_sandbox_enter "$self" "$@"

passed=0
failed=0
skipped=0
reruns=0
failed_names=()
skipped_names=()
rerun_names=()

echo "== Wine sandbox: $WINEPREFIX"
wine_sandbox_up
echo "   sealed (C: only, no links to the host), display $DISPLAY"

echo "== tavrine_win_tests.exe"
log="$TAVRINE_ARTIFACTS/tavrine_win_tests.log"

# Runs the runner once into $log, with extra GoogleTest options; sets runner_code.
run_runner() {
    set +e
    # It takes well under a minute; a hang must leave time for the scripts.
    GTEST_COLOR=no TAVRINE_WIN_TIMEOUT="${TAVRINE_RUNNER_TIMEOUT:-240}" win_run tavrine_win_tests.exe --gtest_color=no "$@" >"$log" 2>&1
    runner_code=$?
    set -e
}
runner_summary() { # "passed failed skipped", empty fields when the runner printed no summary
    local p f s
    p="$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\..*/\1/p' "$log" | tail -n1)"
    f="$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\{0,1\}, listed below.*/\1/p' "$log" | tail -n1)"
    s="$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\{0,1\}, listed below.*/\1/p' "$log" | tail -n1)"
    echo "${p:-}|${f:-}|${s:-}"
}

# The stacks the runner printed for a worker that never ended, its own frames named from the
# executable's symbol table (the nearest symbol at or below each address; Wine's debugger
# cannot read MinGW's symbols).
print_runner_stacks() {
    grep -q '^thread stacks of this process' "$log" || return 0
    local exe="$TAVRINE_WIN_BUILD/tests/tavrine_win_tests.exe" symbols="$TAVRINE_WINE_ROOT/runner-symbols.txt"
    x86_64-w64-mingw32-nm -C -n --defined-only "$exe" 2>/dev/null | grep -E '^[0-9a-f]+ [TtWw] [^.]' >"$symbols" || true
    echo "   stacks of the runner's threads when a worker outlived its wait:"
    sed -n '/^thread stacks of this process/,/^\[/p' "$log" | while IFS= read -r line; do
        if [[ "$line" =~ 0x0*([0-9a-f]+)\ in\ tavrine_win_tests ]] && [[ -s "$symbols" ]]; then
            line="$line  $(awk -v at="$(printf '%016x' "0x${BASH_REMATCH[1]}")" \
                '$1 <= at { name = substr($0, 20) } $1 > at { exit } END { print name }' "$symbols")"
        fi
        echo "   | $line"
    done | head -n 200
}

# The two host-link cases need a link made from the host: 30-cleanup.sh makes one and runs them
# with it, so here they are left out rather than counted as skips.
runner_args=()
[[ -n "${GTEST_FILTER:-}" ]] || runner_args=(--gtest_filter='-RealFiles.a_link_made_from_the_host_is_*')
run_runner "${runner_args[@]}"
# One rerun, and only when Wine never started the runner (no GoogleTest banner at all): a cause
# outside the program. A failed case, a hang or a worker that never ended is a result, not
# rerun; the runner prints every thread's stack when a worker outlives its wait.
if ! grep -q '^\[==========\] Running' "$log"; then
    cp "$log" "$TAVRINE_ARTIFACTS/tavrine_win_tests.first.log"
    echo "   Wine did not start the runner (exit code $runner_code); last lines:"
    tail -n 12 "$log" | sed 's/^/   | /'
    echo "   RERUN: starting it once more"
    reruns=$((reruns + 1))
    rerun_names+=("tavrine_win_tests.exe (Wine did not start it, exit code $runner_code)")
    run_runner "${runner_args[@]}"
fi
IFS="|" read -r gtest_passed gtest_failed gtest_skipped <<<"$(runner_summary)" || true
grep -E '^\[==========\] [0-9]+ tests? from .* ran|^\[  (PASSED|FAILED|SKIPPED) +\] [0-9]+ test' "$log" || true
if [[ -z "${gtest_passed:-}" && -z "${gtest_failed:-}" ]]; then
    echo "   the runner ended without a summary (exit code $runner_code); last lines:"
    tail -n 60 "$log" | sed 's/^/   | /'
    failed=$((failed + 1))
    failed_names+=("tavrine_win_tests.exe (no summary, exit code $runner_code)")
else
    passed=$((passed + ${gtest_passed:-0}))
    failed=$((failed + ${gtest_failed:-0}))
    skipped=$((skipped + ${gtest_skipped:-0}))
    while IFS= read -r name; do
        skipped_names+=("tavrine_win_tests.exe: $name")
    done < <(sed -n 's/^\[  SKIPPED \] \([A-Za-z0-9_]*\.[A-Za-z0-9_/]*\).*/\1/p' "$log" | sort -u)
    if ((runner_code != 0)) && [[ -z "${gtest_failed:-}" ]]; then
        echo "   the runner exited with $runner_code after its summary"
        failed=$((failed + 1))
        failed_names+=("tavrine_win_tests.exe (exit $runner_code)")
    fi
    if [[ -n "${gtest_failed:-}" ]]; then
        sed -n '/^\[  FAILED  \] .*listed below/,$p' "$log" | sed 's/^/   /'
        grep -B2 -A12 -E '^.*: Failure$|a worker never ended' "$log" | head -n 160 | sed 's/^/   | /' || true
        print_runner_stacks
        failed_names+=("tavrine_win_tests.exe: $gtest_failed case(s)")
    fi
fi

shopt -s nullglob
for script in tests/wine/*.sh; do
    name="$(basename "$script")"
    # While iterating: TAVRINE_WINE_ONLY=PATTERN runs only the scripts whose name matches
    # (a shell pattern, "none" for none); GTEST_FILTER narrows the runner as usual.
    if [[ -n "${TAVRINE_WINE_ONLY:-}" && "$name" != $TAVRINE_WINE_ONLY ]]; then
        continue
    fi
    echo "== $name"
    start=$SECONDS
    script_log="$TAVRINE_LOGS/wine-${name%.sh}.log"
    mkdir -p "$TAVRINE_LOGS"
    status=0
    bash "$script" 2>&1 | tee "$script_log" || status=$?
    # A key pressed again because the foreground moved under it ("  RETRY  reason") is a retry.
    while IFS= read -r retry; do
        reruns=$((reruns + 1))
        rerun_names+=("$name: ${retry#  RETRY  }")
    done < <(grep '^  RETRY  ' "$script_log" || true)
    if ((status == 0)); then
        # A check a script could not make ("  SKIP  reason") makes the script skipped, not passed.
        if grep -q '^  SKIP  ' "$script_log"; then
            skipped=$((skipped + 1))
            skipped_names+=("$name: $(grep -m1 '^  SKIP  ' "$script_log" | sed 's/^  SKIP  //')")
            echo "   skipped in part ($((SECONDS - start)) s)"
        else
            passed=$((passed + 1))
            echo "   passed ($((SECONDS - start)) s)"
        fi
    else
        failed=$((failed + 1))
        failed_names+=("$name")
        echo "   FAILED ($((SECONDS - start)) s)"
    fi
done

# A program that crashed anywhere in the stage fails it, whatever its checks said.
if [[ -s "$TAVRINE_BIN/crashes.txt" ]]; then
    echo "== a program crashed under Wine (the whole report: $TAVRINE_LOGS/wine-crashes.txt)"
    tr -d '\r' <"$TAVRINE_BIN/crashes.txt" >"$TAVRINE_LOGS/wine-crashes.txt"
    grep -E '^Unhandled exception|^=>|^  [0-9]+ 0x|<==' "$TAVRINE_LOGS/wine-crashes.txt" | head -n 40 | sed 's/^/   | /'
    failed=$((failed + 1))
    failed_names+=("a program crashed under Wine")
fi

if ((${#failed_names[@]} > 0)); then
    echo "failures: ${failed_names[*]}"
fi
mkdir -p "$TAVRINE_LOGS"
echo "$passed $failed $skipped $reruns" >"$TAVRINE_LOGS/counts-wine"
printf '%s\n' "${skipped_names[@]}" | sed '/^$/d' >"$TAVRINE_LOGS/skipped-wine"
printf '%s\n' "${rerun_names[@]}" | sed '/^$/d' >"$TAVRINE_LOGS/reruns-wine"
echo "$passed passed, $failed failed, $skipped skipped"
((failed == 0))

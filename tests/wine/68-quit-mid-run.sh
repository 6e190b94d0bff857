#!/usr/bin/env bash
# Quitting from the window while a run is under way. Delete with another program in front is
# that program's key: Tavrine keeps running. Then an "All" run started from the Overview and
# Delete with the window in front: the step under way finishes, the program ends with exit code
# 0, the run's history ends "stopped after step N of M", and "tavrine-cli apply undo" takes back
# what the finished steps changed. Wine's crash dialog is off while it runs: a crash on the way
# out ends the program (a failure, its backtrace kept in build/artifacts/) instead of hanging.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-lib.sh"
wine_sandbox_ensure
source "$(dirname "$0")/../../scripts/window-lib.sh"

window_check_setup quit-mid-run

mouse_key='HKCU\Control Panel\Mouse'
win_reg add "$mouse_key" /v MouseSpeed /t REG_SZ /d 1 /f >/dev/null
history_dir="$WINEPREFIX/drive_c/ProgramData/Tavrine/history"
all_runs() { find "$history_dir" -maxdepth 1 -name '*-all.txt' 2>/dev/null | sort || true; }
runs_before="$(all_runs)"

export TAVRINE_WINDOW_LOG="$work/window-output.txt"
window_launch

# Another program in front: the helper's own window takes the foreground, then Delete.
away_code=0
win_run tavrine-test-send-keys.exe away key Delete wait 300 >/dev/null 2>&1 || away_code=$?
expect_eq "Delete is sent with another window in front" 0 "$away_code"
sleep 2
still_there=no
xdotool search --onlyvisible --name '^Tavrine Optimiser$' >/dev/null 2>&1 && window_process_pid >/dev/null &&
    still_there=yes
expect_eq "Delete in another program leaves Tavrine running" yes "$still_there"

# "Run optimiser": the Overview's action button (220 x 42), 132 below the page's top.
click_at $((wx + 350)) $((wy + 177))
new_run() { comm -13 <(echo "$runs_before") <(all_runs) | grep -q .; }
if ! wait_until 30 new_run; then
    echo "  FAIL  no \"all\" run started within 30 s of the click"
    window_stop
    exit 1
fi
run_file="$(comm -13 <(echo "$runs_before") <(all_runs) | tail -n1)"
sleep 5 # a few steps in (a whole run takes over a minute here)

started_ms=$(($(date +%s%N) / 1000000))
window_key Delete || {
    echo "  FAIL  the main window could not be brought to the foreground for Delete"
    _tw_failures=$((_tw_failures + 1))
}
# The step under way finishes first; a step's commands wait at most 60 s each.
if code="$(window_wait_exit 120)"; then
    echo "  ok    the program ended $(($(date +%s%N) / 1000000 - started_ms)) ms after Delete"
    expect_eq "exit code after Delete mid-run" 0 "$code"
    if [[ "$code" != 0 ]]; then
        cp "$TAVRINE_WINDOW_LOG" "$TAVRINE_ARTIFACTS/quit-mid-run-output.txt"
        echo "   its output, a crash's backtrace included: $TAVRINE_ARTIFACTS/quit-mid-run-output.txt"
        grep -A40 -m1 'Unhandled\|Backtrace' "$TAVRINE_WINDOW_LOG" | head -n 60 | sed 's/^/     /' || true
    fi
else
    echo "  FAIL  the program was still running 120 s after Delete mid-run"
    _tw_failures=$((_tw_failures + 1))
    echo "   its history ends: $(tail -n1 "$run_file" | tr -d '\r')"
    echo "   the window is $(xdotool search --onlyvisible --name '^Tavrine Optimiser$' >/dev/null 2>&1 || echo "not ")shown"
    shot "$TAVRINE_ARTIFACTS/quit-mid-run-stuck.png" || true
    echo "   processes under it:"
    pstree -pa "$_window_pid" 2>/dev/null | sed 's/^/     /' || true
    window_stop
fi
last_line="$(tail -n1 "$run_file" | tr -d '\r')"
expect_contains "the run's history ends \"stopped after\"" $'END\tstopped after step ' "$last_line"

set +e
undone="$(win_run tavrine-cli.exe apply undo)"
undo_code=$?
set -e
expect_eq "apply undo after the stopped run exits 0" 0 "$undo_code"
expect_contains "apply undo takes back the stopped run" "Undid $(basename "$run_file" .txt)" "$undone"
expect_eq "MouseSpeed is the user's own again" "REG_SZ 1" "$(win_reg_value "$mouse_key" MouseSpeed || true)"

wine_test_done

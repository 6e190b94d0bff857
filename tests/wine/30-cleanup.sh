#!/usr/bin/env bash
# "Temp files" on real files: a temp tree in the prefix user's %TEMP% with plain, nested and
# read-only files, a protected "NVIDIA" shader cache, a file held open by another program and
# a link (made from the host with ln -s, since Wine cannot make one) to a folder outside the
# tree that holds a canary. `plan cleanup` sums the deletions up and deletes nothing; `apply
# cleanup` (Competitive arms "Temp files") empties the tree of files, keeps every folder, the
# shader cache, the held file and the link, and never reaches the canary. Then, with the user's
# TEMP and TMP set to C:\ProgramData and a cmd.exe planted in the current folder, a second apply
# leaves ProgramData alone and never runs the planted program.
# The link points at a folder inside the prefix's C: drive, never out of the prefix.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-lib.sh"
wine_sandbox_ensure

# A C:\ path of the prefix as a host path (the prefix has no other drive).
host_path() {
    local rest="${1#[Cc]:\\}"
    echo "$WINEPREFIX/drive_c/${rest//\\//}"
}

temp_win="$(win_cmd echo %TEMP%)"
temp_win="${temp_win%%[[:space:]]}"
[[ "$temp_win" == [Cc]:\\?* ]] || { echo "  FAIL  %TEMP% is not on C: ($temp_win)"; exit 1; }
check_win="$temp_win\\tavrine-cleanup-check"
check="$(host_path "$check_win")"
outside="$WINEPREFIX/drive_c/tavrine-cleanup-outside"
# Everything this script makes and removes must lie inside the prefix's C: drive.
case "$(realpath -m "$check")" in
"$(realpath -m "$WINEPREFIX/drive_c")"/?*) ;;
*) echo "  FAIL  %TEMP% leads out of the prefix ($temp_win)"; exit 1 ;;
esac
hold_pid=""
program_data="$WINEPREFIX/drive_c/ProgramData/tavrine-cleanup-keep"
planted_marker="$WINEPREFIX/drive_c/tavrine-planted-ran.txt"
env_key='HKCU\Environment'
saved_temp=""
saved_tmp=""

holder_gone() { ! kill -0 "$hold_pid" 2>/dev/null; }
finish() {
    touch "$check/held.dat.release" 2>/dev/null || true
    if [[ -n "$hold_pid" ]]; then
        # The holder lets go within 50 ms of the release file; never wait on it for long.
        wait_until 10 holder_gone || true
        kill "$hold_pid" 2>/dev/null || true
        wait "$hold_pid" 2>/dev/null || true
    fi
    rm -f "$check/docs-link" # the link itself; rm -rf below would not follow it either
    rm -rf "$check" "$outside" "$program_data"
    rm -f "$TAVRINE_BIN/cmd.exe" "$planted_marker"
    [[ -n "$saved_temp" ]] && win_reg add "$env_key" /v TEMP /t REG_EXPAND_SZ /d "$saved_temp" /f >/dev/null
    [[ -n "$saved_tmp" ]] && win_reg add "$env_key" /v TMP /t REG_EXPAND_SZ /d "$saved_tmp" /f >/dev/null
    wine_sandbox_release
}
trap finish EXIT
rm -rf "$check" "$outside"

mkdir -p "$check/nested/a/b" "$check/NVIDIA/DXCache" "$outside"
echo tmp >"$check/plain.tmp"
echo deep >"$check/nested/a/b/deep.tmp"
echo ro >"$check/readonly.txt"
echo shader >"$check/NVIDIA/DXCache/cache.bin"
echo canary >"$outside/canary.txt"
ln -s "$(realpath --relative-to="$check" "$outside")" "$check/docs-link"
[[ "$(realpath "$check/docs-link")" == "$(realpath "$outside")" ]] ||
    { echo "  FAIL  the link does not lead to the canary folder"; exit 1; }
win_cmd attrib +r "$check_win\\readonly.txt" >/dev/null
expect_contains "readonly.txt is read-only" "R" "$(win_cmd attrib "$check_win\\readonly.txt" | cut -c1-12)"

# The held file: another Windows program keeps it open until told to let go.
(cd "$TAVRINE_BIN" && exec wine "C:\\tavrine\\tavrine-test-hold-file.exe" "$check_win\\held.dat" 300 \
    >/dev/null 2>&1) &
hold_pid=$!
wait_until 10 test -s "$check/held.dat" || true
expect_eq "held.dat is held open" "held" "$(cat "$check/held.dat" 2>/dev/null)"

# Wine has to show the link as a reparse point, or the check below would prove nothing; and no
# whole-file operation of the program may go through it.
set +e
link_check="$(TAVRINE_HOST_LINK="$check_win\\docs-link" GTEST_COLOR=no win_run tavrine_win_tests.exe \
    --gtest_filter='RealFiles.a_link_made_from_the_host_is_*' 2>&1)"
link_code=$?
set -e
expect_eq "the link check runs and passes" 0 "$link_code"
expect_contains "Wine lists the link as a reparse point and nothing goes through it" "[  PASSED  ] 2 tests" \
    "$link_check"
expect_not_contains "the link check was not skipped" "SKIPPED" "$link_check"

set +e
plan="$(win_run tavrine-cli.exe plan cleanup)"
plan_code=$?
set -e
expect_eq "plan cleanup exits 0" 0 "$plan_code"
expect_contains "plan sums the deletions up" "DELETE FILES " "$plan"
expect_contains "plan names the temp tree" "tavrine-cleanup-check" "$plan"
expect_not_contains "plan never reaches the canary" "canary" "$plan"
expect_eq "plan deleted nothing" "yes" \
    "$([[ -f "$check/plain.tmp" && -f "$check/nested/a/b/deep.tmp" && -f "$check/readonly.txt" ]] && echo yes || echo no)"

set +e
applied="$(win_run tavrine-cli.exe apply cleanup)"
apply_code=$?
set -e
expect_eq "apply cleanup exits 0" 0 "$apply_code"
expect_contains "apply prints the completion text" "Cleanup finished" "$applied"

gone() { [[ ! -e "$1" ]] && echo gone || echo present; }
expect_eq "plain.tmp is deleted" gone "$(gone "$check/plain.tmp")"
expect_eq "the nested file is deleted" gone "$(gone "$check/nested/a/b/deep.tmp")"
expect_eq "the read-only file is deleted" gone "$(gone "$check/readonly.txt")"
expect_eq "the nested folders stay" yes "$([[ -d "$check/nested/a/b" ]] && echo yes || echo no)"
expect_eq "the NVIDIA shader cache stays whole" present "$(gone "$check/NVIDIA/DXCache/cache.bin")"
expect_eq "the held file stays" present "$(gone "$check/held.dat")"
expect_eq "the link stays a link" yes "$([[ -L "$check/docs-link" ]] && echo yes || echo no)"
expect_eq "the canary is untouched" canary "$(cat "$outside/canary.txt" 2>/dev/null)"

# What a program without administrator rights can set: the user's TEMP, and a cmd.exe in the
# folder the elevated program starts in.
saved_temp="$(win_reg_value "$env_key" TEMP | cut -d' ' -f2-)"
saved_tmp="$(win_reg_value "$env_key" TMP | cut -d' ' -f2-)"
[[ -n "$saved_temp" && -n "$saved_tmp" ]] || { echo "  FAIL  no TEMP and TMP in $env_key"; exit 1; }
mkdir -p "$program_data"
echo keep >"$program_data/licence.dat"
rm -f "$planted_marker"
cp "$TAVRINE_BIN/tavrine-test-planted.exe" "$TAVRINE_BIN/cmd.exe"
win_reg add "$env_key" /v TEMP /t REG_SZ /d 'C:\ProgramData' /f >/dev/null
win_reg add "$env_key" /v TMP /t REG_SZ /d 'C:\ProgramData' /f >/dev/null
set +e
steered="$(win_run tavrine-cli.exe apply cleanup)"
steered_code=$?
set -e
rm -f "$TAVRINE_BIN/cmd.exe"
# The control: a new process does see the hostile TEMP, so the checks below test something.
temp_seen="$(win_cmd echo %TEMP%)"
expect_eq "a new process sees TEMP=C:\ProgramData" 'C:\ProgramData' "${temp_seen%%[[:space:]]}"
expect_eq "apply cleanup with TEMP=C:\ProgramData exits 0" 0 "$steered_code"
expect_eq "ProgramData is not emptied" keep "$(cat "$program_data/licence.dat" 2>/dev/null)"
expect_eq "the cmd.exe planted in the current folder never ran" gone "$(gone "$planted_marker")"
wine_test_done

#!/usr/bin/env bash
# Out of sight, the window costs nothing: start TavrineOptimiser.exe, minimise it and expect
# the process to use under 2 % of one core over 10 s; press F8 while it is minimised and expect
# the crosshair on the screen with the process under 10 % of a core (a still crosshair: the
# overlay's own clock runs, the window draws nothing); restore it and expect it to draw again
# (a click on the Games page and back, both titles read by OCR). CPU is the process's own CPU
# time from /proc, which a busy machine barely changes.
# Xvfb has no window manager: "xdotool windowminimize" asks one to iconify the window, which
# nothing does here, and Wine keeps a minimised window mapped on X. So tavrine-test-window.exe
# minimises, restores and asks IsIconic from inside the session (the check says when xdotool did
# nothing); F8 falls back to SendInput from there when no X key reaches the program.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-lib.sh"
wine_sandbox_ensure
source "$(dirname "$0")/../../scripts/window-lib.sh"

window_check_setup idle-shots
roaming="$(window_roaming_folder)" || {
    echo "  FAIL  no roaming folder in the prefix"
    exit 1
}
cfg="$roaming/Tavrine/crosshair.cfg"
rm -f "$cfg" # the default crosshair, off

# The overlay: a visible 360 x 360 window.
overlay_shown() {
    local id WIDTH HEIGHT
    for id in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null | grep -E '^(WIDTH|HEIGHT)=[0-9]+$')" || continue
        [[ "${WIDTH:-}" == 360 && "${HEIGHT:-}" == 360 ]] && return 0
    done
    return 1
}
minimised() { win_run tavrine-test-window.exe iconic >/dev/null 2>&1; }
restored() { ! minimised; }
# check NAME COMMAND...: passes when COMMAND succeeds.
check() {
    local name=$1
    shift
    if "$@"; then echo "  ok    $name"; else
        echo "  FAIL  $name"
        _tw_failures=$((_tw_failures + 1))
    fi
}
below() { awk -v s="$1" -v limit="$2" 'BEGIN { exit !(s < limit) }'; }
cfg_enabled_is() { [[ -f "$cfg" && "$(head -n1 "$cfg" | tr -d '\r')" == "$1" ]]; }

window_launch
pid="$(window_process_pid)" || {
    echo "  FAIL  no TavrineOptimiser.exe process under the window's launcher"
    window_stop
    exit 1
}

# [1] Minimised ------------------------------------------------------------------------------
id="$(xdotool search --onlyvisible --name '^Tavrine Optimiser$' | head -n1)"
xdotool windowminimize "$id" 2>/dev/null || true
if wait_until 3 minimised; then
    echo "  ok    minimised with xdotool windowminimize"
else
    echo "  note  xdotool windowminimize did nothing (no window manager): minimising with ShowWindow"
    win_run tavrine-test-window.exe minimise >/dev/null 2>&1 || true
fi
if wait_until 5 minimised; then
    sleep 2 # the last frames and the splash's leftovers settle
    share="$(cpu_share_over "$pid" 10)"
    check "minimised: CPU over 10 s under 2 % of a core ($share %)" below "$share" 2
else
    echo "  FAIL  the window could not be minimised"
    _tw_failures=$((_tw_failures + 1))
fi

# [2] F8 while minimised --------------------------------------------------------------------
xdotool key F8
if ! wait_until 3 cfg_enabled_is 1; then
    echo "  RETRY  F8 from X did not reach the minimised program (nothing of it has the X focus): pressing it with SendInput"
    win_run tavrine-test-window.exe key 0x77 >/dev/null 2>&1 || true
fi
if wait_until 10 overlay_shown; then
    sleep 1
    shot "$TAVRINE_ARTIFACTS/idle-crosshair-minimised.png"
    read -r screen_w screen_h < <(xdotool getdisplaygeometry)
    rgb="$(pixel_at "$TAVRINE_ARTIFACTS/idle-crosshair-minimised.png" $((screen_w / 2 + 8)) $((screen_h / 2)))"
    read -r r g b <<<"$rgb"
    check "the crosshair's green shows while the window is minimised ($rgb)" test $((g > 150 && r < 60 && b < 140)) = 1
    check "the window stays minimised" minimised
    share="$(cpu_share_over "$pid" 10)"
    check "minimised with a still crosshair: CPU over 10 s under 10 % of a core ($share %)" below "$share" 10
else
    echo "  FAIL  no crosshair within 10 s of F8 while minimised"
    _tw_failures=$((_tw_failures + 1))
fi

# [3] Restored: frames again -----------------------------------------------------------------
win_run tavrine-test-window.exe restore >/dev/null 2>&1 || true
if wait_until 10 restored; then
    sleep 1
    click_at $((wx + 100)) $((wy + 152)) # Games
    pointer_to $((wx + 1210)) $((wy + 690))
    wait_for_text 5 Games "$TAVRINE_ARTIFACTS/idle-restored-games.png" $((wx + 236)) $((wy + 36)) 400 34 ||
        true
    expect_contains "restored: a click draws the Games page" Games "$text"
    click_at $((wx + 100)) $((wy + 104)) # Overview
    pointer_to $((wx + 1210)) $((wy + 690))
    wait_for_text 5 Overview "$TAVRINE_ARTIFACTS/idle-restored.png" $((wx + 236)) $((wy + 24)) 400 46 || true
    expect_contains "restored: the Overview draws again" Overview "$text"
else
    echo "  FAIL  the window did not come back"
    _tw_failures=$((_tw_failures + 1))
fi

# F8 again, so the crosshair is saved off for the checks after this one.
window_key_until F8 5 cfg_enabled_is 0 || win_run tavrine-test-window.exe key 0x77 >/dev/null 2>&1 || true
window_quit
echo "  screenshots: $TAVRINE_ARTIFACTS/idle-*.png"
wine_test_done

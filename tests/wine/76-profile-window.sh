#!/usr/bin/env bash
# Profiles in the window: a profile written by tavrine-cli (Mouse accel and Notifications
# disarmed) is imported through the Settings page's "Import profile..." and the system's file
# dialog; the Latency page then counts 8 armed instead of 10. "Export profile..." writes the same
# selections back through the save dialog: the file equals the command line's but for its name
# and the overlays' look, which only the window exports.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-lib.sh"
wine_sandbox_ensure
source "$(dirname "$0")/../../scripts/window-lib.sh"

window_check_setup profile-window-shots
# The History card empty, so the Profile card sits at one place above it at the page's foot.
rm -rf "$WINEPREFIX/drive_c/ProgramData/Tavrine/history/"*
rm -f "$TAVRINE_BIN/lan.tavrine.json" "$TAVRINE_BIN/saved.tavrine.json"
win_run tavrine-cli.exe profile export lan.tavrine.json --disarm 'Mouse accel' --disarm 'Notifications' >/dev/null

window_launch

# Settings (nav item at y 606), scrolled to its foot: the Profile card's buttons are then 534
# down, "Export profile..." at x 342 and "Import profile..." at x 578.
dialog_shown() {
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1
}
# choose_in_dialog TITLE BUTTON_X FILE: presses the button, waits for the dialog, types FILE
# into its file name box (which holds the focus) and presses Enter.
choose_in_dialog() {
    click_at $((wx + $2)) $((wy + 534))
    if ! wait_until 20 dialog_shown "$1"; then
        echo "  FAIL  no \"$1\" dialog within 20 s"
        _tw_failures=$((_tw_failures + 1))
        return 1
    fi
    sleep 0.5
    shot "$TAVRINE_ARTIFACTS/profile-window-dialog-${1// /-}.png"
    TAVRINE_WIN_TIMEOUT=60 win_run tavrine-test-send-keys.exe text "$3" key Enter
    wait_until 20 bash -c "! xdotool search --onlyvisible --name '^$1\$' >/dev/null 2>&1"
}

click_at $((wx + 100)) $((wy + 606))
sleep 1
window_scroll_to_foot
choose_in_dialog Open 578 'C:\tavrine\lan.tavrine.json' || true
wait_for_text 10 Imported "$TAVRINE_ARTIFACTS/profile-window-imported.png" $((wx + 236)) $((wy + 540)) 964 60 \
    || true
expect_contains "the Profile card says what it imported" "34 modules armed on 5 paths" "$text"

click_at $((wx + 100)) $((wy + 200))
# The dock's count line alone: read with the wide button below it, OCR finds nothing.
wait_for_text 10 "8 armed" "$TAVRINE_ARTIFACTS/profile-window-latency.png" $((wx + 250)) $((wy + 590)) 300 40 || true
expect_contains "the Latency page counts the profile's 8 armed" "8 armed" "$text"

click_at $((wx + 100)) $((wy + 606))
sleep 1
window_scroll_to_foot
choose_in_dialog "Save As" 342 'C:\tavrine\saved.tavrine.json' || true
saved="$TAVRINE_BIN/saved.tavrine.json"
wait_until 10 test -s "$saved" || true
# Up to the GPU vendor's line, the last before the overlays (less its comma).
selections() { sed -n '1,/"gpu_vendor"/p' "$1" 2>/dev/null | sed 's/,$//'; }
expect_eq "the export equals the command line's profile but for its name and the overlays" \
    "$(selections "$TAVRINE_BIN/lan.tavrine.json" | sed 's/"name": "lan"/"name": "saved"/')" "$(selections "$saved")"
expect_contains "the export carries the crosshair's look" '"crosshair": {' "$(cat "$saved" 2>/dev/null)"

window_quit
echo "  screenshots: $TAVRINE_ARTIFACTS/profile-window-*.png"
wine_test_done

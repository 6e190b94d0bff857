#!/usr/bin/env bash
# The crosshair overlay end to end: start TavrineOptimiser.exe in the sandbox, press F8 and
# expect a 360 x 360 window centred on the screen with the crosshair's green in its arms and
# "crosshair.cfg" saved with 29 lines and 1 on the first; on the Crosshair page press the "Dot"
# preset and expect line 2 to become 1; press F8 again and expect the overlay gone and line 1
# back to 0. Screenshots go to $TAVRINE_ARTIFACTS/crosshair-*.png.
# Without a compositor the layered window's transparent pixels show as black on the screenshot;
# what matters here is where the window is and what its drawn pixels hold.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-lib.sh"
wine_sandbox_ensure
source "$(dirname "$0")/../../scripts/window-lib.sh"

window_check_setup crosshair-shots

# The roaming folder of the prefix's user, where the settings folder "Tavrine" lives.
roaming="$(window_roaming_folder)" || {
    echo "  FAIL  no roaming folder in the prefix"
    exit 1
}
cfg="$roaming/Tavrine/crosshair.cfg"
rm -f "$cfg"

# cfg_line N: line N of crosshair.cfg without its line end (empty when missing).
cfg_line() {
    [[ -f "$cfg" ]] || return 0
    sed -n "$1p" "$cfg" | tr -d '\r'
}
# The overlay: a visible 360 x 360 window; prints "x y" of its top-left corner.
overlay_position() {
    local id X Y WIDTH HEIGHT
    for id in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null | grep -E '^(X|Y|WIDTH|HEIGHT)=-?[0-9]+$')" || continue
        if [[ "${WIDTH:-}" == 360 && "${HEIGHT:-}" == 360 ]]; then
            echo "$X $Y"
            return 0
        fi
    done
    return 1
}
overlay_gone() { ! overlay_position >/dev/null; }
line_is() { [[ "$(cfg_line "$1")" == "$2" ]]; }

window_launch
read -r screen_w screen_h < <(xdotool getdisplaygeometry)

# F8: the switch is saved at once, then the overlay appears, centred.
window_key_until F8 10 line_is 1 1 || true
if position="$(wait_until 10 overlay_position && overlay_position)"; then
    read -r ox oy <<<"$position"
    expect_eq "overlay centred on the screen" "$((screen_w / 2 - 180)) $((screen_h / 2 - 180))" "$ox $oy"
    sleep 0.5
    shot "$TAVRINE_ARTIFACTS/crosshair-overlay.png"
    # The default crosshair: green arms 4 px from the centre, 8 long; premultiplied on screen.
    cx=$((screen_w / 2))
    cy=$((screen_h / 2))
    green=0
    for at in "$((cx + 8)) $cy" "$((cx - 8)) $cy" "$cx $((cy - 8))" "$cx $((cy + 8))"; do
        read -r px py <<<"$at"
        rgb="$(pixel_at "$TAVRINE_ARTIFACTS/crosshair-overlay.png" "$px" "$py")"
        read -r r g b <<<"$rgb"
        if ((g > 150 && r < 60 && b < 140)); then green=$((green + 1)); else echo "        arm pixel at $at: $rgb"; fi
    done
    expect_eq "the four arms show the crosshair green" "4" "$green"
else
    echo "  FAIL  no 360 x 360 overlay window within 10 s of F8"
    _tw_failures=$((_tw_failures + 1))
fi
[[ -f "$cfg" ]] && lines="$(wc -l <"$cfg")" || lines=0
expect_eq "crosshair.cfg holds 29 lines" "29" "$lines"
expect_eq "line 1 (enabled) after F8" "1" "$(cfg_line 1)"

# The Crosshair page. The "Dot" preset is the second ghost button (72 x 28, 6 apart) of the
# first line, right of the 240-pixel preview: its centre at (612, 138) in the window. Its label
# is read first, so a moved layout fails here rather than pressing something else.
click_at $((wx + 100)) $((wy + 514))
pointer_to $((wx + 1210)) $((wy + 690))
sleep 0.8
shot "$TAVRINE_ARTIFACTS/crosshair-page.png"
crop_for_ocr "$TAVRINE_ARTIFACTS/crosshair-page.png" $((wx + 582)) $((wy + 128)) 60 22 4
label="$(tesseract "$work/ocr.png" stdout --psm 7 2>/dev/null | tr -d '\n')"
expect_eq "the second preset button reads Dot" "Dot" "$label"
click_at $((wx + 612)) $((wy + 138))
pointer_to $((wx + 1210)) $((wy + 690))
if wait_until 5 line_is 2 1; then :; fi
expect_eq "line 2 (style) after the Dot preset" "1" "$(cfg_line 2)"
sleep 0.5
shot "$TAVRINE_ARTIFACTS/crosshair-page-dot.png"

# F8 again: the switch is saved off, and the overlay goes away.
window_key_until F8 10 line_is 1 0 || true
if wait_until 10 overlay_gone; then
    echo "  ok    F8 again hides the overlay"
else
    echo "  FAIL  the overlay is still shown 10 s after the second F8"
    _tw_failures=$((_tw_failures + 1))
fi
expect_eq "line 1 (enabled) after the second F8" "0" "$(cfg_line 1)"

window_quit
echo "  screenshots: $TAVRINE_ARTIFACTS/crosshair-*.png"
wine_test_done

#!/usr/bin/env bash
# The pages end to end: start TavrineOptimiser.exe in the sandbox, photograph every page by
# clicking its nav item, then go to Latency, press "Optimise latency", wait for the completion
# overlay, read "Latency path applied" from the screenshot by OCR, press "Done", and check in
# the prefix's registry that the run switched mouse acceleration off ("MouseSpeed" = "0").
# Last, the Settings page's History card lists that run, and its "Undo" puts "1" back.
# Screenshots go to $TAVRINE_ARTIFACTS/pages-*.png.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-lib.sh"
wine_sandbox_ensure
source "$(dirname "$0")/../../scripts/window-lib.sh"

window_check_setup pages-shots

mouse_key='HKCU\Control Panel\Mouse'
# A value the run must change, so that the check below proves the run did it.
win_reg add "$mouse_key" /v MouseSpeed /t REG_SZ /d 1 /f >/dev/null

# No runs of earlier checks: the History card below lists only this check's run.
rm -rf "$WINEPREFIX/drive_c/ProgramData/Tavrine/history/"*

# A finished first launch: this check is about the main screen (45-first-launch.sh covers the setup).
window_launch

# Nav item centres: x 100; y from the fixed column layout (items 40 tall, 8 apart).
declare -A nav_y=([overview]=104 [games]=152 [latency]=200 [frames]=248 [netcode]=296 [cpu]=344
    [cleanup]=418 [deploy]=466 [crosshair]=514 [settings]=606)
declare -A heading=([overview]=Overview [games]=Games [latency]=Latency [frames]=Frames [netcode]=Netcode
    [cpu]=CPU [cleanup]=Cleanup [deploy]=Deploy [crosshair]=Crosshair [settings]=Settings)
# title_reads PAGE: photographs the page and reads its title line into $text (the letter-spaced
# kicker above it reads poorly; the Overview has no kicker and a larger title).
title_reads() {
    shot "$TAVRINE_ARTIFACTS/pages-$1.png"
    if [[ $1 == overview ]]; then
        text="$(ocr "$TAVRINE_ARTIFACTS/pages-$1.png" $((wx + 236)) $((wy + 24)) 400 46 7)"
    else
        text="$(ocr "$TAVRINE_ARTIFACTS/pages-$1.png" $((wx + 236)) $((wy + 36)) 400 34 7)"
    fi
    [[ "$text" == *"${heading[$1]}"* ]]
}
for page in games frames netcode cpu cleanup deploy crosshair settings overview latency; do
    click_at $((wx + 100)) $((wy + ${nav_y[$page]}))
    pointer_to $((wx + 1210)) $((wy + 690)) # off every item, so no tooltip covers the page
    # Under a full CPU, Wine's software Direct3D can take more than a second to draw the page.
    wait_until 15 title_reads "$page" || true
    expect_contains "$page page shows its title" "${heading[$page]}" "$text"
done

# The pickers: arm "Prioritize exe" on Netcode (second row, right) and "Game drive" on Cleanup
# (third row, left); rows are 62 tall, 68 apart, from y 66. The "Refresh" crop leaves out the
# button's outline, which tesseract would otherwise read as letters.
click_at $((wx + 100)) $((wy + ${nav_y[netcode]}))
click_at $((wx + 962)) $((wy + 165))
pointer_to $((wx + 1210)) $((wy + 690))
sleep 0.6
shot "$TAVRINE_ARTIFACTS/pages-netcode-picker.png"
text="$(ocr "$TAVRINE_ARTIFACTS/pages-netcode-picker.png" $((wx + 576)) $((wy + 278)) 80 24 7)"
expect_contains "Netcode shows the process picker with Refresh" "Refresh" "$text"
click_at $((wx + 100)) $((wy + ${nav_y[cleanup]}))
click_at $((wx + 477)) $((wy + 233))
pointer_to $((wx + 1210)) $((wy + 690))
sleep 0.6
shot "$TAVRINE_ARTIFACTS/pages-cleanup-drive.png"
text="$(ocr "$TAVRINE_ARTIFACTS/pages-cleanup-drive.png" $((wx + 236)) $((wy + 404)) 300 80)"
expect_contains "Cleanup shows the Target volume picker" "Target volume" "$text"
click_at $((wx + 100)) $((wy + ${nav_y[latency]}))
pointer_to $((wx + 1210)) $((wy + 690))
sleep 0.6

# "Optimise latency": the dock's action button, 16 in from the dock's left and 34 below its
# top (the dock is at (240, 594), 960 x 92; the button 928 x 38).
click_at $((wx + 720)) $((wy + 647))
if wait_for_text 120 "Latency path applied" "$work/wait.png" $((wx + 420)) $((wy + 256)) 380 188; then
    cp "$work/wait.png" "$TAVRINE_ARTIFACTS/pages-overlay.png"
    echo "  ok    the completion overlay reads \"Latency path applied\""
else
    echo "  FAIL  no completion overlay with \"Latency path applied\" within 120 s; last read: [$text]"
    cp "$work/wait.png" "$TAVRINE_ARTIFACTS/pages-overlay-missing.png"
    _tw_failures=$((_tw_failures + 1))
fi

# "Done": 324 x 42 at (448, 380).
click_at $((wx + 610)) $((wy + 401))
pointer_to $((wx + 1210)) $((wy + 690))
sleep 0.6
shot "$TAVRINE_ARTIFACTS/pages-after-done.png"
text="$(ocr "$TAVRINE_ARTIFACTS/pages-after-done.png" $((wx + 420)) $((wy + 256)) 380 188)"
expect_not_contains "the overlay is gone after Done" "Latency path applied" "$text"
text="$(ocr "$TAVRINE_ARTIFACTS/pages-after-done.png" $((wx + 256)) $((wy + 628)) 928 38)"
expect_contains "the dock offers the Latency run again" "Optimise latency" "$text"

expect_eq "MouseSpeed after the Latency run" "REG_SZ 0" "$(win_reg_value "$mouse_key" MouseSpeed || true)"

# The Settings page's History card lists the run just made, and its "Undo" puts the user's
# own MouseSpeed back. The card is at the page's foot: scrolled to with the wheel; its one row
# is then about 600 down, the ghost "Undo" (96 x 30) at its right end.
click_at $((wx + 100)) $((wy + ${nav_y[settings]}))
# The card's foot, not one fixed line: where its last row sits depends on the lines above it.
# The history is read in the background, its first look at a run's changes taking seconds on
# a loaded machine (the card says "Reading the history" meanwhile): looked at until the row shows.
wait_for_text 30 latency "$TAVRINE_ARTIFACTS/pages-settings-history.png" $((wx + 236)) $((wy + 560)) 760 120 \
    window_scroll_to_foot || true
expect_contains "the History card lists the Latency run" "latency" "$text"
expect_contains "the History card counts what the run can undo" "toundo" "${text// /}" # OCR drops spaces here
# Scrolled once more now that the row is drawn: the page's foot is then one place, whether the
# row came before the first look or after it.
window_scroll_to_foot
shot "$TAVRINE_ARTIFACTS/pages-settings-history-foot.png"
click_at $((wx + 1147)) $((wy + 610)) # the row's Undo, below the card's own "Undo" badge
pointer_to $((wx + 1210)) $((wy + 690))
restored=""
# Scrolled again before each look: the undo adds a row and a status line below it.
if wait_for_text 20 restored "$work/history.png" $((wx + 236)) $((wy + 560)) 964 120 window_scroll_to_foot; then
    restored=yes
    cp "$work/history.png" "$TAVRINE_ARTIFACTS/pages-settings-undone.png"
fi
expect_eq "the History card's Undo reports what it restored" yes "$restored"
expect_eq "MouseSpeed after the card's Undo" "REG_SZ 1" "$(win_reg_value "$mouse_key" MouseSpeed || true)"

# Quitting is timed by 40-window.sh; here it only has to happen.
window_quit
echo "  screenshots: $TAVRINE_ARTIFACTS/pages-*.png"
wine_test_done

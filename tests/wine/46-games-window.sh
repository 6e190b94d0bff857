#!/usr/bin/env bash
# The Games page end to end: start TavrineOptimiser.exe, open Games, type "fort" into the search
# and read back one tile (OCR), press its "Optimise", and wait for the completion overlay to name
# Fortnite with its message. Screenshots go to $TAVRINE_ARTIFACTS/games-*.png.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-lib.sh"
wine_sandbox_ensure
source "$(dirname "$0")/../../scripts/window-lib.sh"

[[ -f "$TAVRINE_BIN/TavrineOptimiser.exe" ]] || {
    echo "  FAIL  TavrineOptimiser.exe is not in $TAVRINE_BIN"
    exit 1
}
mkdir -p "$TAVRINE_ARTIFACTS"
work="$TAVRINE_WINE_ROOT/games-shots"
rm -rf "$work"
mkdir -p "$work"


window_launch

click_at $((wx + 100)) $((wy + 152)) # "Games" in the side column
click_at $((wx + 700)) $((wy + 104)) # the search field
window_type fort || true
pointer_to $((wx + 1210)) $((wy + 690))
sleep 0.8
shot "$TAVRINE_ARTIFACTS/games-search.png"
field="$(ocr "$TAVRINE_ARTIFACTS/games-search.png" $((wx + 240)) $((wy + 90)) 600 28 7)"
expect_contains "the search field holds what was typed" "fort" "$field"
# The first row of tiles across all three columns, read line by line: the names, then the
# buttons. Only Fortnite's tile is left.
names="$(ocr "$TAVRINE_ARTIFACTS/games-search.png" $((wx + 240)) $((wy + 156)) 960 26 7)"
buttons="$(ocr "$TAVRINE_ARTIFACTS/games-search.png" $((wx + 240)) $((wy + 194)) 960 22 7)"
expect_contains "search \"fort\" shows Fortnite" "Fortnite" "$names"
expect_not_contains "search \"fort\" hides Counter-Strike 2" "Counter" "$names"
expect_eq "search \"fort\" shows one tile" 1 "$(grep -o Optimise <<<"$buttons" | wc -l)"

# Its "Optimise" (the first tile's button), then the completion card.
click_at $((wx + 396)) $((wy + 205))
if wait_for_text 600 "Performance Mode on" "$work/wait.png" $((wx + 420)) $((wy + 256)) 380 188; then
    cp "$work/wait.png" "$TAVRINE_ARTIFACTS/games-overlay.png"
    echo "  ok    the completion overlay reads \"Performance Mode on\""
    expect_contains "the completion overlay names Fortnite" "Fortnite" "$text"
else
    echo "  FAIL  no completion overlay with the Fortnite message within 600 s; last read: [$text]"
    cp "$work/wait.png" "$TAVRINE_ARTIFACTS/games-overlay-missing.png"
    _tw_failures=$((_tw_failures + 1))
fi
click_at $((wx + 610)) $((wy + 401)) # "Done"

window_quit
wine_test_done

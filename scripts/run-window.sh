#!/usr/bin/env bash
# `make run` on Linux: starts TavrineOptimiser.exe under Wine in the sandboxed prefix (see
# scripts/wine-lib.sh). On your display when DISPLAY is set: the program runs until you quit it
# (Delete, or the close button). Without a display it runs on a virtual one for a few seconds.
# Either way a screenshot of the main screen is saved under build/ and its path printed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
user_display="${DISPLAY:-}"
# shellcheck source=scripts/wine-lib.sh
source scripts/wine-lib.sh
wine_sandbox_up
# shellcheck source=scripts/window-lib.sh
source scripts/window-lib.sh
if [[ -n "$user_display" ]]; then
    export DISPLAY="$user_display"
fi
[[ -f "$TAVRINE_BIN/TavrineOptimiser.exe" ]] || {
    echo "run: TavrineOptimiser.exe was not built" >&2
    exit 1
}

window_start
if ! window_wait 60 >/dev/null; then
    echo "run: the window did not appear" >&2
    window_stop
    exit 1
fi
sleep 3 # past the 1.42 s splash
shot="$TAVRINE_ARTIFACTS/run-main-screen.png"
id="$(xdotool search --onlyvisible --name '^Tavrine Optimiser$' | head -n1)"
import -display "$DISPLAY" -window "$id" "$shot" 2>/dev/null || import -display "$DISPLAY" -window root "$shot"
echo "screenshot: $shot"

if [[ -n "$user_display" ]]; then
    echo "Tavrine Optimiser is running on $DISPLAY; press Delete or its close button to quit."
    wait "$_window_pid" || true
else
    (cd "$TAVRINE_BIN" && wine taskkill /im TavrineOptimiser.exe >/dev/null 2>&1) || true
    window_wait_exit 10 >/dev/null || window_stop
fi

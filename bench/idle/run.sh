#!/usr/bin/env bash
# What the program costs while it is not looked at, under Wine (one run; the same prefix for
# every state): the process's CPU over 10 s, from /proc, with the window
#   1. shown, settled on the main screen, in front;
#   2. minimised;
#   3. minimised with the crosshair shown (F8, the default crosshair: still, recoil on);
#   4. minimised with the rainbow crosshair (the same, rainbow cycle on);
# and, where it was built, Dear ImGui's own Win32 / Direct3D 11 example shown and minimised.
# Then the crosshair's paint and push per frame (bench/overlay/crosshair.cpp).
# Xvfb has no window manager: the window is minimised and F8 pressed from inside the session
# (tests/windows/window_control_win32.cpp). Build first (Windows build):
#   cmake --build build/windows --target TavrineOptimiser tavrine-test-window tavrine-bench-crosshair
#   [imgui_example_dx11]
# then: bash bench/idle/run.sh
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-lib.sh"
wine_sandbox_ensure "$@"
cd "$TAVRINE_ROOT"
source "$TAVRINE_ROOT/scripts/window-lib.sh"

for exe in TavrineOptimiser.exe tavrine-test-window.exe tavrine-bench-crosshair.exe; do
    [[ -f "$TAVRINE_BIN/$exe" ]] || {
        echo "bench: $exe is missing (cmake --build build/windows --target ${exe%.exe})" >&2
        exit 1
    }
done
work="$TAVRINE_WINE_ROOT/bench-idle"
mkdir -p "$work"
roaming="$(window_roaming_folder)"
cfg="$roaming/Tavrine/crosshair.cfg"
rm -f "$cfg"
control() { win_run tavrine-test-window.exe "$@" >/dev/null 2>&1 || true; }
shown() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
# Wine keeps a minimised window mapped on X: IsIconic, asked from inside the session.
minimised() { win_run tavrine-test-window.exe iconic >/dev/null 2>&1; }

echo "== process CPU over 10 s, % of one core"
window_launch 4
pid="$(window_process_pid)"
window_focus || true # in front, as a user looking at it has it
pointer_to $((wx + 1210)) $((wy + 690))
sleep 2
echo "   shown (main screen, in front):          $(cpu_share_over "$pid" 10)"
control minimise
window_wait_until 5 minimised || echo "   (the window did not minimise)"
sleep 2
echo "   minimised:                              $(cpu_share_over "$pid" 10)"
control key 0x77 # F8
window_wait_until 5 bash -c "[[ -f '$cfg' ]]" || true
sleep 2
echo "   minimised, still crosshair:             $(cpu_share_over "$pid" 10)"
window_quit
# The same crosshair with the rainbow cycle on (line 11 of the file), from the start.
sed -i '11s/^0/1/' "$cfg"
window_launch 4
pid="$(window_process_pid)"
control minimise
window_wait_until 5 minimised || true
sleep 2
echo "   minimised, rainbow crosshair:           $(cpu_share_over "$pid" 10)"
sed -i '1s/^1/0/; 11s/^1/0/' "$cfg"
window_quit

if [[ -f "$TAVRINE_BIN/imgui_example_dx11.exe" ]]; then
    title='Dear ImGui DirectX11 Example'
    (cd "$TAVRINE_BIN" && exec timeout -k 5 120 wine 'C:\tavrine\imgui_example_dx11.exe' >/dev/null 2>&1) &
    example=$!
    window_wait_until 60 shown "^$title\$"
    sleep 3
    example_pid="$(descendant_named "$example" 'imgui_example_dx11\.exe')" || example_pid=""
    if [[ -n "$example_pid" ]]; then
        echo "   Dear ImGui's example, shown:            $(cpu_share_over "$example_pid" 10)"
        control minimise "$title"
        sleep 2
        echo "   Dear ImGui's example, minimised:        $(cpu_share_over "$example_pid" 10)"
    fi
    kill "$example" 2>/dev/null || true
    [[ -n "$example_pid" ]] && kill "$example_pid" 2>/dev/null || true
    wait "$example" 2>/dev/null || true
else
    echo "   (Dear ImGui's example not built: cmake --build build/windows --target imgui_example_dx11)"
fi

echo "== crosshair overlay, busiest style with rainbow and recoil"
win_run tavrine-bench-crosshair.exe 5

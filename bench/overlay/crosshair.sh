#!/usr/bin/env bash
# Crosshair overlay update cost under Wine: tavrine-bench-crosshair.exe (bench/overlay/crosshair.cpp)
# shows the overlay with the rainbow cycle and the recoil reaction on, times FRAMES updates and
# prints the share of a 16.7 ms frame (target: under 5 %). Build it with the Windows build first:
#   cmake --build build/windows --target tavrine-bench-crosshair && bash bench/overlay/crosshair.sh [frames]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-lib.sh"
wine_sandbox_ensure "$@"

[[ -f "$TAVRINE_BIN/tavrine-bench-crosshair.exe" ]] || {
    echo "bench: tavrine-bench-crosshair.exe is missing (cmake --build build/windows --target tavrine-bench-crosshair)" >&2
    exit 1
}
win_run tavrine-bench-crosshair.exe "${1:-3000}"

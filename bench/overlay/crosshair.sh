#!/usr/bin/env bash
# Crosshair overlay cost under Wine: tavrine-bench-crosshair.exe (bench/overlay/crosshair.cpp)
# runs the overlay on its own clock with the rainbow cycle and the recoil reaction on for SECONDS,
# and prints the overlay thread's paint and UpdateLayeredWindow per frame, the frame rate, the
# process CPU and the main thread's share. Build it with the Windows build first:
#   cmake --build build/windows --target tavrine-bench-crosshair && bash bench/overlay/crosshair.sh [seconds]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-lib.sh"
wine_sandbox_ensure "$@"

[[ -f "$TAVRINE_BIN/tavrine-bench-crosshair.exe" ]] || {
    echo "bench: tavrine-bench-crosshair.exe is missing (cmake --build build/windows --target tavrine-bench-crosshair)" >&2
    exit 1
}
win_run tavrine-bench-crosshair.exe "${1:-5}"

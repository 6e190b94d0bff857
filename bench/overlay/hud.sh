#!/usr/bin/env bash
# HUD benchmark under Wine: tavrine-bench-hud.exe (bench/overlay/hud.cpp) polls every sensor
# and redraws the panel with every line shown, ping on (to 127.0.0.1 only), with the stand-in
# nvml.dll of the Windows tests in NVIDIA's install folder so the GPU lines are full. Prints the
# share of a frame.
#   cmake --build build/windows --target tavrine-bench-hud tavrine-test-nvml && bash bench/overlay/hud.sh [rounds]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-lib.sh"
wine_sandbox_ensure "$@"

[[ -f "$TAVRINE_BIN/tavrine-bench-hud.exe" ]] || {
    echo "bench: tavrine-bench-hud.exe is missing (cmake --build build/windows --target tavrine-bench-hud)" >&2
    exit 1
}
nvsmi="$WINEPREFIX/drive_c/Program Files/NVIDIA Corporation/NVSMI"
if [[ -f "$TAVRINE_BIN/stand-ins/nvml.dll" ]]; then
    mkdir -p "$nvsmi"
    cp "$TAVRINE_BIN/stand-ins/nvml.dll" "$nvsmi/nvml.dll"
fi
trap 'rm -f "$nvsmi/nvml.dll"; wine_sandbox_release' EXIT
win_run tavrine-bench-hud.exe "${1:-200}"

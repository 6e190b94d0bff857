#!/usr/bin/env bash
# Tree deletion benchmark under Wine: tavrine-bench-cleanup.exe (bench/cleanup.cpp) generates
# two identical trees of 20 000 files in 2 000 folders inside the sandbox prefix and empties one
# with our tree deletion and the other with "del /s /q", in one run; prints the ratio.
# Build it with the Windows build first:
#   cmake --build build/windows --target tavrine-bench-cleanup && bash bench/cleanup.sh [rounds]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/wine-lib.sh"
# It deletes files as root: this re-runs it with the host read-only, like the tests.
wine_sandbox_ensure "$@"

[[ -f "$TAVRINE_BIN/tavrine-bench-cleanup.exe" ]] || {
    echo "bench: tavrine-bench-cleanup.exe is missing (cmake --build build/windows --target tavrine-bench-cleanup)" >&2
    exit 1
}
work="$WINEPREFIX/drive_c/tavrine-bench-cleanup"
rm -rf "$work"
trap 'rm -rf "$work"; wine_sandbox_release' EXIT
win_run tavrine-bench-cleanup.exe 'C:\tavrine-bench-cleanup' "${1:-2}"

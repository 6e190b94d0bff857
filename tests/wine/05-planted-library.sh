#!/usr/bin/env bash
# A library planted beside the programs under the name of a system library that is not one of
# Windows' known libraries (a Downloads folder is writable by any program of the user) is never
# loaded: the programs take those libraries on first use, from System32 only. Wine would prefer
# its own built-in libraries anyway; the overrides make it search as Windows does.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-lib.sh"
wine_sandbox_ensure

marker="$WINEPREFIX/drive_c/tavrine-planted-library.txt"
planted="$TAVRINE_BIN/planted-beside"
names=(comdlg32 d3d11 d3dcompiler_47 dwmapi dxgi iphlpapi pdh winmm)
rm -rf "$planted" "$marker"
mkdir -p "$planted"
cp "$TAVRINE_BIN/tavrine-cli.exe" "$TAVRINE_BIN/TavrineOptimiser.exe" "$planted/"
for name in "${names[@]}"; do
    cp "$TAVRINE_BIN/stand-ins/planted-library.dll" "$planted/$name.dll"
done
overrides="$(IFS=,; echo "${names[*]}")=n,b;mscoree,mshtml=;winemenubuilder.exe=d"

set +e
out="$(cd "$planted" && WINEDLLOVERRIDES="$overrides" timeout -k 10 120 \
    wine 'C:\tavrine\planted-beside\tavrine-cli.exe' plan latency 2>/dev/null | tr -d '\r')"
code=$?
set -e
expect_eq "tavrine-cli plan latency beside planted libraries exits 0" 0 "$code"
expect_contains "the plan is printed" "latency" "$out"
# The window with no graphics device still goes through its start and its Direct3D attempt.
set +e
(cd "$planted" && WINEDLLOVERRIDES="$overrides" WINE_D3D_CONFIG="renderer=no3d" timeout -k 5 60 \
    wine 'C:\tavrine\planted-beside\TavrineOptimiser.exe' >/dev/null 2>&1)
window_code=$?
set -e
# 1 is its answer to no graphics device: it ran that far, so an empty marker means something.
expect_eq "the window without a graphics device exits 1" 1 "$window_code"
loaded=""
[[ -f "$marker" ]] && loaded="$(tr -d '\r' <"$marker")"
expect_eq "no planted library was loaded" "" "$loaded"
rm -rf "$planted" "$marker"
wine_test_done

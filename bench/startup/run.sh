#!/usr/bin/env bash
# Start-up and idle benchmark under Wine (same prefix, same run for both programs):
#   1. process start to first presented frame, TavrineOptimiserBench.exe (our window: five Inter
#      fonts at 2 x 2 oversampling) against imgui_example_dx11.exe (Dear ImGui's own Win32 /
#      Direct3D 11 example from the same sources), RUNS times each, interleaved; prints the
#      medians and their ratio (target: ours within 1.5x);
#   2. CPU time of our window over 10 s on the settled main screen with Deep idle off, on, and
#      on with Eco renderer; prints the ratios (target: Deep idle under a fifth of off).
# Both executables carry a probe that stamps the first Present (app/bench_probe_win32.h); the
# shipped TavrineOptimiser.exe does not. Build them with the Windows build (targets
# TavrineOptimiserBench and imgui_example_dx11), then: bash bench/startup/run.sh
set -euo pipefail
RUNS="${RUNS:-5}"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-lib.sh"
wine_sandbox_ensure "$@"
cd "$TAVRINE_ROOT"

for exe in TavrineOptimiserBench.exe imgui_example_dx11.exe; do
    [[ -f "$TAVRINE_BIN/$exe" ]] || {
        echo "bench: $exe is missing (cmake --build <windows build> --target ${exe%.exe})" >&2
        exit 1
    }
done

probe_unix="$TAVRINE_BIN/first-present.txt"
export TAVRINE_BENCH_PROBE='C:\tavrine\first-present.txt'

# first_frame_ms EXE: milliseconds from launch to the first presented frame.
first_frame_ms() {
    rm -f "$probe_unix"
    local start pid deadline
    start=$(($(date +%s%N) / 1000000))
    (cd "$TAVRINE_BIN" && exec wine "C:\\tavrine\\$1" >/dev/null 2>&1) &
    pid=$!
    deadline=$((SECONDS + 60))
    while [[ ! -s "$probe_unix" ]] && ((SECONDS < deadline)); do sleep 0.01; done
    local stamp
    stamp="$(tr -dc '0-9' <"$probe_unix" 2>/dev/null || true)"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pkill -f "C:.tavrine.$1" 2>/dev/null || true
    sleep 1
    [[ -n "$stamp" ]] || return 1
    echo $((stamp - start))
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

if [[ "${1:-}" != --idle-only ]]; then
echo "== start to first presented frame ($RUNS runs each, interleaved; one warm-up each)"
first_frame_ms TavrineOptimiserBench.exe >/dev/null || true
first_frame_ms imgui_example_dx11.exe >/dev/null || true
ours=()
theirs=()
for _ in $(seq "$RUNS"); do
    ours+=("$(first_frame_ms TavrineOptimiserBench.exe)")
    theirs+=("$(first_frame_ms imgui_example_dx11.exe)")
done
ours_median="$(printf '%s\n' "${ours[@]}" | median)"
theirs_median="$(printf '%s\n' "${theirs[@]}" | median)"
echo "   ours:    ${ours[*]} ms (median $ours_median)"
echo "   example: ${theirs[*]} ms (median $theirs_median)"
echo "   ratio ours / example: $(awk -v a="$ours_median" -v b="$theirs_median" 'BEGIN { printf "%.2f", a / b }') (target <= 1.50)"
fi

# idle_cpu_ticks DEEP ECO: CPU clock ticks our window used over 10 s once settled.
idle_cpu_ticks() {
    (cd "$TAVRINE_BIN" && TAVRINE_BENCH_DEEP_IDLE="$1" TAVRINE_BENCH_ECO="$2" exec wine 'C:\tavrine\TavrineOptimiserBench.exe' \
        >/dev/null 2>&1) &
    local launcher=$!
    sleep 6 # splash (1.42 s), fade-in, and 2 s of idle frames
    local pid
    pid="$(pgrep -f 'C:.tavrine.TavrineOptimiserBench.exe' | head -n1)"
    local before after frames_before frames_after
    before="$(awk '{ print $14 + $15 }' "/proc/$pid/stat")"
    frames_before="$(tr -dc '0-9' <"$frames_unix")"
    sleep 10
    after="$(awk '{ print $14 + $15 }' "/proc/$pid/stat")"
    frames_after="$(tr -dc '0-9' <"$frames_unix")"
    echo "   (Deep idle $1, Eco $2: $(((frames_after - frames_before) / 10)) frames/s)" >&2
    kill "$pid" "$launcher" 2>/dev/null || true
    wait "$launcher" 2>/dev/null || true
    sleep 1
    echo $((after - before))
}

# The idle figures are of the main screen: a finished first launch, so the setup screen stays away.
source "$TAVRINE_ROOT/scripts/window-lib.sh"
window_seed_gpu_record
frames_unix="$TAVRINE_BIN/frames.txt"
export TAVRINE_BENCH_FRAMES='C:\tavrine\frames.txt'
echo "== CPU over 10 s on the settled main screen (clock ticks of $(getconf CLK_TCK)/s)"
off="$(idle_cpu_ticks 0 0)"
deep="$(idle_cpu_ticks 1 0)"
eco="$(idle_cpu_ticks 1 1)"
echo "   Deep idle off: $off   on: $deep   on + Eco renderer: $eco"
echo "   ratio on / off: $(awk -v a="$deep" -v b="$off" 'BEGIN { printf "%.2f", (b ? a / b : 0) }') (target < 0.20)"
echo "   ratio on + Eco / off: $(awk -v a="$eco" -v b="$off" 'BEGIN { printf "%.2f", (b ? a / b : 0) }')"

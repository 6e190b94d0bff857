#!/usr/bin/env bash
# The CPU cull for real: two processes named from the bloat list and one protected name run in
# the prefix (copies of the sleeper); `apply cpu` must end the first two, leave the third, and
# print counts that add up. `plan cpu` first lists them by rule and ends nothing.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-lib.sh"
wine_sandbox_ensure

scratch="$TAVRINE_BIN/cull-scratch"
rm -rf "$scratch"
mkdir -p "$scratch"
started=()

# Starts C:\tavrine\cull-scratch\NAME in the background; the host pid is the Wine process itself.
start_idle() {
    cp "$TAVRINE_BIN/tavrine-test-sleeper.exe" "$scratch/$1"
    (cd "$TAVRINE_BIN" && exec wine "C:\\tavrine\\cull-scratch\\$1" 120000 "C:\\tavrine\\cull-scratch\\$1.marker" \
        >/dev/null 2>&1) &
    started+=($!)
}
# Host-side check: is a process of that Windows image name alive in this prefix? (read only;
# other prefixes' checks may run copies of the same programs at the same time)
alive() {
    local pid
    for pid in $(pgrep -f "cull-scratch\\\\$1"); do
        grep -qzxF "WINEPREFIX=$WINEPREFIX" "/proc/$pid/environ" 2>/dev/null && return 0
    done
    return 1
}
finish() {
    local pid
    for pid in "${started[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$scratch"
    wine_sandbox_release
}
trap finish EXIT

start_idle widgets.exe
start_idle spotify.exe
start_idle discord.exe
three_alive() { alive widgets.exe && alive spotify.exe && alive discord.exe; }
wait_until 10 three_alive || true
expect_eq "the three idle processes run" "yes" "$(three_alive && echo yes || echo no)"

set +e
plan="$(win_run tavrine-cli.exe plan cpu)"
plan_code=$?
set -e
expect_eq "plan cpu exits 0" 0 "$plan_code"
expect_contains "plan lists widgets.exe by rule" "widgets.exe (bloat list)" "$plan"
expect_contains "plan lists spotify.exe by rule" "spotify.exe (bloat list)" "$plan"
expect_not_contains "plan never lists the protected discord.exe" "discord.exe" "$plan"
expect_eq "plan ended nothing" "yes" "$(alive widgets.exe && alive spotify.exe && echo yes || echo no)"

set +e
applied="$(win_run tavrine-cli.exe apply cpu)"
apply_code=$?
set -e
expect_eq "apply cpu exits 0" 0 "$apply_code"
expect_contains "apply prints the completion text" "CPU cull finished" "$applied"
culled_gone() { ! alive widgets.exe && ! alive spotify.exe; }
wait_until 5 culled_gone || true
expect_eq "widgets.exe is gone" "gone" "$(alive widgets.exe && echo running || echo gone)"
expect_eq "spotify.exe is gone" "gone" "$(alive spotify.exe && echo running || echo gone)"
expect_eq "discord.exe still runs" "running" "$(alive discord.exe && echo running || echo gone)"

# "B -> A processes  ·  K killed": both terminations counted, and K never below the drop. The
# drop itself may be smaller: Wine starts service hosts on demand while services are stopped.
counts="$(sed -n 's/^\([0-9]*\) -> \([0-9]*\) processes .* \([0-9]*\) killed$/\1 \2 \3/p' <<<"$applied")"
expect_contains "apply prints the counts line" " processes  ·  " "$applied"
read -r before after killed <<<"${counts:-0 0 0}"
expect_eq "at least the two terminations are counted" "yes" "$( ((killed >= 2)) && echo yes || echo no)"
expect_eq "killed is at least the drop" "yes" "$( ((killed >= before - after)) && echo yes || echo no)"
echo "  counts: $before -> $after, $killed killed"

wine_test_done

#!/usr/bin/env bash
# The Netcode path against the prefix's real registry and processes: a game (a copy of the
# sleeper) runs; `plan netcode` with "Prioritize exe" armed and the game as target shows the
# QoS policy on the game's full path and the clamp, and changes nothing; `apply netcode` writes
# the global TCP values and 1, 1, 0 into every interface sub-key, including one made here.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-lib.sh"
wine_sandbox_ensure

scratch="$TAVRINE_BIN/netcode-scratch"
game="tavrine-game.exe"
interfaces='HKLM\SYSTEM\CurrentControlSet\Services\Tcpip\Parameters\Interfaces'
made_interface="$interfaces\\{7A5A1C1E-0000-4000-8000-7461767269AE}"
rm -rf "$scratch"
mkdir -p "$scratch"
game_pid=""
finish() {
    if [[ -n "$game_pid" ]]; then
        kill "$game_pid" 2>/dev/null || true
        wait "$game_pid" 2>/dev/null || true
    fi
    win_reg delete "$made_interface" /f >/dev/null 2>&1 || true
    rm -rf "$scratch"
    wine_sandbox_release
}
trap finish EXIT

cp "$TAVRINE_BIN/tavrine-test-sleeper.exe" "$scratch/$game"
(cd "$TAVRINE_BIN" && exec wine "C:\\tavrine\\netcode-scratch\\$game" 120000 "C:\\tavrine\\netcode-scratch\\$game.marker" \
    "C:\\tavrine\\netcode-scratch\\$game.started" \
    >/dev/null 2>&1) &
game_pid=$!
win_reg add "$made_interface" /f >/dev/null
win_reg delete "$made_interface" /v TcpAckFrequency /f >/dev/null 2>&1 || true

# The game is up once the sleeper has written its started file: a readiness wait (a loaded machine
# can take a while to start it), then one plan.
wait_until 60 test -e "$scratch/$game.started" || { echo "  FAIL  the game did not start within 60 s"; exit 1; }
full_path="-AppPathNameMatchCondition 'C:\\tavrine\\netcode-scratch\\$game'"
set +e
plan="$(win_run tavrine-cli.exe plan netcode --arm "Prioritize exe" --target TAVRINE-GAME.EXE)"
plan_code=$?
set -e
expect_eq "plan netcode exits 0" 0 "$plan_code"
expect_contains "the QoS policy names the game's full path" "$full_path" "$plan"
expect_contains "the game is clamped" "$game above normal" "$plan"
clamp_line="$(grep -n -m1 "$game above normal" <<<"$plan" | cut -d: -f1)"
qos_line="$(grep -n -m1 "New-NetQosPolicy" <<<"$plan" | cut -d: -f1)"
expect_eq "the clamp comes before the QoS policy" yes "$([[ -n "$clamp_line" && -n "$qos_line" && "$clamp_line" -lt "$qos_line" ]] && echo yes || echo no)"
expect_contains "plan writes the made interface" \
    "SET DWORD ${made_interface} TcpAckFrequency = 1" "$plan"
expect_eq "plan wrote nothing" "absent" \
    "$(win_reg_value "$made_interface" TcpAckFrequency >/dev/null && echo present || echo absent)"

set +e
applied="$(win_run tavrine-cli.exe apply netcode --arm "Prioritize exe" --target "$game")"
apply_code=$?
set -e
expect_eq "apply netcode exits 0" 0 "$apply_code"
expect_contains "apply prints the completion text" "Netcode path applied" "$applied"

parameters='HKLM\SYSTEM\CurrentControlSet\Services\Tcpip\Parameters'
expect_eq "DefaultTTL" "REG_DWORD 0x40" "$(win_reg_value "$parameters" DefaultTTL)"
expect_eq "TcpMaxDupAcks" "REG_DWORD 0x2" "$(win_reg_value "$parameters" TcpMaxDupAcks)"
expect_eq "global TCPNoDelay (Nagle)" "REG_DWORD 0x1" "$(win_reg_value "$parameters" TCPNoDelay)"
expect_eq "NetworkThrottlingIndex" "REG_DWORD 0xffffffff" \
    "$(win_reg_value 'HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Multimedia\SystemProfile' NetworkThrottlingIndex)"
# The sub-keys first, then one query per sub-key for its three values: no reg.exe overlaps
# another, and a failure shows the whole key.
mapfile -t interface_keys < <(win_reg_query "$interfaces" | sed -n 's/^HKEY_LOCAL_MACHINE/HKLM/p' |
    grep -F "$interfaces\\" || true)
count=0
made_seen=no
for key in "${interface_keys[@]}"; do
    count=$((count + 1))
    [[ "$key" == "$made_interface" ]] && made_seen=yes
    values="$(win_reg_query "$key" || true)"
    before=$_tw_failures
    expect_eq "TcpAckFrequency of ${key##*\\}" "REG_DWORD 0x1" "$(reg_value_in "$values" TcpAckFrequency || true)"
    expect_eq "TCPNoDelay of ${key##*\\}" "REG_DWORD 0x1" "$(reg_value_in "$values" TCPNoDelay || true)"
    expect_eq "TcpDelAckTicks of ${key##*\\}" "REG_DWORD 0x0" "$(reg_value_in "$values" TcpDelAckTicks || true)"
    ((_tw_failures == before)) || sed 's/^/        /' <<<"$values"
done
echo "  ($count interface sub-keys)"
expect_eq "the made interface was among them" yes "$made_seen"
wine_test_done

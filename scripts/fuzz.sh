#!/usr/bin/env bash
# Builds the libFuzzer targets with Debian's clang and runs each for a bounded time (default
# 25 s; the first argument overrides), with AddressSanitizer and UndefinedBehaviorSanitizer:
# the game configuration text logic, and the history line parser with the rule of what undo
# may touch. Each corpus grows under build/fuzz/<target>-corpus and is kept between runs.
#   scripts/fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-25}"
out=build/fuzz
mkdir -p "$out"

# run_target NAME LABEL SEEDS-FUNCTION SOURCE... : builds when a source or header is newer, seeds
# the corpus, runs for $seconds.
run_target() {
    local name="$1" label="$2" seeds="$3"
    shift 3
    local binary="$out/$name" corpus="$out/$name-corpus"
    mkdir -p "$corpus"
    if [[ ! -x "$binary" ]] || [[ -n "$(find "$@" games/*.h platform/*.h platform/*/*.h engine/*.h -newer "$binary" 2>/dev/null)" ]]; then
        clang++ -std=c++20 -g -O1 -I. -Wall -Wextra -Werror \
            -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
            "$@" -o "$binary"
    fi
    "$seeds" "$corpus"
    "$binary" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 -artifact_prefix="$out/$name-" \
        "$corpus" 2>"$out/$name-last-run.log" || {
        tail -40 "$out/$name-last-run.log" >&2
        echo "fuzz: the $label target failed (log: $out/$name-last-run.log)" >&2
        exit 1
    }
    local runs
    runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$out/$name-last-run.log" | grep -o '[0-9]*$' || echo '?')"
    echo "fuzz: $label target, ${seconds} s, ${runs} executions, no failure"
}

# The shapes the game writes (UTF-16LE with its mark, UTF-8 with and without one).
config_seeds() {
    printf '\xff\xfe[\0S\0]\0\r\0\n\0k\0=\0\x31\0\r\0\n\0' >"$1/seed-utf16"
    printf '\xef\xbb\xbf[ScalabilityGroups]\r\nsg.ResolutionQuality = 75\r\n' >"$1/seed-utf8-mark"
    printf '[SystemSettings]\nr.VSync=1\n[ConsoleVariables]\nt.MaxFPS=240\n' >"$1/seed-utf8"
}

# One line of each kind a run writes.
history_seeds() {
    printf 'TAVRINE HISTORY 1\t2026-12-08 10:32:45\tlatency\tid 20261208-103245-000-latency\r\n' >"$1/seed-header"
    printf 'SET DWORD\tHKLM\\SYSTEM\\CurrentControlSet\\Control\\PriorityControl\tWin32PrioritySeparation\t38\tleft DWORD 2\r\n' >"$1/seed-value"
    printf 'SET SZ\tHKCU\\Control Panel\\Mouse\tMouseSpeed\t1\tleft SZ 0\r\nDELETE\tHKCU\\Control Panel\\Mouse\tX\tleft DWORD 1\r\n' >"$1/seed-delete"
    printf 'KEY CREATED\tHKCU\\Control Panel\\Accessibility\\StickyKeys\r\nSERVICE\tSysMain\tautomatic+running\tleft disabled+stopped\r\n' >"$1/seed-key-service"
    printf 'SPI\t0x71\tparam 0\tpv 10\tflags 3\tleft {10}\r\nQOS\tTavrineQoS\r\nTASK\tTavrineOptimiser\tabsent\tleft present\r\n' >"$1/seed-other"
    printf 'FILE\tC:\\Games\\Engine.ini\t1.bin\tleft 2048:0123456789abcdef\r\nCANNOT\tRUN bcdedit\r\n' >"$1/seed-file"
    printf 'UNDID\t17\trestored\r\nUNDID\t16\tchanged since\r\nEND\tstopped after step 2 of 17\r\n' >"$1/seed-undo"
}

run_target config_text_fuzz "config text" config_seeds tests/fuzz/config_text_fuzz.cpp games/config_encoding.cpp \
    games/ini_text.cpp games/fortnite_edits.cpp platform/ascii.cpp platform/utf16_text.cpp
run_target history_fuzz "history and undo rule" history_seeds tests/fuzz/history_fuzz.cpp engine/undo_scope.cpp engine/engine_state.cpp \
    platform/journal/journal_record.cpp platform/ascii.cpp platform/change_text.cpp platform/read_back.cpp \
    platform/registry_path.cpp platform/machine.cpp

#!/usr/bin/env bash
# Builds the libFuzzer target of the game configuration text logic with Debian's clang and runs
# it for a bounded time (default 25 s; the first argument overrides), with AddressSanitizer and
# UndefinedBehaviorSanitizer. The corpus grows under build/fuzz/corpus and is kept between runs.
#   scripts/fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-25}"
out=build/fuzz
mkdir -p "$out/corpus"

sources=(tests/fuzz/config_text_fuzz.cpp games/config_encoding.cpp games/ini_text.cpp
         games/fortnite_edits.cpp platform/ascii.cpp)
binary="$out/config_text_fuzz"
if [[ ! -x "$binary" ]] || [[ -n "$(find "${sources[@]}" games/*.h platform/ascii.h -newer "$binary" 2>/dev/null)" ]]; then
    clang++ -std=c++20 -g -O1 -I. -Wall -Wextra -Werror \
        -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
        "${sources[@]}" -o "$binary"
fi

# Seeds: the shapes the game writes (UTF-16LE with its mark, UTF-8 with and without one).
printf '\xff\xfe[\0S\0]\0\r\0\n\0k\0=\0\x31\0\r\0\n\0' >"$out/corpus/seed-utf16"
printf '\xef\xbb\xbf[ScalabilityGroups]\r\nsg.ResolutionQuality = 75\r\n' >"$out/corpus/seed-utf8-mark"
printf '[SystemSettings]\nr.VSync=1\n[ConsoleVariables]\nt.MaxFPS=240\n' >"$out/corpus/seed-utf8"

"$binary" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 -artifact_prefix="$out/" "$out/corpus" 2>"$out/last-run.log" || {
    tail -40 "$out/last-run.log" >&2
    echo "fuzz: the config text target failed (log: $out/last-run.log)" >&2
    exit 1
}
runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$out/last-run.log" | grep -o '[0-9]*$' || echo '?')"
echo "fuzz: config text target, ${seconds} s, ${runs} executions, no failure"

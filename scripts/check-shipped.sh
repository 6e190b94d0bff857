#!/usr/bin/env bash
# The two executables that ship carry no test code: no symbol of the in-memory fake machine.
#   scripts/check-shipped.sh [build folder, default build/windows]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/windows}
status=0
for exe in TavrineOptimiser.exe cli/tavrine-cli.exe; do
    symbols="$(x86_64-w64-mingw32-nm -C "$build/$exe" 2>/dev/null || true)"
    # A stripped file would pass vacuously: the program's own names must be there to be read.
    if ! grep -q 'tavrine::' <<<"$symbols"; then
        echo "shipped: no symbols of the program in $build/$exe to check" >&2
        status=1
        continue
    fi
    fakes="$(grep -E 'tavrine::[A-Za-z_:]*Fake|default_machine_fake' <<<"$symbols" | head -n 5 || true)"
    if [[ -n $fakes ]]; then
        echo "shipped: $exe holds fake backend code:" >&2
        sed 's/^/    /' <<<"$fakes" >&2
        status=1
    fi
done
((status == 0)) && echo "== shipped executables: no fake backend code"
exit $status

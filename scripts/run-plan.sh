#!/usr/bin/env bash
# `make run`: until the window exists, shows what a full run would change on a Windows machine:
# `tavrine-cli.exe plan all` in the Wine sandbox (a fresh prefix; nothing leaves it).
set -euo pipefail
self="$(realpath "${BASH_SOURCE[0]}")"
cd "$(dirname "$self")/.."
# shellcheck source=scripts/wine-lib.sh
source scripts/wine-lib.sh
wine_sandbox_enter "$self" "$@"
wine_sandbox_up
win_run tavrine-cli.exe plan all "$@"

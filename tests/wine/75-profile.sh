#!/usr/bin/env bash
# Profiles end to end: a profile exported from a fresh prefix, applied to every path, reads back
# as applied (status exits 0); a value it governs changed behind its back is drift (exit 3,
# named); applying again puts it back (exit 0). Bad input exits 2.
# "Mouse accel" and "Input delay" are left out: both set mouse speed 10 through
# SystemParametersInfo, which this Wine stores as 0, so neither ever reads back as applied here.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-lib.sh"
wine_sandbox_ensure

toasts='HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\PushNotifications'
profile='room.tavrine.json' # relative: beside the programs, the folder win_run starts them in
rm -f "$TAVRINE_BIN/$profile"

set +e
help="$(win_run tavrine-cli.exe --help 2>/dev/null)"
help_code=$?
version="$(win_run tavrine-cli.exe --version 2>/dev/null)"
exported="$(win_run tavrine-cli.exe profile export "$profile" --disarm 'Mouse accel' --disarm 'Input delay' 2>&1)"
export_code=$?
set -e
expect_eq "--help exits 0" 0 "$help_code"
expect_contains "--help prints the usage on standard output" "usage: tavrine-cli" "$help"
expect_contains "--version names the commit" "(commit " "$version"
expect_eq "profile export exits 0" 0 "$export_code"
expect_contains "profile export says where" "profile written to C:\\tavrine\\$profile" "$exported"
text="$(cat "$TAVRINE_BIN/$profile" 2>/dev/null || true)"
expect_contains "the profile names the Notifications module" '"Notifications"' "$text"
expect_not_contains "the profile leaves Mouse accel out" '"Mouse accel"' "$text"
expect_not_contains "the profile leaves Input delay out" '"Input delay"' "$text"
cp "$TAVRINE_BIN/$profile" "$TAVRINE_ARTIFACTS/$profile" 2>/dev/null || true

set +e
applied="$(win_run tavrine-cli.exe apply all --profile "$profile" 2>&1)"
apply_code=$?
status="$(win_run tavrine-cli.exe status all --profile "$profile" 2>&1)"
status_code=$?
set -e
expect_eq "apply all --profile exits 0" 0 "$apply_code"
expect_contains "apply all --profile finishes" "Optimiser finished" "$applied"
expect_eq "status all --profile after apply exits 0" 0 "$status_code"
[[ "$status_code" == 0 ]] || echo "$status" | sed 's/^/        /'

win_reg add "$toasts" /v ToastEnabled /t REG_DWORD /d 1 /f >/dev/null
set +e
drifted="$(win_run tavrine-cli.exe status all --profile "$profile" 2>/dev/null)"
drift_code=$?
drift_json="$(win_run tavrine-cli.exe status --json all --profile "$profile" 2>/dev/null)"
set -e
expect_eq "a toast setting changed behind the profile: status exits 3" 3 "$drift_code"
expect_contains "status names the drifted module" "# drifted: Notifications" "$drifted"
expect_contains "status --json names it for a collector" '"drifted":["Notifications"]' "$drift_json"

set +e
win_run tavrine-cli.exe apply latency --profile "$profile" >/dev/null 2>&1
reapply_code=$?
win_run tavrine-cli.exe status all --profile "$profile" >/dev/null 2>&1
again_code=$?
set -e
expect_eq "apply again exits 0" 0 "$reapply_code"
expect_eq "status after applying again exits 0" 0 "$again_code"
expect_eq "the toast setting is back" "REG_DWORD 0x0" "$(win_reg_value "$toasts" ToastEnabled)"

printf '{"version": 1,\n  "paths": {"latency": {"armed": ["Warp drive"]}}}\n' >"$TAVRINE_BIN/bad.tavrine.json"
set +e
bad="$(win_run tavrine-cli.exe status latency --profile bad.tavrine.json 2>&1)"
bad_code=$?
set -e
expect_eq "a profile naming an unknown module exits 2" 2 "$bad_code"
expect_contains "and says where and what is known" 'line 2, column 35: unknown module "Warp drive"' "$bad"
rm -f "$TAVRINE_BIN/bad.tavrine.json" "$TAVRINE_BIN/$profile"

wine_test_done

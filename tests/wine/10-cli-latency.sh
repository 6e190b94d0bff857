#!/usr/bin/env bash
# tavrine-cli end to end: plan changes nothing, apply makes the Latency changes for real, and
# bad input is refused with exit code 2. status reads what is already in place before and after
# the run, and the plan after it marks those lines (already).
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-lib.sh"
wine_sandbox_ensure

mouse='HKCU\Control Panel\Mouse'
keyboard='HKCU\Control Panel\Keyboard'

toasts='HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\PushNotifications'
toast_settings='HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Notifications\Settings'
# As in a fresh prefix: none of the "Notifications" values is set.
win_reg delete "$toasts" /v ToastEnabled /f >/dev/null 2>&1 || true
win_reg delete "$toast_settings" /v NOC_GLOBAL_SETTING_TOASTS_ENABLED /f >/dev/null 2>&1 || true
win_reg delete "$toast_settings" /v NOC_GLOBAL_SETTING_ALLOW_NOTIFICATION_SOUND /f >/dev/null 2>&1 || true
win_reg delete 'HKLM\SOFTWARE\Policies\Microsoft\Windows\Explorer' /v DisableNotificationCenter /f \
    >/dev/null 2>&1 || true
# Each delete above may fail only because the value is already gone: one still there is named,
# since the status checks below would otherwise fail with no word of why.
for value in "$toasts|ToastEnabled" "$toast_settings|NOC_GLOBAL_SETTING_TOASTS_ENABLED" \
    "$toast_settings|NOC_GLOBAL_SETTING_ALLOW_NOTIFICATION_SOUND" \
    'HKLM\SOFTWARE\Policies\Microsoft\Windows\Explorer|DisableNotificationCenter'; do
    left="$(win_reg_value "${value%%|*}" "${value#*|}" 2>/dev/null || true)"
    [[ -z "$left" ]] || echo "  note  ${value#*|} is still $left after its delete"
done

# status: one line per step with its state, and nothing written.
set +e
status="$(win_run tavrine-cli.exe status latency)"
status_code=$?
status_json="$(win_run tavrine-cli.exe status latency --json)"
set -e
expect_eq "status latency exits 0" 0 "$status_code"
expect_contains "status: Notifications not applied" "Notifications     Toasts off          not applied" "$status"
expect_contains "status: the timer is a hold" "held while the program runs" "$status"
expect_contains "status --json names the step and its state" \
    '{"step":"Notifications","row":"Toasts off","state":"not applied"' "$status_json"
expect_eq "status wrote nothing" "" "$(win_reg_value "$toasts" ToastEnabled 2>/dev/null || true)"

# plan: the ordered change list, and the registry untouched.
win_reg add "$mouse" /v MouseSpeed /t REG_SZ /d sentinel /f >/dev/null
win_reg add "$keyboard" /v KeyboardSpeed /t REG_SZ /d sentinel /f >/dev/null
set +e
plan="$(win_run tavrine-cli.exe plan latency)"
plan_code=$?
set -e
expect_eq "plan latency exits 0" 0 "$plan_code"
expect_contains "plan names the path and preset" "latency path, preset Competitive" "$plan"
expect_contains "plan shows the keyboard speed write" \
    'SET SZ HKCU\Control Panel\Keyboard KeyboardSpeed = "31"' "$plan"
expect_contains "plan shows the mouse speed write" 'SET SZ HKCU\Control Panel\Mouse MouseSpeed = "0"' "$plan"
expect_contains "plan shows the power-scheme fall-back branch" "runs only when" "$plan"
# Step headers in run order: "Audio stability" first, then the Latency block.
order="$(sed -n 's/^# \[[0-9]*\/[0-9]*\] \(.*\)  ([0-9]* to change)$/\1/p' <<<"$plan" | tr '\n' '|')"
expect_eq "plan steps in block order" \
    "Audio stability|Power plan|Input delay|Mouse accel|USB|Game Mode|Notifications|Sticky keys|Timer|Power lock|Game clamp|" \
    "$order"
expect_eq "plan left MouseSpeed alone" "REG_SZ sentinel" "$(win_reg_value "$mouse" MouseSpeed)"
expect_eq "plan left KeyboardSpeed alone" "REG_SZ sentinel" "$(win_reg_value "$keyboard" KeyboardSpeed)"

# Bad input: exit 2, with the known labels or the usage.
set +e
unknown="$(win_run tavrine-cli.exe plan latency --arm 'No such module' 2>&1)"
unknown_code=$?
bogus="$(win_run tavrine-cli.exe apply bogus 2>&1)"
bogus_code=$?
set -e
expect_eq "an unknown label exits 2" 2 "$unknown_code"
expect_contains "an unknown label lists the known ones" "Mouse accel" "$unknown"
expect_eq "an unknown path exits 2" 2 "$bogus_code"
expect_contains "an unknown path prints the usage" "usage:" "$bogus"

# apply: progress on one line, the completion text, and the values in the prefix's registry.
set +e
applied="$(win_run tavrine-cli.exe apply latency)"
apply_code=$?
set -e
expect_eq "apply latency exits 0" 0 "$apply_code"
expect_contains "apply shows the step count" "/ 11" "$applied"
expect_contains "apply ends with Done" "Done  11 / 11" "$applied"
expect_contains "apply prints the completion text" "Latency path applied" "$applied"
expect_eq "MouseSpeed is the text 0" "REG_SZ 0" "$(win_reg_value "$mouse" MouseSpeed)"
# Not checked: "MouseSensitivity". The SPI_SETMOUSESPEED call that follows our write stores the
# speed there itself, and Wine stores it differently from Windows.
expect_eq "KeyboardSpeed is the text 31" "REG_SZ 31" "$(win_reg_value "$keyboard" KeyboardSpeed)"
expect_eq "KeyboardDelay is the text 0" "REG_SZ 0" "$(win_reg_value "$keyboard" KeyboardDelay)"
expect_eq "the default user's MouseSpeed is the text 0" "REG_SZ 0" \
    "$(win_reg_value 'HKU\.DEFAULT\Control Panel\Mouse' MouseSpeed)"
expect_eq "StickyKeys Flags is the text 506" "REG_SZ 506" \
    "$(win_reg_value 'HKCU\Control Panel\Accessibility\StickyKeys' Flags)"
expect_eq "Win32PrioritySeparation is 2" "REG_DWORD 0x2" \
    "$(win_reg_value 'HKLM\SYSTEM\CurrentControlSet\Control\PriorityControl' Win32PrioritySeparation)"

# After the run: status reads the path back as applied, and the plan marks the values (already).
set +e
status="$(win_run tavrine-cli.exe status latency)"
replan="$(win_run tavrine-cli.exe plan latency)"
set -e
expect_contains "status after apply: Notifications applied" "Notifications     Toasts off          applied" "$status"
expect_contains "plan after apply marks ToastEnabled" "ToastEnabled = 0 (already)" "$replan"
expect_contains "plan after apply: nothing left in Notifications" "# [7/11] Notifications  (0 to change)" "$replan"

wine_test_done

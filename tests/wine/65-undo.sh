#!/usr/bin/env bash
# History and undo end to end: a Latency run on the prefix's real registry, then "apply undo"
# puts the user's own values back, and "HKCU\Control Panel" exports exactly as before the run.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-lib.sh"
wine_sandbox_ensure

mouse='HKCU\Control Panel\Mouse'
priority='HKLM\SYSTEM\CurrentControlSet\Control\PriorityControl'
before='C:\tavrine\undo-control-panel-before.reg'
after='C:\tavrine\undo-control-panel-after.reg'

win_reg add "$mouse" /v MouseSpeed /t REG_SZ /d 1 /f >/dev/null
win_reg add "$priority" /v Win32PrioritySeparation /t REG_DWORD /d 0x26 /f >/dev/null
win_reg export 'HKCU\Control Panel' "$before" /y >/dev/null

# History lives in ProgramData, where only administrators can write, not in the user's profile.
# Earlier checks leave runs of their own there: this run's entry is the one that is new.
history_dir="$WINEPREFIX/drive_c/ProgramData/Tavrine/history"
entries_before="$(ls "$history_dir" 2>/dev/null || true)"

set +e
applied="$(win_run tavrine-cli.exe apply latency)"
apply_code=$?
set -e
expect_eq "apply latency exits 0" 0 "$apply_code"
expect_eq "the run set MouseSpeed" "REG_SZ 0" "$(win_reg_value "$mouse" MouseSpeed)"
expect_eq "the run set Win32PrioritySeparation" "REG_DWORD 0x2" \
    "$(win_reg_value "$priority" Win32PrioritySeparation)"

entry="$(comm -13 <(echo "$entries_before") <(ls "$history_dir" 2>/dev/null) | grep -- '-latency\.txt$' || true)"
expect_contains "the run's history is in C:\\ProgramData\\Tavrine\\history" "-latency.txt" "$entry"

# A forged entry (a service's ImagePath and a start of that service) dropped beside the genuine
# one, and into the user's old history folder, is refused whole: exit code 2, nothing applied.
spooler='HKLM\SYSTEM\CurrentControlSet\Services\Spooler'
image_before="$(win_reg_value "$spooler" ImagePath)"
forged_id="${entry%.txt}-7"
forge() { # FOLDER: the genuine entry under a newer id, with the service pair before its end
    mkdir -p "$1"
    {
        sed -n '1{s/'"${entry%.txt}"'/'"$forged_id"'/;p;q}' "$history_dir/$entry"
        printf 'SET SZ\t%s\tImagePath\tC:\\users\\Public\\evil.exe\tleft SZ C:\\windows\\system32\\spoolsv.exe\r\n' "$spooler"
        printf 'SERVICE\tSpooler\tautomatic+running\tleft manual+stopped\r\nEND\r\n'
    } >"$1/$forged_id.txt"
}
profile="$(win_cmd 'echo %USERPROFILE%')"
old_dir="$WINEPREFIX/drive_c/users/$(basename "${profile//\\//}")/AppData/Roaming/Tavrine/history"
for folder in "$history_dir" "$old_dir"; do
    forge "$folder"
    set +e
    refused="$(win_run tavrine-cli.exe apply undo "$forged_id" 2>&1)"
    refused_code=$?
    set -e
    expect_eq "a forged entry in ${folder#"$WINEPREFIX"/} is refused with exit code 2" 2 "$refused_code"
    expect_contains "the refusal says nothing was changed" "nothing was changed" "$refused"
    expect_eq "the service's ImagePath is unchanged" "$image_before" "$(win_reg_value "$spooler" ImagePath)"
    expect_eq "MouseSpeed is still the run's" "REG_SZ 0" "$(win_reg_value "$mouse" MouseSpeed)"
    rm -f "$folder/$forged_id.txt"
done

set +e
history="$(win_run tavrine-cli.exe history)"
undone="$(win_run tavrine-cli.exe apply undo)"
undo_code=$?
set -e
expect_contains "history lists the Latency run" "${entry%.txt}" "$history"
expect_eq "apply undo exits 0" 0 "$undo_code"
expect_contains "apply undo takes back this run" "Undid ${entry%.txt}:" "$undone"
expect_contains "undo reports what it restored" "changes restored" "$undone"
expect_eq "MouseSpeed is back" "REG_SZ 1" "$(win_reg_value "$mouse" MouseSpeed)"
expect_eq "Win32PrioritySeparation is back" "REG_DWORD 0x26" \
    "$(win_reg_value "$priority" Win32PrioritySeparation)"
# Wine keeps the mouse speed its own way (see 10-cli-latency.sh), so that one record may be left
# as "changed since": the run then reads "partly undone (67 of 68)".
latency_line="$(win_run tavrine-cli.exe history | grep -F -- "${entry%.txt} " || true)"
counted="$latency_line"
if [[ "$latency_line" =~ (undone|partly\ undone\ \([0-9]+\ of\ [0-9]+\))\ by\ [0-9-]+-undo ]]; then
    counted=yes
fi
expect_eq "history counts the run undone by that undo" yes "$counted"

win_reg export 'HKCU\Control Panel' "$after" /y >/dev/null
# The values, key by key. Two things are set aside: keys the run created are left behind empty
# (the history records values, not keys), and "MouseSensitivity", where Wine's own
# SPI_SETMOUSESPEED stores the speed in a form of its own (see 10-cli-latency.sh).
values_of() {
    iconv -f UTF-16 -t UTF-8 "$1" | tr -d '\r' |
        awk '/^\[/ { key = $0; next } /=/ && !/^"MouseSensitivity"=/ { print key " " $0 }'
}
before_values="$(values_of "$TAVRINE_BIN/undo-control-panel-before.reg")"
after_values="$(values_of "$TAVRINE_BIN/undo-control-panel-after.reg")"
expect_eq "HKCU\\Control Panel holds the same values as before the run" "$before_values" "$after_values"
rm -f "$TAVRINE_BIN/undo-control-panel-before.reg" "$TAVRINE_BIN/undo-control-panel-after.reg"

wine_test_done

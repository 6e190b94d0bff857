#!/usr/bin/env bash
# The hardware HUD and Start with Windows end to end in the sandbox:
#   1. F7 shows the panel in the top-right corner (OCR reads its title and footer), "hud.cfg"
#      holds eleven lines with the HUD on; F7 again hides the panel and saves it off.
#   2. "Start with Windows" on the Settings page registers the logon task for the program in
#      place: Wine keeps no owner or access list on files, so C:\tavrine reads as a folder only
#      administrators can write and no copy under Program Files is made (the copy for a folder
#      the user can write is checked in tests/native/start_with_windows_test.cpp). It registers the task
#      through the Task Scheduler's interface (Wine keeps it as
#      C:\windows\system32\tasks\TavrineOptimiser) with no definition file left in the Windows or
#      the user's temporary folder, and removes a planted "DunmarrowOptimiser" Run value; the next
#      start reads the toggle back on; off removes the task and the copy. Wine 8 stores a
#      registered task without its command, run level or logon trigger (it writes those parts
#      empty), so the quoted path and the highest run level are checked on the definition the
#      program hands to the scheduler, in tests/native/start_with_windows_test.cpp; here the
#      stored task's description shows that definition was the one registered.
# Screenshots go to $TAVRINE_ARTIFACTS/hud-*.png.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-lib.sh"
wine_sandbox_ensure
source "$(dirname "$0")/../../scripts/window-lib.sh"

window_check_setup hud-shots

roaming="$(window_roaming_folder)" || {
    echo "  FAIL  no roaming folder in the prefix"
    exit 1
}
# No HUD file yet (window_launch seeds the gpu record, so the splash leads to the main screen).
rm -f "$roaming/Tavrine/hud.cfg" "$roaming/Dunmarrow/hud.cfg"
tasks="$WINEPREFIX/drive_c/windows/system32/tasks"
copy="$WINEPREFIX/drive_c/Program Files/Tavrine Optimiser/TavrineOptimiser.exe"
# Task definitions in the temporary folders (the Windows one and the user's), one per line.
temp_definitions() {
    find "$WINEPREFIX/drive_c/windows/temp" "$(dirname "$roaming")/Local/Temp" "$(dirname "$(dirname "$roaming")")/Temp" \
        -maxdepth 1 -iname '*.xml*' 2>/dev/null | sort || true # a folder Wine never made is fine
}
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
win_cmd schtasks /delete /tn TavrineOptimiser /f >/dev/null 2>&1 || true

# hud_line1_is VALUE: "hud.cfg" is saved with the HUD switch at VALUE.
hud_line1_is() {
    [[ -f "$roaming/Tavrine/hud.cfg" && "$(head -n1 "$roaming/Tavrine/hud.cfg" | tr -d '\r')" == "$1" ]]
}

read -r screen_w screen_h < <(xdpyinfo -display "$DISPLAY" | sed -n 's/.*dimensions: *\([0-9]*\)x\([0-9]*\).*/\1 \2/p')
# The panel at scale 1: 320 x 228, 18 pixels from the top and right edges.
hud_x=$((screen_w - 320 - 18))
hud_y=18

# [1] F7 on and off ---------------------------------------------------------------------------
window_launch
if ! window_key_until F7 10 hud_line1_is 1; then
    echo "  FAIL  F7 did not switch the HUD on (hud.cfg's first line is not 1 within 10 s)"
    _tw_failures=$((_tw_failures + 1))
fi
pointer_to $((wx + 1210)) $((wy + 690))
sleep 2
shot "$TAVRINE_ARTIFACTS/hud-on.png"
text="$(ocr "$TAVRINE_ARTIFACTS/hud-on.png" "$hud_x" "$hud_y" 320 40 7)"
expect_contains "HUD title" "TAVRINE HUD" "$(tr -s ' ' <<<"$text")"
text="$(ocr "$TAVRINE_ARTIFACTS/hud-on.png" "$hud_x" $((hud_y + 228 - 30)) 320 30 7)"
expect_contains "HUD footer" "F7 toggle" "$text"
text="$(ocr "$TAVRINE_ARTIFACTS/hud-on.png" "$hud_x" $((hud_y + 50)) 320 130)"
expect_contains "HUD shows the CPU line" "CPU" "$text"
expect_contains "HUD shows the RAM line" "RAM" "$text"
if [[ -f "$roaming/Tavrine/hud.cfg" ]]; then
    expect_eq "hud.cfg lines" "11" "$(wc -l <"$roaming/Tavrine/hud.cfg" | tr -d ' ')"
    expect_eq "hud.cfg saved with the HUD on" "1" "$(head -n1 "$roaming/Tavrine/hud.cfg" | tr -d '\r')"
else
    echo "  FAIL  no hud.cfg after F7"
    _tw_failures=$((_tw_failures + 1))
fi

window_key_until F7 10 hud_line1_is 0 || {
    echo "  FAIL  F7 did not switch the HUD off"
    _tw_failures=$((_tw_failures + 1))
}
sleep 1.5
shot "$TAVRINE_ARTIFACTS/hud-off.png"
text="$(ocr "$TAVRINE_ARTIFACTS/hud-off.png" "$hud_x" "$hud_y" 320 228)"
expect_not_contains "HUD hidden after F7 again" "TAVRINE" "$text"
expect_eq "hud.cfg saved with the HUD off" "0" "$(head -n1 "$roaming/Tavrine/hud.cfg" | tr -d '\r')"

# [2] Start with Windows ----------------------------------------------------------------------
nav_settings_y=606
# row_y FILE WORD: the screen y of the first line whose text starts with WORD in the page
# panel, from tesseract's word boxes (the page scrolls, so its rows have no fixed place).
row_y() {
    local x0=$((wx + 230)) y0=$((wy + 90)) w=900 h=500
    crop_for_ocr "$1" "$x0" "$y0" "$w" "$h" 2
    tesseract "$work/ocr.png" stdout --psm 11 tsv 2>/dev/null |
        awk -F'\t' -v word="$2" -v y0="$y0" '!found && $12 == word { print int(y0 + ($8 + $10 / 2) / 2); found = 1 }'
}
# Scrolls the Settings page to its end, where the App card is.
settings_bottom() {
    click_at $((wx + 100)) $((wy + nav_settings_y))
    pointer_to $((wx + 800)) $((wy + 400))
    for _ in $(seq 1 12); do
        xdotool click 5
        sleep 0.05
    done
    pointer_to $((wx + 1210)) $((wy + 690))
    sleep 0.8
}
# switch_on FILE Y: the switch at the end of the row at Y shows its violet track (an off
# switch is grey).
switch_on() {
    local x r g b
    for x in $(seq $((wx + 1130)) 4 $((wx + 1180))); do
        read -r r g b <<<"$(pixel_at "$1" "$x" "$2")"
        [[ -n "$r" ]] && ((b >= 150 && b > r + 50 && r > g)) && return 0
    done
    return 1
}

win_reg add "$run_key" /v DunmarrowOptimiser /t REG_SZ /d 'C:\Old\Dunmarrow.exe' /f >/dev/null
rm -rf "$(dirname "$copy")"
definitions_before="$(temp_definitions)"
settings_bottom
shot "$TAVRINE_ARTIFACTS/hud-settings-app.png"
y="$(row_y "$TAVRINE_ARTIFACTS/hud-settings-app.png" Start)"
if [[ -z "$y" ]]; then
    echo "  FAIL  no \"Start with Windows\" row found on the Settings page"
    _tw_failures=$((_tw_failures + 1))
else
    if switch_on "$TAVRINE_ARTIFACTS/hud-settings-app.png" "$y"; then
        echo "  FAIL  \"Start with Windows\" shows on before any task exists"
        _tw_failures=$((_tw_failures + 1))
    fi
    click_at $((wx + 500)) "$y"
    pointer_to $((wx + 1210)) $((wy + 690))
    sleep 3
    if [[ -f "$tasks/TavrineOptimiser" ]]; then
        echo "  ok    the logon task exists"
        task="$(tr -d '\0' <"$tasks/TavrineOptimiser")" # UTF-8 or UTF-16, as the Wine version writes it
        expect_contains "the task is the program's definition" "Starts Tavrine Optimiser at logon." "$task"
    else
        echo "  FAIL  no logon task at $tasks/TavrineOptimiser"
        _tw_failures=$((_tw_failures + 1))
    fi
    expect_eq "the planted DunmarrowOptimiser Run value is gone" "" \
        "$(win_reg_value "$run_key" DunmarrowOptimiser || true)"
    expect_eq "no task definition file in a temporary folder" "$definitions_before" "$(temp_definitions)"
    if [[ -e "$copy" ]]; then
        echo "  FAIL  a copy was made under Program Files for a program in an administrators-only folder"
        _tw_failures=$((_tw_failures + 1))
    else
        echo "  ok    the program starts in place: no copy under C:\Program Files\Tavrine Optimiser"
    fi
    shot "$TAVRINE_ARTIFACTS/hud-start-on.png"
fi
window_quit

# The next start reads the toggle back from the system; then off removes the task.
window_launch
settings_bottom
shot "$TAVRINE_ARTIFACTS/hud-start-restart.png"
y="$(row_y "$TAVRINE_ARTIFACTS/hud-start-restart.png" Start)"
if [[ -n "$y" ]] && switch_on "$TAVRINE_ARTIFACTS/hud-start-restart.png" "$y"; then
    echo "  ok    \"Start with Windows\" reads on at the next start"
    click_at $((wx + 500)) "$y"
    pointer_to $((wx + 1210)) $((wy + 690))
    sleep 3
    if [[ -e "$tasks/TavrineOptimiser" ]]; then
        echo "  FAIL  the logon task is still there after switching off"
        _tw_failures=$((_tw_failures + 1))
    else
        echo "  ok    switching off removes the logon task"
    fi
    if [[ -e "$copy" ]]; then
        echo "  FAIL  the copy under Program Files is still there after switching off"
        _tw_failures=$((_tw_failures + 1))
    else
        echo "  ok    switching off removes the copy"
    fi
else
    echo "  FAIL  \"Start with Windows\" does not read on at the next start (row y: ${y:-none})"
    _tw_failures=$((_tw_failures + 1))
fi
window_quit
win_cmd schtasks /delete /tn TavrineOptimiser /f >/dev/null 2>&1 || true
echo "  screenshots: $TAVRINE_ARTIFACTS/hud-*.png"
wine_test_done

#!/usr/bin/env bash
# The Fortnite deploy on real files: %LOCALAPPDATA%\FortniteGame\Saved\Config\WindowsClient holds
# a UTF-16LE "GameUserSettings.ini" (byte-order mark, CRLF, some keys of the edit list with other
# values, lines of the user's own) and a read-only UTF-8 "Engine.ini"; there is no "WinGDK".
# `plan deploy fortnite` prints the seven stages and the INI lines and changes nothing;
# `apply deploy fortnite` leaves each file in its encoding with every edit applied and every
# other line kept, a ".tavrine.bak" byte-identical to the original, no "WinGDK", and the
# Layers and DirectX values set; a second deploy changes neither backup. Then links made from
# the host (Wine cannot make them) lead the "Windows" platform folder and WindowsNoEditor's
# "Engine.ini" to files outside the game's folder: a third deploy leaves those files, and the
# folder they are in, exactly as they were, and still edits the plain files beside them.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-lib.sh"
wine_sandbox_ensure

# A C:\ path of the prefix as a host path (the prefix has no other drive).
host_path() {
    local rest="${1#[Cc]:\\}"
    echo "$WINEPREFIX/drive_c/${rest//\\//}"
}

local_win="$(win_cmd echo %LOCALAPPDATA%)"
local_win="${local_win%%[[:space:]]}"
[[ "$local_win" == [Cc]:\\?* ]] || { echo "  FAIL  %LOCALAPPDATA% is not on C: ($local_win)"; exit 1; }
root="$(host_path "$local_win\\FortniteGame")"
case "$(realpath -m "$root")" in
"$(realpath -m "$WINEPREFIX/drive_c")"/?*) ;;
*) echo "  FAIL  %LOCALAPPDATA% leads out of the prefix ($local_win)"; exit 1 ;;
esac
client_win="$local_win\\FortniteGame\\Saved\\Config\\WindowsClient"
client="$(host_path "$client_win")"
originals="$TAVRINE_ARTIFACTS/games-originals"
outside="$WINEPREFIX/drive_c/tavrine-games-outside"
# What lies beyond the links before the deploy; an interrupted earlier run may have left one.
outside_before="$TAVRINE_ARTIFACTS/games-outside-before"
rm -rf "$root" "$originals" "$outside" "$outside_before"
mkdir -p "$client" "$originals"

printf '[ScalabilityGroups]\r\nsg.ResolutionQuality=75.000000\r\nsg.ShadowQuality = 3\r\n'`
      `'[/Script/FortniteGame.FortGameUserSettings]\r\nbUseVSync=True\r\nMouseSensitivityX=0.061\r\n'`
      `'[Mine]\r\nKeepMe=yes \xc3\xa9t\xc3\xa9\r\n' | iconv -f UTF-8 -t UTF-16LE >"$originals/body"
{ printf '\xff\xfe'; cat "$originals/body"; } >"$originals/GameUserSettings.ini"
printf '[SystemSettings]\r\nr.VSync=1\r\n[Core.Log]\r\nLogNet=Verbose\r\n' >"$originals/Engine.ini"
cp "$originals/GameUserSettings.ini" "$originals/Engine.ini" "$client/"
win_cmd attrib +r "$client_win\\Engine.ini" >/dev/null
expect_contains "Engine.ini starts read-only" "R" "$(win_cmd attrib "$client_win\\Engine.ini" | cut -c1-12)"

layers='HKCU\Software\Microsoft\Windows NT\CurrentVersion\AppCompatFlags\Layers'
directx='HKCU\SOFTWARE\Microsoft\DirectX\UserGpuPreferences'
win_reg delete "$layers" /v FortniteClient-Win64-Shipping.exe /f >/dev/null || true
win_reg delete "$directx" /v DirectXUserGlobalSettings /f >/dev/null || true

# plan: seven stages, the INI lines of both files, nothing written.
set +e
plan="$(win_run tavrine-cli.exe plan deploy fortnite)"
plan_code=$?
set -e
expect_eq "plan deploy exits 0" 0 "$plan_code"
stages="$(sed -n 's/^# \[[0-9]*\/7\] //p' <<<"$plan" | tr '\n' '|')"
expect_eq "plan prints the seven stages" \
    "Arming profile...|Input + power...|Frames + GPU...|Netcode...|Background cull...|Clamping game process...|Done|" \
    "$stages"
settings_lines="$(grep -c "^NOTE INI $(sed 's/\\/\\\\/g' <<<"$client_win")\\\\GameUserSettings.ini " <<<"$plan" || true)"
engine_lines="$(grep -c "^NOTE INI $(sed 's/\\/\\\\/g' <<<"$client_win")\\\\Engine.ini " <<<"$plan" || true)"
expect_eq "plan shows 30 settings for GameUserSettings.ini" 30 "$settings_lines"
expect_eq "plan shows 31 settings for Engine.ini" 31 "$engine_lines"
expect_contains "plan shows the backup" "COPY FILE $client_win\\Engine.ini -> $client_win\\Engine.ini.tavrine.bak" "$plan"
expect_eq "plan wrote nothing" "GameUserSettings.ini Engine.ini same" \
    "$(ls "$client" | sort -r | tr '\n' ' ')$(cmp -s "$client/GameUserSettings.ini" "$originals/GameUserSettings.ini" &&
        cmp -s "$client/Engine.ini" "$originals/Engine.ini" && echo same)"

# apply.
set +e
applied="$(TAVRINE_WIN_TIMEOUT=900 win_run tavrine-cli.exe apply deploy fortnite)"
apply_code=$?
set -e
expect_eq "apply deploy exits 0" 0 "$apply_code"
expect_contains "apply ends with the Fortnite message" "Step 7 / 7  Fortnite Performance Mode on" "$applied"

settings="$client/GameUserSettings.ini"
expect_eq "GameUserSettings.ini keeps its byte-order mark" "fffe" "$(head -c2 "$settings" | od -An -tx1 | tr -d ' \n')"
tail -c +3 "$settings" | iconv -f UTF-16LE -t UTF-8 >"$TAVRINE_ARTIFACTS/games-settings.txt"
settings_text="$(cat "$TAVRINE_ARTIFACTS/games-settings.txt")"
engine_text="$(cat "$client/Engine.ini")"
missing=""
while IFS= read -r line; do
    file="${line#NOTE INI }"
    setting="${line##*] }"
    case "$file" in
    *\\GameUserSettings.ini\ *) grep -qxF "$setting"$'\r' <<<"$settings_text" || missing+=" $setting" ;;
    *\\Engine.ini\ *) grep -qxF "$setting"$'\r' <<<"$engine_text" || missing+=" $setting" ;;
    esac
done < <(grep "^NOTE INI $(sed 's/\\/\\\\/g' <<<"$client_win")" <<<"$plan")
expect_eq "every edit is in its file" "" "$missing"
expect_contains "the user's own line is kept" $'KeepMe=yes \xc3\xa9t\xc3\xa9\r' "$settings_text"
expect_contains "the user's own key is kept" $'MouseSensitivityX=0.061\r' "$settings_text"
expect_not_contains "the old resolution is gone" "75.000000" "$settings_text"
expect_eq "every line of GameUserSettings.ini ends in CRLF" \
    "$(grep -c $'\r$' "$TAVRINE_ARTIFACTS/games-settings.txt")" "$(wc -l <"$TAVRINE_ARTIFACTS/games-settings.txt")"
expect_eq "Engine.ini stays UTF-8 without a mark" "5b53" "$(head -c2 "$client/Engine.ini" | od -An -tx1 | tr -d ' \n')"
expect_contains "Engine.ini keeps the user's section" $'[Core.Log]\r\nLogNet=Verbose\r' "$engine_text"
expect_eq "every line of Engine.ini ends in CRLF" "$(grep -c $'\r$' "$client/Engine.ini")" "$(wc -l <"$client/Engine.ini")"
expect_eq "GameUserSettings.ini backup is the original" "same" \
    "$(cmp -s "$settings.tavrine.bak" "$originals/GameUserSettings.ini" && echo same)"
expect_eq "Engine.ini backup is the original" "same" \
    "$(cmp -s "$client/Engine.ini.tavrine.bak" "$originals/Engine.ini" && echo same)"
expect_eq "WinGDK was not made" "absent" "$([[ -e "$root/Saved/Config/WinGDK" ]] || echo absent)"
expect_contains "the Layers value is set" "~ DISABLEDXMAXIMIZEDWINDOWEDMODE" \
    "$(win_reg_value "$layers" FortniteClient-Win64-Shipping.exe)"
expect_contains "the DirectX value is set" "VRROptimizeEnable=0;AutoHDREnable=0;SwapEffectUpgradeEnable=0;" \
    "$(win_reg_value "$directx" DirectXUserGlobalSettings)"

# A second deploy: the same files, the same backups.
cp "$settings" "$TAVRINE_ARTIFACTS/games-settings-first.ini"
set +e
TAVRINE_WIN_TIMEOUT=900 win_run tavrine-cli.exe apply deploy 2 >/dev/null
second_code=$?
set -e
expect_eq "a second deploy exits 0" 0 "$second_code"
expect_eq "a second deploy leaves GameUserSettings.ini as the first left it" "same" \
    "$(cmp -s "$settings" "$TAVRINE_ARTIFACTS/games-settings-first.ini" && echo same)"
expect_eq "a second deploy leaves the backups alone" "same same" \
    "$(cmp -s "$settings.tavrine.bak" "$originals/GameUserSettings.ini" && echo same) $(cmp -s \
        "$client/Engine.ini.tavrine.bak" "$originals/Engine.ini" && echo same)"

# Links planted in the game's folder: the far side is never read, backed up or written.
mkdir -p "$outside" "$root/Saved/Config/WindowsNoEditor"
printf '[Canary]\r\nKeep=1\r\n' >"$outside/GameUserSettings.ini"
printf '[Canary]\r\nKeep=1\r\n' >"$outside/Engine.ini"
printf '[Secret]\r\nKeep=1\r\n' >"$outside/secret.ini"
cp -rT "$outside" "$outside_before"
ln -s "$(realpath --relative-to="$root/Saved/Config" "$outside")" "$root/Saved/Config/Windows"
ln -s "$(realpath --relative-to="$root/Saved/Config/WindowsNoEditor" "$outside/secret.ini")" \
    "$root/Saved/Config/WindowsNoEditor/Engine.ini"
[[ "$(realpath "$root/Saved/Config/Windows")" == "$(realpath "$outside")" ]] ||
    { echo "  FAIL  the folder link does not lead outside"; exit 1; }
set +e
TAVRINE_WIN_TIMEOUT=900 win_run tavrine-cli.exe apply deploy fortnite >"$TAVRINE_ARTIFACTS/games-links.txt"
links_code=$?
set -e
expect_eq "a deploy with links planted exits 0" 0 "$links_code"
# Empty when nothing differs; else diff says what.
outside_changes="$(diff -r "$outside" "$outside_before" 2>&1)" || true
expect_eq "nothing beyond the links is read into a backup or written" "" "$outside_changes"
expect_eq "the file link stays a link with no backup beside it" "link none" \
    "$([[ -L "$root/Saved/Config/WindowsNoEditor/Engine.ini" ]] && echo link) $(ls "$root/Saved/Config/WindowsNoEditor" |
        grep -c 'tavrine' | sed 's/^0$/none/')"
expect_contains "the plain file beside the link is still edited" "bUseVSync=False" \
    "$(tail -c +3 "$root/Saved/Config/WindowsNoEditor/GameUserSettings.ini" | iconv -f UTF-16LE -t UTF-8)"

rm -f "$root/Saved/Config/Windows" "$root/Saved/Config/WindowsNoEditor/Engine.ini"
rm -rf "$root" "$outside" "$outside_before"
wine_test_done

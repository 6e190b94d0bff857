#!/usr/bin/env bash
# Names in any script, in a prefix of its own whose user is "Zoë 李明": Wine names the profile
# folder (C:\users\Zoë 李明) after the account running it when it makes the prefix, so %APPDATA%,
# %LOCALAPPDATA% and %TEMP% all lie below a folder with a non-ASCII name. In it:
#   - "Temp files" empties a temporary folder holding "日本語.tmp", "Ünïcødé.log" and "🎮.dat"
#     and keeps the folder;
#   - the Fortnite deploy edits GameUserSettings.ini below %LOCALAPPDATA% and backs it up;
#   - `tavrine-cli plan cleanup` prints the profile's name as it is, `status` runs there;
#   - the runner's cases for names in any script pass there: the settings and crosshair files
#     written and read back in %APPDATA%\Tavrine, whole-file writes, known folders, files and
#     registry values named in several scripts.
# The prefix is made, sealed and thrown away as the shared one is (scripts/wine-lib.sh), under
# the shared wine root; the shared prefix is not touched.
set -euo pipefail
user_name='Zoë 李明'
if [[ "${TAVRINE_UNICODE_PREFIX:-}" != 1 ]]; then
    repo="$(cd "$(dirname "$0")/../.." && pwd)"
    # Out of the parent's sandbox state: this script brings up its own (a namespace and an
    # Xvfb of its own too), under the wine root the parent may write.
    exec env -u TAVRINE_WINE_READY -u TAVRINE_SEALED -u DISPLAY TAVRINE_UNICODE_PREFIX=1 \
        TAVRINE_WINE_ROOT="${TAVRINE_WINE_ROOT:-$repo/build/wine}/unicode-user" \
        bash "$0" "$@"
fi
source "$(dirname "$0")/../../scripts/wine-lib.sh"
started=$SECONDS
# Wine names its user, and so the profile folder, after the account's name in the password
# database when it makes the prefix (WINEUSERNAME is set by Wine, never read). In the private
# mount namespace the sandbox runs in, this account is given that name in a copy of
# /etc/passwd bound over the real one for this namespace only.
wine_sandbox_enter "$(realpath "$0")" "$@"
if [[ "${_tw_sealed_here:-}" != 1 ]]; then
    echo "  SKIP  no private mount namespace here (needs root): the account cannot be renamed"
    exit 0
fi
passwd_copy="$TAVRINE_WINE_ROOT/passwd"
awk -F: -v uid="$(id -u)" -v name="$user_name" 'BEGIN { OFS = ":" } $3 == uid { $1 = name } { print }' \
    /etc/passwd >"$passwd_copy"
mount --bind "$passwd_copy" /etc/passwd
export USER="$user_name"
wine_sandbox_ensure
echo "   own prefix for \"$user_name\" up in $((SECONDS - started)) s"

finish() {
    wine_sandbox_release
    # Only the prefix this script made; its root lies under the shared one.
    [[ "${_tw_owns_sandbox:-}" == 1 && "$TAVRINE_WINE_ROOT" == */unicode-user ]] && rm -rf "$WINEPREFIX" "$HOME"
}
trap finish EXIT

profile="$WINEPREFIX/drive_c/users/$user_name"
expect_eq "Wine named the profile folder after the user" yes "$([[ -d "$profile" ]] && echo yes || echo no)"
[[ -d "$profile" ]] || {
    ls "$WINEPREFIX/drive_c/users" | sed 's/^/        users: /'
    exit 1
}
local_app="$profile/AppData/Local"
roaming="$profile/AppData/Roaming"
temp="$(find "$profile" -maxdepth 3 -type d -iname temp | head -n1)"
expect_eq "%TEMP% lies in the profile" yes "$([[ -n "$temp" ]] && echo yes || echo no)"

# "Temp files".
names=('日本語.tmp' 'Ünïcødé.log' '🎮.dat')
mkdir -p "$temp/tavrine-unicode"
for name in "${names[@]}"; do echo x >"$temp/tavrine-unicode/$name"; done
set +e
plan="$(win_run tavrine-cli.exe plan cleanup)"
plan_code=$?
set -e
expect_eq "plan cleanup exits 0" 0 "$plan_code"
# The CLI prints UTF-8: the profile's name as it is, not a code page's "?" for it.
expect_contains "plan prints the temporary folder by its name" "C:\\users\\$user_name\\" "$plan"
set +e
applied="$(win_run tavrine-cli.exe apply cleanup)"
apply_code=$?
set -e
expect_eq "apply cleanup exits 0" 0 "$apply_code"
for name in "${names[@]}"; do
    expect_eq "$name is deleted" gone "$([[ -e "$temp/tavrine-unicode/$name" ]] && echo present || echo gone)"
done
expect_eq "the folder stays" yes "$([[ -d "$temp/tavrine-unicode" ]] && echo yes || echo no)"

# The Fortnite configuration below %LOCALAPPDATA%.
client="$local_app/FortniteGame/Saved/Config/WindowsClient"
mkdir -p "$client"
{ printf '\xff\xfe'; printf '[/Script/FortniteGame.FortGameUserSettings]\r\nbUseVSync=True\r\n' |
    iconv -f UTF-8 -t UTF-16LE; } >"$client/GameUserSettings.ini"
cp "$client/GameUserSettings.ini" "$TAVRINE_ARTIFACTS/unicode-fortnite-original.ini"
set +e
deployed="$(TAVRINE_WIN_TIMEOUT=900 win_run tavrine-cli.exe apply deploy fortnite)"
deploy_code=$?
set -e
expect_eq "apply deploy fortnite exits 0" 0 "$deploy_code"
expect_eq "the backup is the original" same \
    "$(cmp -s "$client/GameUserSettings.ini.tavrine.bak" "$TAVRINE_ARTIFACTS/unicode-fortnite-original.ini" && echo same || echo differs)"
expect_contains "the settings are edited" "bUseVSync=False" \
    "$(tail -c +3 "$client/GameUserSettings.ini" | iconv -f UTF-16LE -t UTF-8 2>/dev/null | tr -d '\r')"

set +e
status="$(win_run tavrine-cli.exe status)"
status_code=$?
set -e
expect_eq "status exits 0" 0 "$status_code"
expect_contains "status prints its header" "# state of the" "$status"

set +e
runner="$(GTEST_COLOR=no win_run tavrine_win_tests.exe --gtest_color=no \
    --gtest_filter='RealFiles.names_in_any_script_*:RealFiles.the_settings_and_crosshair_*:RealFiles.whole_file_writes_*:RealFiles.known_folders_*:RealRegistry.names_and_strings_*' 2>&1)"
runner_code=$?
set -e
expect_eq "the runner's cases pass in this prefix" 0 "$runner_code"
expect_contains "all five ran" "[  PASSED  ] 5 tests" "$runner"
wine_test_done

#!/usr/bin/env bash
# The prefix the Windows programs run in cannot reach the host through a drive or a link.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-lib.sh"
wine_sandbox_ensure

if win_cmd 'dir C:\tavrine' >/dev/null; then c_drive=listed; else c_drive=refused; fi
expect_eq "C: is there and holds the binaries" listed "$c_drive"
if win_cmd 'dir Z:\' >/dev/null; then z_drive=listed; else z_drive=refused; fi
expect_eq "Z: (the host's root) is gone" refused "$z_drive"

expect_eq "dosdevices holds only C:" "c:" "$(ls "$WINEPREFIX/dosdevices" | tr '\n' ' ' | sed 's/ $//')"
outside=""
while IFS= read -r -d '' link; do
    target="$(realpath -m "$link")"
    [[ "$target" == "$(realpath -m "$WINEPREFIX")"/* ]] || outside+="$link -> $target; "
done < <(find "$WINEPREFIX" -type l -print0)
expect_eq "no link in the prefix leads out of it" "" "$outside"

# The user folders a cleanup might empty are real folders inside the prefix, not the host's home.
profile="$(win_cmd 'echo %USERPROFILE%')"
expect_contains "the user profile is on C:" 'C:\users\' "$profile"
for folder in Desktop Documents Downloads; do
    path="$WINEPREFIX/drive_c/users/$(basename "${profile//\\//}")/$folder"
    if [[ -d "$path" && ! -L "$path" ]]; then kind=folder; else kind=other; fi
    expect_eq "$folder is a plain folder in the prefix" folder "$kind"
done

wine_test_done

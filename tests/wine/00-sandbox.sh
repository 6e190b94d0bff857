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

# Wine's "\\?\unix\" namespace reaches host paths whatever the drives say; in the sealed mount
# namespace only the wine root is writable. The sleeper writes the marker file it is given.
if [[ "${TAVRINE_SEALED:-}" == 1 ]]; then
    unix() { printf '%s%s' '\\?\unix' "${1//\//\\}"; }
    host_probe="$TAVRINE_ROOT/build/.unix-probe"
    inside_probe="$TAVRINE_WINE_ROOT/tmp/unix-probe"
    rm -f "$inside_probe" # an interrupted run may have left it: the probe must write it now
    if win_run tavrine-test-sleeper.exe 0 "$(unix "$inside_probe")" && [[ -f "$inside_probe" ]]; then
        inside=written
    else
        inside=refused
    fi
    expect_eq "a unix path inside the wine root is writable (the probe works)" written "$inside"
    if win_run tavrine-test-sleeper.exe 0 "$(unix "$host_probe")" || [[ -e "$host_probe" ]]; then
        host=written
        rm -f "$host_probe"
    else
        host=refused
    fi
    expect_eq "a unix path into the host's tree is refused" refused "$host"
    rm -f "$inside_probe"
else
    echo "  SKIP  not in a private mount namespace (not root?): the host is guarded by permissions only"
fi

wine_test_done

# shellcheck shell=bash
# The Wine sandbox the Windows binaries are tested in. Source this file; it only defines
# variables and functions. Then either
#   wine_sandbox_up      build a fresh prefix, start Xvfb, copy the binaries in (the owner:
#                        scripts/test-wine.sh, scripts/run-plan.sh); stops everything at exit
#   wine_sandbox_ensure [ARGS...]
#                        use the sandbox a parent script already set up (TAVRINE_WINE_READY=1),
#                        or, when the script runs on its own, re-run it with ARGS in the
#                        read-only namespace and bring one up there
#
# Why so careful: the programs under test delete files, rewrite the registry and run commands,
# and CI runs them as root. A fresh Wine prefix maps the host's root as Z: and links the user
# folders (Desktop, Documents, Downloads, ...) to the host's home, so a cleanup routine with a
# wrong path could reach the host. The prefix therefore lives under build/, its HOME is a
# throwaway folder beside it, every drive but C: and every link that leads out of the prefix is
# removed (and checked; setup fails loudly otherwise), serial and parallel ports are switched
# off, and the binaries run from C:\tavrine.
# Wine also reaches any host file through its "\\?\unix\" path namespace, so an owner script
# first re-runs itself in a private mount namespace in which every host file system is
# read-only except the wine root, build/artifacts and build/logs (wine_sandbox_enter; needs
# root, as in CI; elsewhere the user's own file permissions are the limit and a note says so).
# Inside, TMPDIR points into the wine root: write nothing to /tmp.
#
# An owner script starts with
#     self="$(realpath "${BASH_SOURCE[0]}")"; source .../wine-lib.sh; wine_sandbox_enter "$self" "$@"
#
# Variables (exported to child scripts):
#   WINEPREFIX         <wine root>/prefix, deleted and recreated by every wine_sandbox_up
#   TAVRINE_BIN        unix path of C:\tavrine, where every built .exe is copied
#   TAVRINE_ARTIFACTS  build/artifacts: screenshots, logs and other output worth keeping
#   DISPLAY            the Xvfb display the lib started
# Overrides (environment): TAVRINE_WIN_BUILD (default build/windows), TAVRINE_WINE_ROOT
# (default build/wine; must lie under build/), TAVRINE_WIN_TIMEOUT (seconds per program,
# default 600).

TAVRINE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
TAVRINE_WIN_BUILD="${TAVRINE_WIN_BUILD:-$TAVRINE_ROOT/build/windows}"
TAVRINE_WINE_ROOT="${TAVRINE_WINE_ROOT:-$TAVRINE_ROOT/build/wine}"
TAVRINE_ARTIFACTS="${TAVRINE_ARTIFACTS:-$TAVRINE_ROOT/build/artifacts}"
# Never an inherited WINEPREFIX: wine_sandbox_up deletes it, and it may be someone's real one.
WINEPREFIX="$TAVRINE_WINE_ROOT/prefix"
TAVRINE_BIN="$WINEPREFIX/drive_c/tavrine"
export TAVRINE_ROOT TAVRINE_WIN_BUILD TAVRINE_WINE_ROOT TAVRINE_ARTIFACTS WINEPREFIX TAVRINE_BIN
export WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko install dialogs; no desktop menu entries written into the host's home.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export HOME="$TAVRINE_WINE_ROOT/home"
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_DESKTOP_DIR XDG_DOCUMENTS_DIR XDG_DOWNLOAD_DIR

_tw_xvfb_pid=""
TAVRINE_LOGS="${TAVRINE_LOGS:-$TAVRINE_ROOT/build/logs}"
export TAVRINE_LOGS

_tw_die() {
    echo "wine-lib: $*" >&2
    exit 1
}

# The wine root is deleted wholesale, so it must be a folder of its own under build/.
_tw_check_root() {
    local root build
    root="$(realpath -m "$TAVRINE_WINE_ROOT")"
    build="$(realpath -m "$TAVRINE_ROOT/build")"
    [[ "$root" == "$build"/?* ]] || _tw_die "TAVRINE_WINE_ROOT ($root) must lie under $build"
}

# wine_sandbox_enter SCRIPT [ARGS...]: re-runs SCRIPT in a private mount namespace with the
# host read-only (see the top of this file); inside it, seals the mounts and returns.
wine_sandbox_enter() {
    local script="$1"
    shift
    _tw_check_root
    if [[ "${_tw_sealed_here:-}" == 1 ]]; then
        return 0
    fi
    if [[ "${TAVRINE_SEALED:-}" == 1 ]]; then
        _tw_seal_mounts
        _tw_sealed_here=1
        return 0
    fi
    if [[ "$(id -u)" -ne 0 ]] || ! command -v unshare >/dev/null || ! unshare --mount true 2>/dev/null; then
        echo "wine-lib: no private mount namespace here; the host is guarded by file permissions only" >&2
        return 0
    fi
    export TAVRINE_SEALED=1
    exec unshare --mount --propagation private bash "$script" "$@"
}

# Inside the namespace: the places Wine and Xvfb must write stay writable (bound onto
# themselves, or onto folders in the wine root), then every other mount turns read-only.
_tw_seal_mounts() {
    local uid writable=() place mount_point
    uid="$(id -u)"
    mkdir -p "$TAVRINE_WINE_ROOT/tmp" "$TAVRINE_WINE_ROOT/xkb" "$TAVRINE_ARTIFACTS" "$TAVRINE_LOGS"
    mkdir -p /tmp/.X11-unix && chmod 1777 /tmp/.X11-unix 2>/dev/null || true
    [[ -d "/tmp/.wine-$uid" ]] || mkdir -m 700 "/tmp/.wine-$uid"
    writable=("$TAVRINE_WINE_ROOT" "$TAVRINE_ARTIFACTS" "$TAVRINE_LOGS" /tmp/.X11-unix "/tmp/.wine-$uid")
    for place in "${writable[@]}"; do
        mount --bind "$place" "$place" || _tw_die "could not keep $place writable"
    done
    # Xvfb writes its compiled keymaps here.
    if [[ -d /var/lib/xkb ]]; then
        mount --bind "$TAVRINE_WINE_ROOT/xkb" /var/lib/xkb || _tw_die "could not bind /var/lib/xkb"
        writable+=(/var/lib/xkb)
    fi
    while read -r mount_point; do
        mount_point="$(printf '%b' "$mount_point")" # mountinfo writes a space as \040
        case "$mount_point" in
        /proc | /proc/* | /dev | /dev/pts | /dev/mqueue) continue ;;
        esac
        local keep=0
        for place in "${writable[@]}"; do
            [[ "$mount_point" == "$(realpath -m "$place")" ]] && keep=1
        done
        ((keep)) && continue
        if ! mount -o remount,bind,ro "$mount_point" 2>/dev/null && [[ "$mount_point" == / ]]; then
            _tw_die "could not make / read-only in the sandbox namespace"
        fi
    done < <(awk '{print $5}' /proc/self/mountinfo)
    if touch "$TAVRINE_ROOT/build/.seal-probe" 2>/dev/null; then
        rm -f "$TAVRINE_ROOT/build/.seal-probe"
        _tw_die "the host is still writable inside the sandbox namespace"
    fi
    export TMPDIR="$TAVRINE_WINE_ROOT/tmp"
}

_tw_stop() {
    if [[ -d "$WINEPREFIX" ]]; then
        wineserver -k >/dev/null 2>&1 || true
        timeout 20 wineserver -w >/dev/null 2>&1 || true
    fi
    if [[ -n "$_tw_xvfb_pid" ]]; then
        kill "$_tw_xvfb_pid" 2>/dev/null || true
        wait "$_tw_xvfb_pid" 2>/dev/null || true
        _tw_xvfb_pid=""
    fi
}

_tw_start_xvfb() {
    # Xvfb picks a free display itself and reports it through -displayfd: binding the display's
    # socket is atomic, so two suites started at once never share a display (and a key sent by
    # one never lands in the other's window).
    local report="$TAVRINE_WINE_ROOT/xvfb.display" fd n=""
    rm -f "$report"
    exec {fd}>"$report"
    Xvfb -displayfd "$fd" -nolock -screen 0 1600x900x24 -nolisten tcp >"$TAVRINE_WINE_ROOT/xvfb.log" 2>&1 &
    _tw_xvfb_pid=$!
    exec {fd}>&-
    local tries
    for tries in $(seq 100); do
        n="$(tr -dc '0-9' <"$report" 2>/dev/null)"
        [[ -n "$n" && -S "/tmp/.X11-unix/X$n" ]] && break
        kill -0 "$_tw_xvfb_pid" 2>/dev/null || break
        n=""
        sleep 0.1
    done
    if [[ -n "$n" ]] && kill -0 "$_tw_xvfb_pid" 2>/dev/null; then
        export DISPLAY=":$n"
        return 0
    fi
    kill "$_tw_xvfb_pid" 2>/dev/null || true
    wait "$_tw_xvfb_pid" 2>/dev/null || true
    _tw_xvfb_pid=""
    _tw_die "could not start Xvfb (see $TAVRINE_WINE_ROOT/xvfb.log)"
}

# mountmgr links every host serial and parallel device as COMn/LPTn at each start; an empty
# value for a port name keeps that name unused, and with all names taken nothing is linked.
_tw_disable_ports() {
    local reg="$TAVRINE_WINE_ROOT/no-ports.reg" n
    {
        printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n'
        for n in $(seq 1 256); do printf '"COM%d"=""\r\n' "$n"; done
        for n in $(seq 1 9); do printf '"LPT%d"=""\r\n' "$n"; done
    } >"$reg"
    cp "$reg" "$WINEPREFIX/drive_c/no-ports.reg"
    wine regedit /S 'C:\no-ports.reg' >/dev/null 2>&1 || _tw_die "could not switch the ports off"
    rm -f "$WINEPREFIX/drive_c/no-ports.reg"
}

# A crash ends the program with its report in C:\tavrine\crashes.txt (test-wine.sh prints it and
# fails the run) rather than waiting behind winedbg's crash dialog, which nobody closes here.
_tw_report_crashes() {
    local reg="$WINEPREFIX/drive_c/crash-reports.reg"
    printf '%s\r\n' 'REGEDIT4' '' \
        '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]' \
        '"Auto"="1"' \
        '"Debugger"="C:\\windows\\system32\\cmd.exe /c C:\\windows\\system32\\winedbg.exe --auto %ld %ld >>C:\\tavrine\\crashes.txt 2>&1"' \
        '' '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' >"$reg"
    wine regedit /S 'C:\crash-reports.reg' >/dev/null 2>&1 || _tw_die "could not set up crash reports"
    rm -f "$reg"
}

# Removes every drive and device but C:, and turns every link that leaves the prefix (the user
# folders point at $HOME) into an empty folder.
_tw_cut_host_links() {
    local entry link
    for entry in "$WINEPREFIX"/dosdevices/*; do
        [[ "$(basename "$entry")" == "c:" ]] || rm -f "$entry"
    done
    while IFS= read -r -d '' link; do
        _tw_inside_prefix "$link" && continue
        rm -f "$link"
        mkdir -p "$link"
    done < <(find "$WINEPREFIX" -type l -print0)
}

_tw_inside_prefix() {
    local target prefix
    target="$(realpath -m "$1")"
    prefix="$(realpath -m "$WINEPREFIX")"
    [[ "$target" == "$prefix" || "$target" == "$prefix"/* ]]
}

# Fails loudly when anything in the prefix still leads to the host.
wine_sandbox_verify() {
    local bad=0
    if (cd "$WINEPREFIX/drive_c" && wine cmd /c 'dir Z:\' >/dev/null 2>&1); then
        echo "wine-lib: Z: is still reachable" >&2
        bad=1
    fi
    _tw_check_links || bad=1
    ((bad == 0)) || _tw_die "the sandbox is not sealed; refusing to run anything in it"
}

# True when dosdevices holds only C: and no link in the prefix leads out of it.
_tw_check_links() {
    local entry link bad=0
    for entry in "$WINEPREFIX"/dosdevices/*; do
        [[ -e "$entry" || -L "$entry" ]] || continue
        if [[ "$(basename "$entry")" != "c:" ]]; then
            echo "wine-lib: dosdevices entry left: $(basename "$entry") -> $(readlink "$entry")" >&2
            bad=1
        fi
    done
    while IFS= read -r -d '' link; do
        if ! _tw_inside_prefix "$link"; then
            echo "wine-lib: link out of the prefix: $link -> $(readlink "$link")" >&2
            bad=1
        fi
    done < <(find "$WINEPREFIX" -type l -print0)
    ((bad == 0))
}

# Copies every built Windows program (the CLI, the test runners, helper programs) to C:\tavrine.
wine_sandbox_install() {
    [[ -d "$TAVRINE_WIN_BUILD" ]] || _tw_die "no Windows build at $TAVRINE_WIN_BUILD (make windows)"
    mkdir -p "$TAVRINE_BIN"
    local exe count=0
    while IFS= read -r -d '' exe; do
        cp "$exe" "$TAVRINE_BIN/"
        count=$((count + 1))
    done < <(find "$TAVRINE_WIN_BUILD" -name CMakeFiles -prune -o -name googletest -prune -o \
        -type f -name '*.exe' -print0)
    ((count > 0)) || _tw_die "no .exe found under $TAVRINE_WIN_BUILD"
    # Stand-in libraries the Windows tests load (kept apart: no program finds them by accident).
    [[ -d "$TAVRINE_WIN_BUILD/stand-ins" ]] && cp -r "$TAVRINE_WIN_BUILD/stand-ins" "$TAVRINE_BIN/"
    return 0
}

wine_sandbox_up() {
    command -v wine >/dev/null || _tw_die "wine is not installed (scripts/bootstrap.sh)"
    command -v Xvfb >/dev/null || _tw_die "Xvfb is not installed (scripts/bootstrap.sh)"
    _tw_check_root
    if [[ -d "$WINEPREFIX" ]]; then wineserver -k >/dev/null 2>&1 || true; fi
    rm -rf "$WINEPREFIX" "$HOME"
    mkdir -p "$TAVRINE_WINE_ROOT" "$HOME" "$TAVRINE_ARTIFACTS"
    trap _tw_stop EXIT
    trap 'exit 130' INT TERM

    _tw_start_xvfb
    wine wineboot -i >"$TAVRINE_WINE_ROOT/wineboot.log" 2>&1 || _tw_die "wineboot failed (see wineboot.log)"
    wineserver -w
    _tw_disable_ports
    _tw_report_crashes
    wineserver -w
    # One server for the whole session instead of one per program. Its first program starts the
    # services, mountmgr among them, which links the ports the registry could not keep unused
    # (COM256); they are cut right after, and stay cut while this server lives.
    wineserver -p
    (cd "$WINEPREFIX/drive_c" && wine cmd /c exit 0 >/dev/null 2>&1) || _tw_die "wine does not start"
    _tw_cut_host_links
    wine_sandbox_install
    wine_sandbox_verify
    export TAVRINE_WINE_READY=1
}

wine_sandbox_ensure() {
    if [[ "${TAVRINE_WINE_READY:-}" == 1 && -d "$TAVRINE_BIN" ]]; then
        _tw_check_links || _tw_die "the sandbox is not sealed any more; refusing to run anything in it"
        return 0
    fi
    # On its own, a script first re-runs itself (with the arguments given here) in the
    # read-only namespace, as an owner does.
    wine_sandbox_enter "$(realpath "$0")" "$@"
    wine_sandbox_up
    _tw_owns_sandbox=1
}

# For a script with an EXIT trap of its own (which replaces the one wine_sandbox_up set): call
# last in that trap. Stops Wine and Xvfb only when this script brought the sandbox up.
wine_sandbox_release() {
    if [[ "${_tw_owns_sandbox:-}" == 1 ]]; then
        _tw_stop
    fi
}

# win_run EXE [ARGS...]: runs C:\tavrine\EXE with the current folder C:\tavrine; prints its
# output without carriage returns and returns its exit code.
win_run() {
    local exe="$1"
    shift
    (cd "$TAVRINE_BIN" &&
        exec timeout -k 10 "${TAVRINE_WIN_TIMEOUT:-600}" wine "C:\\tavrine\\$exe" "$@" 2> >(tr -d '\r' >&2)) |
        tr -d '\r'
    return "${PIPESTATUS[0]}"
}

# win_cmd COMMAND...: runs a command line through the prefix's cmd.exe.
win_cmd() {
    (cd "$TAVRINE_BIN" && exec timeout -k 10 "${TAVRINE_WIN_TIMEOUT:-600}" wine cmd /c "$@" 2>/dev/null) |
        tr -d '\r'
    return "${PIPESTATUS[0]}"
}

# Where a helper reports a retry: the script's own output (its log under test-wine.sh), whatever
# the caller has redirected.
exec {_tw_report_fd}>&2

# win_reg ARGS...: the prefix's reg.exe (add, delete, query, ...). reg.exe ends with exit code 0,
# or 1 with its reason ("reg: ..."). Any other end means Wine never ran it (a client that lost
# its server, a loader that failed: an external cause): it is run once more, and that is counted
# as a retry. What reg.exe itself answered is never retried.
win_reg() {
    local said out code=0
    said="$(mktemp -p "$TAVRINE_WINE_ROOT" reg-said.XXXXXX)"
    out="$(_tw_reg_once "$said" "$@")" || code=$?
    if ! _tw_reg_answered "$code" "$out" "$said"; then
        echo "  RETRY  reg $1: Wine did not run reg.exe (exit code $code: $(tr -d '\r' <"$said" | head -c 200 | tr '\n' ' '))" >&"$_tw_report_fd"
        code=0
        out="$(_tw_reg_once "$said" "$@")" || code=$?
    fi
    rm -f "$said"
    [[ -z "$out" ]] || printf '%s\n' "$out"
    return "$code"
}

_tw_reg_once() { # SAID_FILE ARGS...
    local said=$1
    shift
    (cd "$TAVRINE_BIN" && exec wine reg "$@" 2>"$said") | tr -d '\r'
    return "${PIPESTATUS[0]}"
}

_tw_reg_answered() { # CODE OUTPUT SAID_FILE
    (($1 == 0)) && return 0
    (($1 == 1)) || return 1
    [[ "$2" == *"reg: "* ]] || grep -q 'reg: ' "$3"
}

# win_reg_query KEY [VALUE]: reg query KEY [/v VALUE].
win_reg_query() {
    if (($# > 1)); then
        win_reg query "$1" /v "$2"
    else
        win_reg query "$1"
    fi
}

# win_reg_value KEY VALUE: prints "TYPE DATA" of one value (e.g. "REG_SZ 31"); fails when absent.
win_reg_value() {
    local out
    out="$(win_reg_query "$1" "$2")" || return 1
    reg_value_in "$out" "$2"
}

# reg_value_in QUERY_OUTPUT VALUE: "TYPE DATA" of the value of that exact name in what reg query
# printed ("    NAME    TYPE    DATA"; one query of a key reads all its values); fails when absent.
reg_value_in() {
    awk -v name="$2" '
        { line = $0; sub(/^[ \t]+/, "", line) }
        index(line, name "    REG_") == 1 {
            rest = substr(line, length(name) + 1)
            n = split(rest, f, /[ \t]+/)
            type = ""; data = ""
            for (i = 1; i <= n; i++) {
                if (f[i] == "") continue
                if (type == "") { type = f[i]; continue }
                data = (data == "" ? f[i] : data " " f[i])
            }
            print type, data
            found = 1
            exit
        }
        END { exit found ? 0 : 1 }' <<<"$1"
}

# wait_until SECONDS COMMAND...: runs COMMAND every 0.2 s until it succeeds, and fails once
# SECONDS have passed without. A wait for readiness (a process started, a window drawn, a file
# written), never a second try at a check.
wait_until() {
    local deadline=$(($(date +%s%N) + $1 * 1000000000))
    shift
    until "$@"; do
        (($(date +%s%N) < deadline)) || return 1
        sleep 0.2
    done
}

# Small assertions for tests/wine/*.sh: each prints one line; wine_test_done exits non-zero
# when any failed.
_tw_failures=0
expect_eq() { # NAME EXPECTED ACTUAL
    if [[ "$2" == "$3" ]]; then
        echo "  ok    $1"
    else
        echo "  FAIL  $1: expected [$2], got [$3]"
        _tw_failures=$((_tw_failures + 1))
    fi
}
expect_contains() { # NAME NEEDLE HAYSTACK (an empty needle is a failure: it would match anything)
    if [[ -n "$2" && "$3" == *"$2"* ]]; then
        echo "  ok    $1"
    else
        echo "  FAIL  $1: [$2] not found in:"
        sed 's/^/        /' <<<"$3" | head -n 40
        _tw_failures=$((_tw_failures + 1))
    fi
}
expect_not_contains() { # NAME NEEDLE HAYSTACK
    if [[ "$3" != *"$2"* ]]; then
        echo "  ok    $1"
    else
        echo "  FAIL  $1: [$2] should not appear"
        _tw_failures=$((_tw_failures + 1))
    fi
}
wine_test_done() {
    ((_tw_failures == 0))
}

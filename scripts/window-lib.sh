# shellcheck shell=bash
# Helpers for driving TavrineOptimiser.exe in the Wine sandbox (source after wine-lib.sh and
# wine_sandbox_ensure): start it in the background, find its window, read pixels from
# screenshots, wait for it to end.

_window_pid=""
_window_code_file=""

# window_check_setup NAME: what every screenshot check needs (the program built, OCR installed)
# and a fresh scratch folder $TAVRINE_WINE_ROOT/NAME, left in $work. Not in a $(...): a missing
# piece must end the calling script.
window_check_setup() {
    [[ -f "$TAVRINE_BIN/TavrineOptimiser.exe" ]] || {
        echo "  FAIL  TavrineOptimiser.exe is not in $TAVRINE_BIN"
        exit 1
    }
    command -v tesseract >/dev/null || {
        echo "  FAIL  tesseract is not installed (scripts/bootstrap.sh installs tesseract-ocr)"
        exit 1
    }
    mkdir -p "$TAVRINE_ARTIFACTS"
    work="$TAVRINE_WINE_ROOT/$1"
    rm -rf "$work"
    mkdir -p "$work"
}

# Starts the program; its exit code lands in a file when it ends. The background part holds none
# of the script's output, so a script that ends early does not keep its log open behind it. The
# program's own output (Wine's messages, a crash's backtrace) goes to $TAVRINE_WINDOW_LOG when set.
window_start() {
    _window_code_file="$TAVRINE_WINE_ROOT/window-exit-code"
    rm -f "$_window_code_file"
    (
        cd "$TAVRINE_BIN" || exit 1
        set +e
        timeout -k 5 "${TAVRINE_WIN_TIMEOUT:-600}" wine 'C:\tavrine\TavrineOptimiser.exe' >"${TAVRINE_WINDOW_LOG:-/dev/null}" 2>&1
        echo $? >"$_window_code_file"
    ) </dev/null >/dev/null 2>&1 &
    _window_pid=$!
}

# Prints "x y width height" of the main window once it is mapped; fails after SECONDS.
window_wait() {
    local deadline=$((SECONDS + $1)) id geometry
    while ((SECONDS < deadline)); do
        id="$(xdotool search --onlyvisible --name '^Tavrine Optimiser$' 2>/dev/null | head -n1 || true)"
        if [[ -n "$id" ]]; then
            geometry="$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)" || true
            if [[ -n "$geometry" ]]; then
                local X Y WIDTH HEIGHT
                eval "$(grep -E '^(X|Y|WIDTH|HEIGHT)=[0-9]+$' <<<"$geometry")"
                echo "$X $Y $WIDTH $HEIGHT"
                return 0
            fi
        fi
        sleep 0.05
    done
    return 1
}

# Prints the exit code once the program has ended; fails when it is still running after SECONDS.
window_wait_exit() {
    local deadline
    deadline=$(($(date +%s%N) + $1 * 1000000000))
    while (($(date +%s%N) < deadline)); do
        if [[ -s "$_window_code_file" ]]; then
            cat "$_window_code_file"
            return 0
        fi
        sleep 0.05
    done
    return 1
}

# pointer_to X Y: puts the pointer at (X, Y). Wine under Xvfb ignores a lone warp of the
# pointer; the few small moves after it are what the program sees.
pointer_to() {
    xdotool mousemove $(($1 - 6)) "$2"
    sleep 0.3
    local i
    for i in 1 2 3 4 5 6; do
        xdotool mousemove_relative -- 1 0
        sleep 0.06
    done
    sleep 0.3
}

# click_at X Y: a left click there, with time for the program to see the hover first.
click_at() {
    pointer_to "$1" "$2"
    xdotool mousedown 1
    sleep 0.2
    xdotool mouseup 1
}

# Succeeds once no visible main window is left; fails after SECONDS (fractions allowed).
window_wait_gone() {
    local deadline
    deadline=$(($(date +%s%N) + ${1%.*} * 1000000000))
    while (($(date +%s%N) < deadline)); do
        xdotool search --onlyvisible --name '^Tavrine Optimiser$' >/dev/null 2>&1 || return 0
        sleep 0.05
    done
    return 1
}

# window_stop: ends the program by force. The program itself first: killing only the subshell
# would leave Wine's process (and its window) running into the next checks.
window_stop() {
    [[ -n "$_window_pid" ]] || return 0
    local program
    if program="$(window_process_pid)"; then
        kill "$program" 2>/dev/null || true
    fi
    kill "$_window_pid" 2>/dev/null || true
    wait "$_window_pid" 2>/dev/null || true
    _window_pid=""
}

# shot FILE: a screenshot of the whole display. The old file goes first: a failed capture must
# leave nothing to read, never an earlier run's picture.
shot() {
    rm -f "$1"
    import -display "$DISPLAY" -window root "$1" 2>/dev/null
}

# crop_for_ocr FILE X Y W H SCALE: that part of the screenshot in $work/ocr.png, enlarged SCALE
# times and inverted (the window draws light text on dark, tesseract reads dark on light best).
# The old crop goes first: a failed crop leaves nothing to read.
crop_for_ocr() {
    rm -f "$work/ocr.png"
    convert "$1" -crop "$4x$5+$2+$3" +repage -resize "$(($6 * 100))%" -colorspace Gray -negate "$work/ocr.png"
}

# ocr FILE X Y W H [PSM]: the text inside that part of the screenshot, enlarged three times. PSM 7
# reads the crop as one line.
ocr() {
    crop_for_ocr "$1" "$2" "$3" "$4" "$5" 3
    tesseract "$work/ocr.png" stdout --psm "${6:-3}" 2>/dev/null | tr -s '\n' ' '
}

# wait_for_text TRIES NEEDLE FILE X Y W H [COMMAND...]: up to TRIES times, runs COMMAND (a
# second's sleep when none), photographs the display into FILE and reads that part; succeeds
# once NEEDLE is read. The last text read is left in $text.
wait_for_text() {
    local tries=$1 needle=$2 file=$3 x=$4 y=$5 w=$6 h=$7 try
    shift 7
    for ((try = 0; try < tries; try++)); do
        if (($#)); then "$@"; else sleep 1; fi
        shot "$file"
        text="$(ocr "$file" "$x" "$y" "$w" "$h")"
        [[ "$text" == *"$needle"* ]] && return 0
    done
    return 1
}

# window_scroll_to_foot: the page under the pointer scrolled to its foot with the wheel (more
# turns than any page is tall: the wheel stops there), then the pointer parked in the dock's
# empty corner so that no hover highlight is photographed.
window_scroll_to_foot() {
    pointer_to $((wx + 720)) $((wy + 400))
    for _ in $(seq 16); do
        xdotool click 5
        sleep 0.1
    done
    pointer_to $((wx + 1210)) $((wy + 690))
    sleep 0.6
}

# pixel_at FILE X Y: prints "R G B" (0..255).
pixel_at() {
    convert "$1" -format '%[fx:int(255*p{'"$2,$3"'}.r)] %[fx:int(255*p{'"$2,$3"'}.g)] %[fx:int(255*p{'"$2,$3"'}.b)]' info: 2>/dev/null
}

# near "R G B" R G B TOLERANCE
near() {
    local r g b
    read -r r g b <<<"$1"
    [[ -n "$r" ]] || return 1
    (((r - $2) ** 2 <= $5 ** 2 && (g - $3) ** 2 <= $5 ** 2 && (b - $4) ** 2 <= $5 ** 2))
}

# The accent (176, 154, 236), possibly dimmed by a fade still in progress: blue well above red
# and green, in the accent's proportions.
is_accent() {
    local r g b
    read -r r g b <<<"$1"
    [[ -n "$r" ]] || return 1
    ((b >= 110 && b > r + 30 && r > g && b * 176 / 236 - r <= 14 && r - b * 176 / 236 <= 14))
}

# Prints the unix path of the prefix's per-user roaming folder (%APPDATA%).
window_roaming_folder() {
    local appdata
    appdata="$(win_cmd 'echo %APPDATA%' | tail -n1)"
    [[ "$appdata" == [Cc]:\\* ]] || return 1
    appdata="${appdata:3}"
    echo "$WINEPREFIX/drive_c/${appdata//\\//}"
}

# window_seed_gpu_record: the "gpu_first.cfg" a skipped first launch leaves (nothing
# recognised, no vendor remembered), so the window goes from the splash straight to the main
# screen as on every start after the first.
window_seed_gpu_record() {
    local roaming
    roaming="$(window_roaming_folder)" || {
        echo "  FAIL  could not find the prefix's roaming folder"
        return 1
    }
    mkdir -p "$roaming/Tavrine"
    printf '1\r\n0\r\nGraphics adapter\r\n' >"$roaming/Tavrine/gpu_first.cfg"
}

# window_launch [SETTLE]: the start every window check shares. Seeds the gpu record (a
# first-launch screen would otherwise stand in for the main screen), starts the program, waits
# for its window and sets wx wy ww wh to its geometry. Unless SETTLE is 0 (a check that watches
# the splash itself), it then waits for the main screen: the splash lasts 1.42 s of frame time,
# not of wall time, so under a full CPU it can outlast any fixed sleep and swallow the first
# click. Then SETTLE seconds more (3: the main screen's fade-in). Ends the check when no window
# comes, or no main screen within 60 s.
window_launch() {
    window_seed_gpu_record || exit 1
    window_start
    local geometry
    geometry="$(window_wait 60)" || {
        echo "  FAIL  the window did not appear within 60 s"
        window_stop
        exit 1
    }
    read -r wx wy ww wh <<<"$geometry"
    if [[ "${1:-3}" != 0 ]] && ! wait_for_text 120 Overview "$work/launch.png" $((wx + 236)) $((wy + 24)) 400 46 sleep 0.5; then
        echo "  FAIL  no main screen within 60 s of the window; last read: [$text]"
        cp "$work/launch.png" "$TAVRINE_ARTIFACTS/launch-no-main-screen.png" 2>/dev/null || true
        window_stop
        exit 1
    fi
    sleep "${1:-3}"
}

# Keys go through tavrine-test-send-keys.exe, inside the Wine session: it brings the main window
# to Wine's foreground and sends them with SendInput. X focus plays no part (under Xvfb, with no
# window manager, it drifts to whatever window was mapped last and keys sent through X were lost).
_window_send_keys() {
    local out code=0
    out="$(TAVRINE_WIN_TIMEOUT=60 win_run tavrine-test-send-keys.exe "$@" 2>&1)" || code=$?
    # 3: the foreground went to another program (or none) under the key, which Wine without a
    # window manager does on its own. Pressed once more, and counted as a retry.
    if ((code == 3)); then
        echo "  RETRY  tavrine-test-send-keys $*: $out"
        code=0
        out="$(TAVRINE_WIN_TIMEOUT=60 win_run tavrine-test-send-keys.exe "$@" 2>&1)" || code=$?
    fi
    if ((code != 0)); then
        echo "  note  tavrine-test-send-keys $*: ${out:-no output}" >&2
        return 1
    fi
}

# window_focus: the main window to the foreground, nothing pressed.
window_focus() {
    _window_send_keys focus
}

# window_key KEY: the main window to the foreground, then KEY pressed and released.
window_key() {
    _window_send_keys focus key "$1"
}

# window_key_anywhere KEY: KEY pressed and released wherever the foreground is (the global hot
# keys F7 and F8 act from any window, a minimised one included).
window_key_anywhere() {
    _window_send_keys key "$1"
}

# window_type TEXT: the main window to the foreground, then TEXT typed.
window_type() {
    _window_send_keys focus text "$1"
}

# window_key_until KEY SECONDS COMMAND...: presses KEY once and waits for COMMAND, the key's
# visible effect. A key that does not act is a failure of the program, never pressed again.
window_key_until() {
    local key=$1 seconds=$2
    shift 2
    window_key "$key" || return 1
    wait_until "$seconds" "$@"
}

# window_quit: Delete with the window in front; the program must end within 20 s (a loaded
# machine renders slowly under Wine's software Direct3D) with exit code 0. Counts a failure
# otherwise (also when it had ended before the key) and ends the process by force.
window_quit() {
    if [[ -s "$_window_code_file" ]]; then
        echo "  FAIL  the program had already ended before Delete (exit code $(cat "$_window_code_file"))"
        _tw_failures=$((_tw_failures + 1))
        return 0
    fi
    window_key Delete || true
    local code
    if ! code="$(window_wait_exit 20)"; then
        echo "  FAIL  the program was still running 20 s after Delete"
        _tw_failures=$((_tw_failures + 1))
        window_stop
    elif [[ "$code" != 0 ]]; then
        echo "  FAIL  the program ended with exit code $code after Delete"
        _tw_failures=$((_tw_failures + 1))
    fi
}

# descendant_named ROOT NAME: the pid of the first process under ROOT whose program (first
# argument) ends in NAME, an extended regular expression.
descendant_named() {
    local queue=("$1") pid child
    while ((${#queue[@]})); do
        pid=${queue[0]}
        queue=("${queue[@]:1}")
        for child in $(pgrep -P "$pid" 2>/dev/null); do
            if tr '\0' '\n' <"/proc/$child/cmdline" 2>/dev/null | head -n1 | grep -qE "$2\$"; then
                echo "$child"
                return 0
            fi
            queue+=("$child")
        done
    done
    return 1
}

# window_process_pid: the Linux pid of the running TavrineOptimiser.exe that window_start began
# (a descendant of its subshell, so another prefix's copy of the program is never taken).
window_process_pid() {
    descendant_named "$_window_pid" 'TavrineOptimiser\.exe'
}

# process_cpu_ticks PID: user + system CPU time of the process so far, in clock ticks
# (getconf CLK_TCK a second). CPU time, not a share of the wall clock, so a busy machine does
# not change the figure much.
process_cpu_ticks() {
    awk '{ print $14 + $15 }' "/proc/$1/stat"
}

# cpu_share_over PID SECONDS: the process's CPU over SECONDS as a percentage of one core.
cpu_share_over() {
    local before after
    before="$(process_cpu_ticks "$1")" || return 1
    sleep "$2"
    after="$(process_cpu_ticks "$1")" || return 1
    awk -v d=$((after - before)) -v s="$2" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.1f", 100 * d / hz / s }'
}

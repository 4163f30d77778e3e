#!/usr/bin/env bash
# The shortcuts end to end: KOVAX.exe runs under wine64 in the test prefix,
# KeyTarget.exe holds the focus and logs the keys it gets, and xdotool types
# real X keys (not injected ones) with the auto-repeat of the X server.
#   run_key_tests.sh BUILD_DIR PREFIX
# Needs the DISPLAY that scripts/test.sh starts. The zoom is read back from
# HKCU\Software\KOVAX\ZoomLevel_10, which the program writes on every change.
set -u
build=$1
prefix=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/common.sh"
WINE=/usr/lib/wine/wine64
KEY='HKCU\Software\KOVAX'

if [ -z "${DISPLAY:-}" ]; then
    echo "no DISPLAY; run through scripts/test.sh"
    exit 1
fi
command -v xdotool >/dev/null || { echo "xdotool is missing"; exit 1; }
kv_ensure_prefix "$prefix"
kv_wine_env "$prefix"

work=$(mktemp -d)
log=$work/target.log
kovax_pid=""
target_pid=""
passed=0
failed=0

stop_pid() {
    [ -n "$1" ] || return 0
    kill "$1" 2>/dev/null
    wait "$1" 2>/dev/null
}
cleanup() {
    xdotool keyup alt Insert equal minus Delete 1 2 2>/dev/null
    stop_pid "$target_pid"
    stop_pid "$kovax_pid"
    "$WINE" reg.exe delete "$KEY" /f >/dev/null 2>&1 </dev/null
    if [ -n "${KV_KEEP_KEYLOG:-}" ]; then cp -r "$work" "$KV_KEEP_KEYLOG"; fi
    rm -rf "$work"
}
trap cleanup EXIT

reg_dword() { "$WINE" reg.exe add "$KEY" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1 </dev/null; }
zoom() {
    local v
    v=$("$WINE" reg.exe query "$KEY" /v ZoomLevel_10 2>/dev/null </dev/null | tr -d '\r' |
        awk '$1 == "ZoomLevel_10" { print $3 }')
    echo $((${v:-0}))
}
# Waits up to 10 s for the stored zoom to satisfy the test "$1" (e.g. "-gt 20").
wait_zoom() {
    local i z
    for i in $(seq 1 40); do
        z=$(zoom)
        # shellcheck disable=SC2086
        [ "$z" $1 ] && return 0
        sleep 0.25
    done
    return 1
}
running() { [ -n "$kovax_pid" ] && kill -0 "$kovax_pid" 2>/dev/null; }
# Reaps the program once it is gone; gone holds its exit code.
gone=""
reap() {
    if [ -n "$kovax_pid" ]; then
        wait "$kovax_pid"
        gone=$?
        kovax_pid=""
    fi
}

# The target's log lines since mark_log.
mark=0
mark_log() { mark=$(wc -l <"$log"); }
new_lines() { tail -n +"$((mark + 1))" "$log"; }
saw() { new_lines | grep -qx "$1"; }

down() { xdotool keydown "$1"; sleep "${2:-0.15}"; }
up() { xdotool keyup "$1"; sleep "${2:-0.15}"; }
alt_key() { down alt; down "$1"; up "$1"; up alt 0.3; }

report() {  # name, then the reason of a failure (empty: passed)
    if [ -z "$2" ]; then
        echo "PASS $1"
        passed=$((passed + 1))
    else
        echo "FAIL $1: $2"
        failed=$((failed + 1))
    fi
}

# --- start ---------------------------------------------------------------
"$WINE" reg.exe delete "$KEY" /f >/dev/null 2>&1 </dev/null
reg_dword FullScreen 0
reg_dword MagwinSticky 1
reg_dword HideSysCursor 0
reg_dword HardwareAccelerate 0
reg_dword ZoomLevel_10 20
reg_dword MaxFrameRate 30

"$WINE" "$build/KOVAX.exe" >"$work/kovax.out" 2>&1 </dev/null &
kovax_pid=$!
# The target waits for the program's worker window, then takes the focus.
: >"$log"
"$WINE" "$build/tests/keys/KeyTarget.exe" "Z:$log" KOVAXMsgWindowClass >"$work/target.out" 2>&1 </dev/null &
target_pid=$!
for i in $(seq 1 300); do
    grep -qx FOCUS "$log" && break
    sleep 0.1
done
if ! grep -qx FOCUS "$log" || ! running; then
    echo "setup failed: target focus $(grep -c FOCUS "$log"), KOVAX running $(running && echo yes || echo no)"
    echo "0 passed, 1 failed"
    exit 1
fi
sleep 1  # the hook library's hooks come up after the worker window
xdotool mousemove 250 250  # over the target, where the wheel goes

# --- Alt+= zooms in and the '=' never reaches the focused window, -------
# --- neither its press nor its release ------------------------------------
mark_log
why=""
alt_key equal
wait_zoom "-gt 20" || why="ZoomLevel_10 stayed $(zoom)"
sleep 0.3
saw "SYSKEYDOWN 0x12" || why="${why:+$why; }the target did not get Alt (no focus?)"
if new_lines | grep -Eq '^(SYS)?KEYDOWN 0xBB$|^(SYS)?CHAR 0x3D$'; then
    why="${why:+$why; }the target got the '=' key"
fi
if new_lines | grep -Eq '^(SYS)?KEYUP 0xBB$'; then
    why="${why:+$why; }the target got the '=' release"
fi
report "alt+equal zooms in, key swallowed" "$why"

# --- Alt+1 sets the zoom to 1 and the '1' goes on --------------------------
mark_log
why=""
alt_key 1
wait_zoom "-eq 10" || why="ZoomLevel_10 is $(zoom), not 10"
sleep 0.3
saw "SYSKEYDOWN 0x31" || why="${why:+$why; }the target did not get the '1' key"
report "alt+1 sets zoom 1, key passes" "$why"

# --- (a) Alt let go while Insert auto-repeats, then Alt+Insert again -------
mark_log
why=""
down alt
down Insert
up alt
sleep 1.2
up Insert 0.3
alt_key Insert
sleep 0.5
saw "KEYDOWN 0x2D" || why="no Insert auto-repeat without Alt reached the target"
running || { reap; why="KOVAX.exe ended, exit code $gone"; }
report "(a) alt up during Insert repeat, then alt+Insert" "$why"

# --- (b) Alt pressed while Insert is held: the target saw the press, so it -
# --- gets the release -------------------------------------------------------
mark_log
why=""
down Insert
down alt
sleep 1.2
up Insert
up alt 0.5
saw "KEYDOWN 0x2D" || why="${why:+$why; }the target did not get the Insert press"
saw "KEYUP 0x2D" || saw "SYSKEYUP 0x2D" || why="${why:+$why; }the target did not get the Insert release"
running || { reap; why="KOVAX.exe ended, exit code $gone"; }
report "(b) alt down during Insert repeat" "$why"

# --- (c) Alt let go while '=' auto-repeats: the zoom repeat must end -------
alt_key 2
wait_zoom "-eq 20"
mark_log
why=""
down alt
down equal
up alt
sleep 1.2
up equal 0.5
first=$(zoom)
sleep 1
second=$(zoom)
[ "$first" -gt 20 ] || why="Alt+= did not zoom in ($first)"
[ "$first" -eq "$second" ] || why="${why:+$why; }zoom went on after the release: $first then $second"
saw "KEYDOWN 0xBB" || why="${why:+$why; }no '=' auto-repeat without Alt reached the target"
# Set back to 2: a repeat still running would move it away again.
alt_key 2
wait_zoom "-eq 20" || why="${why:+$why; }Alt+2 did not take"
sleep 1
third=$(zoom)
[ "$third" -eq 20 ] || why="${why:+$why; }zoom moved to $third after Alt+2"
running || { reap; why="KOVAX.exe ended, exit code $gone"; }
report "(c) alt up during '=' repeat ends the zoom repeat" "$why"

# --- (d) Alt+= and Alt+- held together: neither release reaches the target -
mark_log
why=""
down alt
down equal
down minus
up equal
up minus
up alt 0.3
if new_lines | grep -Eq '^(SYS)?KEY(DOWN|UP) 0x(BB|BD)$'; then
    why="the target got $(new_lines | grep -E '^(SYS)?KEY(DOWN|UP) 0x(BB|BD)$' | tr '\n' ' ')"
fi
running || { reap; why="KOVAX.exe ended, exit code $gone"; }
report "(d) alt+equal and alt+minus held together, keys swallowed" "$why"

# --- A wheel turn without Alt goes on to the window under the pointer ------
mark_log
why=""
xdotool click 4
xdotool click 5
sleep 0.3
saw "MOUSEWHEEL 120" || why="the target did not get the wheel turned up"
saw "MOUSEWHEEL -120" || why="${why:+$why; }the target did not get the wheel turned down"
report "wheel without alt reaches the target" "$why"

# --- Alt+Delete ends the program with code 0 -------------------------------
why=""
if running; then
    alt_key Delete
    for i in $(seq 1 200); do
        running || break
        sleep 0.1
    done
    if running; then
        why="still running 20 s after Alt+Delete"
    else
        reap
        [ "$gone" -eq 0 ] || why="exit code $gone"
    fi
else
    why="KOVAX.exe had already ended"
fi
report "alt+Delete exits with code 0" "$why"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

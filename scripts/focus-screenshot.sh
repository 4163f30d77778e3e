#!/usr/bin/env bash
# The README's picture of the marks: the window-mode magnifier showing, at
# zoom 2, the ring around the pointer and the frame around the focused EDIT
# of a small program, cut from a private virtual display into
# docs/focus-marks.png.
#   scripts/focus-screenshot.sh
set -eu
. "$(dirname "$0")/common.sh"
kv_install_deps
kv_build x86_64
build="$KV_ROOT/build/x86_64"
docs="$KV_ROOT/docs"
mkdir -p "$docs"
work=$(mktemp -d)
pids=""
finish() {
    for p in $pids; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
    kv_end_wine_session
}
trap finish EXIT
kv_begin_wine_session "$build/wineprefix" 24

key='HKCU\Software\KOVAX'
setting() { "$KV_WINE64" reg.exe add "$key" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1 </dev/null; }
"$KV_WINE64" reg.exe delete "$key" /f >/dev/null 2>&1 </dev/null || true
setting FullScreen 0
setting MagwinSticky 1
setting HideSysCursor 0
setting ZoomLevel_10 20
setting MagwinScale 3
"$KV_WINE64" reg.exe add "$key\\HilightFocus" /v Show /t REG_DWORD /d 1 /f >/dev/null 2>&1 </dev/null

# The magnifier's window opens around the pointer and stays there (sticky),
# to the right of where the program's window will be.
xdotool mousemove 800 400
"$KV_WINE64" "$build/KOVAX.exe" >/dev/null 2>&1 </dev/null &
pids="$!"
sleep 6
# The program starts after the magnifier, so that its focus is seen.
"$KV_WINE64" "$build/tests/scene/FocusScene.exe" >/dev/null 2>&1 </dev/null &
pids="$pids $!"
sleep 3
# The view follows the field's caret; the pointer passes the field's left end,
# which brings the whole field into the view, and comes to rest below its
# right end.
xdotool mousemove 170 372
sleep 1
xdotool mousemove 262 372
sleep 2
import -window root "$work/screen.png"
convert "$work/screen.png" -crop 990x360+40+220 +repage "$docs/focus-marks.png"
"$KV_WINE64" reg.exe delete "$key" /f >/dev/null 2>&1 </dev/null || true
kv_log "docs/focus-marks.png"

#!/usr/bin/env bash
# Plays a short scene with the magnifier on a virtual display of its own and
# writes a PNG of the screen for each shot into docs/, where the README shows
# them. Runs in its own Wine prefix (build/x86_64/shots-prefix), from the
# default settings but for those the scene sets.
#
# The scene is the list of steps at the end: each line is one action, and
# `shot NAME` saves docs/NAME.png of what the actions before it left on the
# screen. Extend it by adding lines there.
set -eu
. "$(dirname "$0")/common.sh"
. "$KV_ROOT/scripts/run-common.sh"

# --- actions -----------------------------------------------------------------
pointer() { kv_glide_pointer "$1" "$2"; }              # the pointer to X Y
keys() { xdotool key --delay 120 "$@"; }               # keys to the focused window
alt() {                                                # Alt held around one key
    xdotool keydown alt; sleep 0.15
    xdotool keydown "$1"; sleep 0.15
    xdotool keyup "$1"; sleep 0.15
    xdotool keyup alt
}
setting() { kv_wine reg.exe add 'HKCU\Software\KOVAX' /v "$1" /t REG_DWORD /d "$2" /f; }
shot() {
    sleep 2  # the view pans smoothly; a few frames more
    import -window root "$KV_ROOT/docs/$1.png"
    kv_log "docs/$1.png"
}

trap kv_end_run EXIT
trap 'exit 1' INT TERM HUP
kv_install_deps "$KV_RUN_PACKAGES"
kv_build_product
unset DISPLAY
kv_begin_run "$KV_RUN_BUILD/shots-prefix"
mkdir -p "$KV_ROOT/docs"

# --- the scene ---------------------------------------------------------------
kv_wine reg.exe delete 'HKCU\Software\KOVAX' /f || true
setting FullScreen 0
setting MagwinSticky 1
setting HardwareAccelerate 0
setting ZoomLevel_10 20
kv_start_notepad
xdotool mousemove 1279 1023  # the magnifier's window opens around the pointer
kv_start_magnifier

pointer 150 110
shot window-mode
keys ctrl+End Up Up End
shot follows-caret
alt 4
shot zoom-4x

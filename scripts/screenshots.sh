#!/usr/bin/env bash
# Plays a short scene with the magnifier on a virtual display of its own and
# writes the pictures of the README into docs/. Runs in a Wine prefix of its
# own (build/x86_64/shots-prefix), from the default settings but for those
# the scene sets.
#
# The scene is the list of steps at the end, one action a line; `shot NAME`
# saves docs/NAME.png of what the steps before it left on the screen. Extend
# it there; new kinds of steps go with the actions below.
#
# A step that fails stops the scene with a message and exit code 1; the
# pictures taken before it are kept, and none is replaced by a wrong one.
# Whatever way it stops, it ends the magnifier, Wine and its display.
set -eEu
. "$(dirname "$0")/common.sh"
. "$KV_ROOT/scripts/run-common.sh"

# --- actions -----------------------------------------------------------------
setting() { kv_wine reg.exe add 'HKCU\Software\KOVAX' /v "$1" /t REG_DWORD /d "$2" /f; }
mark() { kv_wine reg.exe add "HKCU\\Software\\KOVAX\\$1" /v Show /t REG_DWORD /d 1 /f; }  # GROUP on
magnifier() { kv_start_magnifier "$1"; sleep 2; }  # LOCALE; its panel comes up
quit() { kv_stop_magnifier; }                      # as Alt+Delete does
pointer() { kv_glide_pointer "$1" "$2"; }          # the pointer to X Y
click() { xdotool mousemove "$1" "$2" click 1; }   # at X Y
keys() { xdotool key --delay 150 "$@"; }           # to the window with the focus
alt() {                                            # Alt held around one key
    xdotool keydown alt sleep 0.2 keydown "$1" sleep 0.2 keyup "$1" sleep 0.2 keyup alt
}
scene() {  # a small program whose first field takes the focus
    setsid "$KV_WINE64" "$KV_RUN_BUILD/tools/focusscene.exe" >>"$KV_RUN_LOG" 2>&1 </dev/null 8>&- &
    kv_wait_window "" --name '^Sign in$' || fail "the scene's program did not open its window within 30 s"
    sleep 2
}
menu() { xdotool keydown alt sleep 0.2 key "$1" sleep 0.2 keyup alt sleep 0.5 key "$2"; }  # Alt+MENU, ITEM
# shot NAME [TITLE]: the whole screen, or only the window whose title matches.
# The picture is taken into build/ and replaces docs/NAME.png only when whole.
shot() {
    sleep 2  # the view pans smoothly; a few frames more
    local out="$KV_ROOT/docs/$1.png" tmp="$KV_RUN_BUILD/shot.png" crop=""
    if [ -n "${2:-}" ]; then
        local id info
        id=$(xdotool search --onlyvisible --name "$2" | head -n 1)
        [ -n "$id" ] || fail "docs/$1.png: no window titled like '$2' on the display"
        # Where the window is on the screen (xdotool's getwindowgeometry
        # counts the position of a window inside Wine's desktop twice).
        info=$(xwininfo -id "$id") || fail "docs/$1.png: xwininfo cannot tell where window $id is"
        crop=$(printf '%s\n' "$info" | awk '/Absolute upper-left X:/ { x = $NF } /Absolute upper-left Y:/ { y = $NF }
            /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF }
            END { if (w > 0 && h > 0 && x != "" && y != "") printf "-crop %dx%d+%d+%d +repage", w, h, x, y }')
        [ -n "$crop" ] || fail "docs/$1.png: no position and size of window $id in xwininfo's output"
    fi
    rm -f "$tmp"
    # shellcheck disable=SC2086
    import -window root $crop "$tmp" || fail "docs/$1.png: the screenshot (ImageMagick's import) failed"
    mv "$tmp" "$out"
    kv_log "docs/$1.png"
}
fail() { echo "screenshots.sh: $*" >&2; exit 1; }

trap kv_end_run EXIT
trap 'exit 1' INT TERM HUP
trap kv_report_failed_step ERR
kv_install_deps "$KV_RUN_PACKAGES x11-utils"  # x11-utils: xwininfo
for tool in xdotool xwininfo import; do
    command -v "$tool" >/dev/null || fail "$tool is not on PATH (packages xdotool, x11-utils, imagemagick)"
done
kv_build_product focusscene
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
xdotool mousemove 1200 870  # the output window opens around the pointer

# In English: the magnifier at work on notepad's text, with its panel.
magnifier en_US.UTF-8
pointer 200 300
shot window-mode
shot panel-en '^KOVAX[^.]* - '
menu h a
shot about-en ' KOVAX'
keys Escape
click 600 560  # into notepad, which takes the keyboard
keys ctrl+End Up Up End
shot follows-caret
alt 4
keys Home End  # the caret moves: the view follows it at the new zoom
shot zoom-4x
quit

# The panel in Simplified Chinese.
setting ZoomLevel_10 20
magnifier zh_CN.UTF-8
shot panel-zh_CN '^KOVAX[^.]* - '
menu h a
shot about-zh_CN ' KOVAX'
keys Escape
quit

# The marks: a window a third of the screen wide at 2x; a small program takes
# the focus in its first field, which the view pans to and frames; the
# pointer passes the field's left end and comes to rest below its right end,
# inside the ring.
mark HilightFocus
setting MagwinScale 3
xdotool mousemove 800 400
magnifier en_US.UTF-8
scene
xdotool mousemove 170 372 sleep 1 mousemove 262 372
shot focus-marks '^KOVAX$'
quit

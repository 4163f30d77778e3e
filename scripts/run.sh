#!/usr/bin/env bash
# Installs what is missing, builds the 64-bit program and its two DLLs (not
# the tests) and shows the magnifier at work under Wine, in the Wine prefix
# build/x86_64/run-prefix, until Ctrl+C (or SIGINT/SIGTERM to this script).
# However the run stops, even by a failed step, it ends what it started.
#
# Without $DISPLAY it starts a virtual display of its own, opens Wine's
# notepad with a page of text, parks the pointer at the right edge (the
# window-mode output opens around the pointer, away from the text) and, once
# the magnifier is up, points at the text below its control panel. With $DISPLAY set it runs
# there, among the display's own windows, and leaves the pointer alone.
#
# Under Wine a screen capture contains the magnifier's own window, so a
# full-screen magnifier would only enlarge itself: window mode and a window
# that stays put are set unless the user has set them (see README.md).
set -eEu
. "$(dirname "$0")/common.sh"
. "$KV_ROOT/scripts/run-common.sh"

trap kv_end_run EXIT
trap 'kv_end_run; exit 0' INT TERM HUP
trap kv_report_failed_step ERR
kv_install_deps "$KV_RUN_PACKAGES"
kv_build_product
prefix="$KV_RUN_BUILD/run-prefix"
kv_begin_run "$prefix"
kv_settings_unless_set FullScreen 0 MagwinSticky 1 HardwareAccelerate 0

if [ -n "$KV_OWN_DISPLAY" ]; then
    kv_start_notepad
    xdotool mousemove 1200 870
fi
kv_start_magnifier
[ -n "$KV_OWN_DISPLAY" ] && kv_glide_pointer 200 300

where="the display $DISPLAY"
[ -n "$KV_OWN_DISPLAY" ] && where="a virtual display of its own, $DISPLAY, with Wine's notepad"
cat <<EOF
KOVAX runs on $where.
  Wine prefix: $prefix (Wine's output: $KV_RUN_LOG)
  Screenshot:  DISPLAY=$DISPLAY import -window root shot.png
  Stop:        Ctrl+C here, or kill $$ (the magnifier ends as with Alt+Delete)
EOF

code=0
kv_wait_magnifier || code=$?
echo "KOVAX ended by itself with exit code $code"
exit "$code"

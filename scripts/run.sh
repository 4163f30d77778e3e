#!/usr/bin/env bash
# Installs what is missing, builds the 64-bit program and starts it under Wine,
# on $DISPLAY when set, else on a virtual display of its own (its number is
# printed, for screenshots: DISPLAY=:N import -window root shot.png).
set -eu
. "$(dirname "$0")/common.sh"
kv_install_deps
kv_build x86_64
build="$KV_ROOT/build/x86_64"
exe="$build/KOVAX.exe"
if [ ! -f "$exe" ]; then
    echo "KOVAX.exe is not built yet: the program's entry function does not exist in this tree." >&2
    exit 1
fi
trap kv_stop_xvfb EXIT
if [ -z "${DISPLAY:-}" ]; then
    kv_start_xvfb 24
    kv_log "virtual display $DISPLAY"
fi
kv_ensure_prefix "$build/wineprefix"
kv_wine_env "$build/wineprefix"
"$KV_WINE64" "$exe"

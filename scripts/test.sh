#!/usr/bin/env bash
# Installs what is missing, builds the 64-bit Windows build and runs every test
# program under Wine on a private virtual X display.
#   scripts/test.sh [ctest args...]
set -eu
. "$(dirname "$0")/common.sh"
kv_install_deps
kv_build x86_64
build="$KV_ROOT/build/x86_64"
prefix="$build/wineprefix"

cleanup() {
    [ -n "${WINEPREFIX:-}" ] && "$KV_WINESERVER" -k 2>/dev/null || true
    kv_stop_xvfb
}
trap cleanup EXIT
kv_start_xvfb 24
kv_ensure_prefix "$prefix"
kv_wine_env "$prefix"
# One server for all test programs, or each one waits for its own to linger.
"$KV_WINESERVER" -p 2>/dev/null || true  # one may run already
# Bring up Wine's own service processes now, with their output away from
# ctest: started by the first test program, they would inherit its output
# pipes and hold ctest until the server ends.
"$KV_WINE64" reg.exe query 'HKCU\Software\Wine' >/dev/null 2>&1 </dev/null || true
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "$@"

# The output must refuse a display of 8 bits per pixel: the magnifier tests
# once more on such a display (the true-colour cases skip themselves there).
if [ $# -eq 0 ]; then
    "$KV_WINESERVER" -k 2>/dev/null || true
    "$KV_WINESERVER" -w 2>/dev/null || true
    kv_stop_xvfb
    kv_start_xvfb 8
    "$KV_WINESERVER" -p 2>/dev/null || true
    "$KV_WINE64" reg.exe query 'HKCU\Software\Wine' >/dev/null 2>&1 </dev/null || true
    kv_log "magnifier tests on an 8-bit display"
    ctest --test-dir "$build" --output-on-failure -R magnifier_tests
fi

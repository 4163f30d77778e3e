#!/usr/bin/env bash
# Builds the 64-bit build and runs the benchmark programs under Wine on a
# private virtual display; prints their figures.
set -eu
. "$(dirname "$0")/common.sh"
kv_install_deps
kv_build x86_64
build="$KV_ROOT/build/x86_64"
cleanup() {
    [ -n "${WINEPREFIX:-}" ] && "$KV_WINESERVER" -k 2>/dev/null || true
    kv_stop_xvfb
}
trap cleanup EXIT
kv_start_xvfb 24
kv_ensure_prefix "$build/wineprefix"
kv_wine_env "$build/wineprefix"
for b in render_bench follow_bench; do
    "$KV_WINE64" "$build/bench/$b.exe" | tr -d "\r"
done

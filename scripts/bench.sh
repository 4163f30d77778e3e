#!/usr/bin/env bash
# Builds the 64-bit build and runs the benchmark programs under Wine on a
# private virtual display; prints their figures.
set -eu
. "$(dirname "$0")/common.sh"
kv_install_deps
kv_build x86_64
build="$KV_ROOT/build/x86_64"
trap kv_end_wine_session EXIT
kv_begin_wine_session "$build/wineprefix" 24
for b in render_bench follow_bench convert_bench; do
    "$KV_WINE64" "$build/bench/$b.exe" | tr -d "\r"
done

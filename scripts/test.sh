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

trap kv_end_wine_session EXIT
kv_begin_wine_session "$prefix" 24
ctest --test-dir "$build" --output-on-failure --no-tests=error -j"$(nproc)" "$@"

# The outputs must refuse a display of 8 bits per pixel: the magnifier tests
# once more on such a display (the true-colour cases skip themselves there),
# and the program's start there, which must say why it cannot run; the
# overlay output must take a 16-bit display as RGB565.
if [ $# -eq 0 ]; then
    kv_end_wine_session
    kv_begin_wine_session "$prefix" 8
    kv_log "magnifier tests and the start on an 8-bit display"
    ctest --test-dir "$build" --output-on-failure -R 'magnifier_tests|ddraw_tests|program_tests_8bit'
    kv_end_wine_session
    kv_begin_wine_session "$prefix" 16
    kv_log "overlay tests on a 16-bit display"
    ctest --test-dir "$build" --output-on-failure -R ddraw_tests
fi

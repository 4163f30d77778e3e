#!/usr/bin/env bash
# Runs one Windows program under wine64 in a private prefix:
#   wine-run.sh PREFIX PROGRAM [ARGS...]
# ctest calls it as the cross-compiling emulator; scripts/test.sh provides the
# X display and keeps a Wine server running across the test programs.
set -eu
. "$(dirname "$0")/common.sh"
prefix=$1; shift
if [ -z "${DISPLAY:-}" ]; then
    echo "wine-run.sh: no DISPLAY; run the tests through scripts/test.sh" >&2
    exit 1
fi
kv_ensure_prefix "$prefix"
kv_wine_env "$prefix"
exec "$KV_WINE64" "$@"

# The magnifier under Wine for a person to look at, shared by run.sh and
# screenshots.sh. Source it after common.sh; it defines functions only.
#
# Everything started here runs in a session of its own (setsid): Ctrl+C in
# the terminal then reaches the script alone, which ends the magnifier
# through its hidden message window "KOVAX Worker", as Alt+Delete does,
# before Wine and the display. kv_end_run is meant for the scripts' EXIT
# trap: whatever way a run stops, it ends what the run started.

KV_RUN_BUILD="$KV_ROOT/build/x86_64"
KV_RUN_LOG="$KV_RUN_BUILD/run.log"
KV_MAGNIFIER_PID=""
KV_OWN_DISPLAY=""

# kv_build_product [TARGET...]: builds the program and its two DLLs, the
# quit helper and the targets named, not the tests or benchmarks.
kv_build_product() {
    kv_configure x86_64 "$KV_RUN_BUILD"
    kv_log "building the program and its DLLs in build/x86_64"
    cmake --build "$KV_RUN_BUILD" --target product kvquit "$@" -- -j"$(nproc)"
}

# A Wine program in the foreground, its output in the run's log.
kv_wine() { setsid "$KV_WINE64" "$@" >>"$KV_RUN_LOG" 2>&1 </dev/null 8>&-; }

# kv_begin_run PREFIX: takes the prefix for this run (one run at a time), on
# $DISPLAY among the display's own windows when it is set, else on a virtual
# display of its own with a Wine desktop window filling it.
kv_begin_run() {
    local prefix=$1
    mkdir -p "$(dirname "$prefix")"
    exec 8>"$prefix.run-lock"
    if ! flock -n 8; then
        echo "another run uses the Wine prefix $prefix" >&2
        exit 1
    fi
    : >"$KV_RUN_LOG"
    if [ -z "${DISPLAY:-}" ]; then
        KV_OWN_DISPLAY=yes
        kv_start_xvfb 24 8>&-
    fi
    # Ours from here on, as the lock is: kv_end_run ends its Wine server.
    kv_wine_env "$prefix"
    kv_ensure_prefix "$prefix" 8>&-
    kv_log "starting Wine"
    kv_stop_wineserver  # left by a run that was killed
    # The registry file is current now that no server runs: switch the
    # desktop only when it differs.
    local desktop=off have=off
    [ -n "$KV_OWN_DISPLAY" ] && desktop=on
    grep -q '^"Desktop"="Default"' "$prefix/user.reg" 2>/dev/null && have=on
    [ "$desktop" = "$have" ] && return 0
    if ! kv_set_virtual_desktop "$desktop" 8>&- >>"$KV_RUN_LOG" 2>&1; then
        echo "cannot switch the Wine desktop $desktop in $prefix" >&2
        exit 1
    fi
    kv_stop_wineserver
}

# kv_settings_unless_set NAME VALUE...: stores each DWORD setting under
# HKCU\Software\KOVAX unless the user has set it already.
kv_settings_unless_set() {
    local present
    present=$(setsid "$KV_WINE64" reg.exe query 'HKCU\Software\KOVAX' 2>/dev/null </dev/null 8>&- |
        tr -d '\r' | awk '$2 ~ /^REG_/ { print $1 }')
    while [ $# -ge 2 ]; do
        printf '%s\n' "$present" | grep -qx "$1" ||
            kv_wine reg.exe add 'HKCU\Software\KOVAX' /v "$1" /t REG_DWORD /d "$2" /f
        shift 2
    done
}

# kv_wait_window PID SEARCH...: waits up to 30 s for an X window that
# `xdotool search SEARCH...` finds; fails at once when the process PID (if
# not empty) ends meanwhile.
kv_wait_window() {
    local i pid=$1; shift
    for i in $(seq 1 150); do
        xdotool search "$@" >/dev/null 2>&1 && return 0
        if [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null; then return 1; fi
        sleep 0.2
    done
    return 1
}

# Wine's notepad with a page of text. It opens in the top-left three
# quarters of the screen, clear of the bottom-right corner. Found by its X
# window class, which Wine takes from the program's file name: its title is
# in the language of the locale.
kv_start_notepad() {
    local page="$WINEPREFIX/drive_c/users/Public/KOVAX.txt"
    kv_log "starting notepad"
    mkdir -p "$(dirname "$page")"
    sed 's/$/\r/' "$KV_ROOT/scripts/notepad-page.txt" >"$page"
    setsid "$KV_WINE64" notepad.exe 'C:\users\Public\KOVAX.txt' >>"$KV_RUN_LOG" 2>&1 </dev/null 8>&- &
    if ! kv_wait_window "" --onlyvisible --class '^notepad\.exe$'; then
        echo "notepad did not open within 30 s (Wine's output: $KV_RUN_LOG)" >&2
        return 1
    fi
}

# kv_start_magnifier [LOCALE]: starts the magnifier (its control panel in
# the locale's language) and waits for its output window. In window mode
# that window opens around the pointer: park the pointer where it may go.
kv_start_magnifier() {
    kv_log "starting the magnifier${1:+ ($1)}"
    env ${1:+LC_ALL=$1} setsid "$KV_WINE64" "$KV_RUN_BUILD/KOVAX.exe" >>"$KV_RUN_LOG" 2>&1 </dev/null 8>&- &
    KV_MAGNIFIER_PID=$!
    if ! kv_wait_window "$KV_MAGNIFIER_PID" --name '^KOVAX$'; then
        echo "the magnifier did not open its window (Wine's output: $KV_RUN_LOG)" >&2
        return 1
    fi
}

# Glides the pointer to X Y in a few steps: the magnifier's pointer hook
# comes up a moment after its window, and a single jump may come too early.
kv_glide_pointer() {
    local step
    sleep 1
    for step in 4 3 2 1 0; do
        xdotool mousemove $(($1 + step * 20)) $(($2 + step * 20))
        sleep 0.2
    done
}

# Waits for the magnifier to end by itself; returns its exit code.
kv_wait_magnifier() {
    local code=0
    wait "$KV_MAGNIFIER_PID" || code=$?
    KV_MAGNIFIER_PID=""
    return "$code"
}

# Ends the magnifier through its hidden message window, as Alt+Delete does:
# it puts the cursors back and exits with code 0.
kv_stop_magnifier() {
    [ -n "$KV_MAGNIFIER_PID" ] || return 0
    local i code=0
    if kill -0 "$KV_MAGNIFIER_PID" 2>/dev/null; then
        kv_wine "$KV_RUN_BUILD/tools/kvquit.exe" || true
        for i in $(seq 1 100); do
            kill -0 "$KV_MAGNIFIER_PID" 2>/dev/null || break
            sleep 0.2
        done
        if kill -0 "$KV_MAGNIFIER_PID" 2>/dev/null; then
            echo "the magnifier did not end within 20 s; killed" >&2
            kill -KILL "$KV_MAGNIFIER_PID" 2>/dev/null || true
        fi
    fi
    wait "$KV_MAGNIFIER_PID" 2>/dev/null || code=$?
    [ "$code" -eq 0 ] || echo "the magnifier ended with exit code $code" >&2
    KV_MAGNIFIER_PID=""
}

# For the scripts' ERR trap (with set -eE): names the step that failed, before
# set -e ends the script.
kv_report_failed_step() {
    local code=$? file=${BASH_SOURCE[1]} line=${BASH_LINENO[0]} step
    step=$(sed -n "${line}s/^ *//p" "$file" 2>/dev/null) || true
    echo "$(basename "$0"): stopped: exit code $code from '${step:-$BASH_COMMAND}'" \
        "(${file#"$KV_ROOT/"}, line $line)" >&2
}

# Ends the magnifier, then every other Wine program of the run's prefix and
# its Wine server, then the run's own display: whatever of them the run has
# started. Safe to call twice, and from a trap at any point of a run.
kv_end_run() {
    trap '' INT TERM HUP
    trap - ERR
    set +e
    kv_stop_magnifier
    kv_end_wine_session
    set -e
}

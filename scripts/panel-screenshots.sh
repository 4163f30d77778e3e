#!/usr/bin/env bash
# Screenshots of the control panel for the README: the main dialog and the
# About box, in English and in Simplified Chinese, cut from a private virtual
# display into docs/. The program runs in window mode with the pointer's own
# settings left alone; keys are real X keys (xdotool).
#   scripts/panel-screenshots.sh
set -eu
. "$(dirname "$0")/common.sh"
kv_install_deps
kv_build x86_64
build="$KV_ROOT/build/x86_64"
docs="$KV_ROOT/docs"
mkdir -p "$docs"
work=$(mktemp -d)
pid=""
finish() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    rm -rf "$work"
    kv_end_wine_session
}
trap finish EXIT
kv_begin_wine_session "$build/wineprefix" 24

key='HKCU\Software\KOVAX'
setting() { "$KV_WINE64" reg.exe add "$key" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1 </dev/null; }
"$KV_WINE64" reg.exe delete "$key" /f >/dev/null 2>&1 </dev/null || true
setting FullScreen 0
setting MagwinSticky 1
setting HideSysCursor 0

for lang in en zh_CN; do
    case $lang in
        en) locale=en_US.UTF-8 ;;
        *) locale=$lang.UTF-8 ;;
    esac
    xdotool mousemove 900 700
    LC_ALL=$locale "$KV_WINE64" "$build/KOVAX.exe" >/dev/null 2>&1 </dev/null &
    pid=$!
    sleep 6  # the panel comes up in a few seconds
    import -window root "$work/main.png"
    convert "$work/main.png" -crop 420x150+62+32 +repage "$docs/panel-$lang.png"

    # Help, About: Alt+H opens the menu, A its last item.
    xdotool keydown alt sleep 0.2 key h sleep 0.2 keyup alt sleep 0.5 key a
    sleep 2
    import -window root "$work/about.png"
    convert "$work/about.png" -crop 420x310+62+32 +repage "$docs/about-$lang.png"

    # Close the About box, then quit through the panel: Esc asks, Enter
    # answers Yes (the question's default).
    xdotool key Escape sleep 0.5 key Escape sleep 1 key Return
    for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=""
done
"$KV_WINE64" reg.exe delete "$key" /f >/dev/null 2>&1 </dev/null || true
kv_log "screenshots in $docs"

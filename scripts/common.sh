# Shared helpers of the build, test and run scripts. Source it; it defines
# functions only.

KV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
KV_WINE64=/usr/lib/wine/wine64
KV_WINESERVER=/usr/lib/wine/wineserver

# What building the 64-bit program and running it under Wine needs (run.sh,
# screenshots.sh) ...
KV_RUN_PACKAGES="cmake ninja-build g++-mingw-w64-x86-64-posix
  wine64 xvfb xdotool imagemagick fonts-wqy-microhei fonts-wine
  libxrender1 libxcursor1 libxi6 libxrandr2 libxcomposite1 libxinerama1 libxfixes3 libxxf86vm1
  libgl1 libgl1-mesa-dri"
# ... and what the tests, the 32-bit build and the release archives add.
KV_PACKAGES="$KV_RUN_PACKAGES g++-mingw-w64-i686-posix googletest"

kv_log() { printf '== %s\n' "$*" >&2; }

# kv_install_deps [PACKAGES]: installs whatever of the packages (default: all
# of them) is missing (Debian 12, as root).
kv_install_deps() {
    local missing="" p installed
    kv_log "checking the packages"
    # shellcheck disable=SC2086
    installed=" $(dpkg-query -W -f='${Package} ${db:Status-Abbrev}\n' ${1:-$KV_PACKAGES} 2>/dev/null |
        awk '$2 == "ii" { printf "%s ", $1 }')"
    for p in ${1:-$KV_PACKAGES}; do
        case "$installed" in *" $p "*) ;; *) missing="$missing $p" ;; esac
    done
    [ -z "$missing" ] && return 0
    local sudo=""
    if [ "$(id -u)" != 0 ]; then
        command -v sudo >/dev/null || { echo "need root to install:$missing" >&2; return 1; }
        sudo=sudo
    fi
    # shellcheck disable=SC2086
    set -- $missing
    kv_log "installing $# packages and what they need from the Debian package mirror (about a minute):$missing"
    kv_log "updating the package lists (apt-get update)"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    kv_log "downloading and installing (apt-get install --no-install-recommends)"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}

# kv_configure ARCH DIR [cmake args...]: configures a build of ARCH in DIR.
kv_configure() {
    local arch=$1 dir=$2; shift 2
    kv_log "configuring the build in $dir"
    cmake -S "$KV_ROOT" -B "$dir" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$KV_ROOT/cmake/toolchain-$arch-w64-mingw32.cmake" "$@" >/dev/null
}

# kv_build ARCH [cmake args...]: configures and builds all of build/ARCH.
kv_build() {
    local arch=$1; shift
    kv_configure "$arch" "$KV_ROOT/build/$arch" "$@"
    kv_log "building build/$arch"
    cmake --build "$KV_ROOT/build/$arch" -- -j"$(nproc)"
}

KV_WINE_PREFIX=""
# Environment of every Wine run in prefix $1.
kv_wine_env() {
    KV_WINE_PREFIX=$1
    export WINEPREFIX=$1
    export WINEDEBUG=${WINEDEBUG:--all}
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEARCH=win64
}

# Ends the Wine server of the prefix of kv_wine_env, and every program it runs.
kv_stop_wineserver() {
    "$KV_WINESERVER" -k 2>/dev/null || true
    "$KV_WINESERVER" -w 2>/dev/null || true
}

# Creates the private prefix on first use: a virtual desktop (windows hide and
# close at once and low-level hooks see SendInput keys) and Wine's own fonts.
kv_ensure_prefix() {
    local prefix=$1
    [ -f "$prefix/.kv-ready" ] && return 0
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        [ -f "$prefix/.kv-ready" ] && exit 0
        kv_wine_env "$prefix"
        kv_log "creating the Wine prefix $prefix (about 20 s, once)"
        "$KV_WINE64" wineboot -i >/dev/null 2>&1 || true
        "$KV_WINESERVER" -w
        kv_set_virtual_desktop on
        # A crashing program ends instead of waiting in Wine's debugger.
        "$KV_WINE64" reg.exe delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f >/dev/null 2>&1 || true
        mkdir -p "$prefix/drive_c/windows/Fonts"
        cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
        # The desktop setting applies only to a new server.
        kv_stop_wineserver
        touch "$prefix/.kv-ready"
    ) 9>"$prefix.lock"
}

# kv_set_virtual_desktop on|off, in the prefix of kv_wine_env: whether Wine's
# windows live in a desktop window of their own or on the display's desktop
# among its other windows. Applies to the next Wine server. Checked after
# writing, since one write right after wineboot was seen to be lost.
kv_set_virtual_desktop() {
    local tries key='HKCU\Software\Wine\Explorer'
    for tries in 1 2 3 4 5; do
        if [ "$1" = on ]; then
            "$KV_WINE64" reg.exe add "$key" /v Desktop /d Default /f >/dev/null 2>&1 </dev/null || true
            "$KV_WINE64" reg.exe add "$key\Desktops" /v Default /d 1280x1024 /f >/dev/null 2>&1 </dev/null || true
            "$KV_WINE64" reg.exe query "$key" /s 2>/dev/null </dev/null | tr -d '\r' |
                grep -q '^ *Default *REG_SZ *1280x1024' &&
                "$KV_WINE64" reg.exe query "$key" /v Desktop >/dev/null 2>&1 </dev/null && return 0
        else
            "$KV_WINE64" reg.exe delete "$key" /v Desktop /f >/dev/null 2>&1 </dev/null || true
            "$KV_WINE64" reg.exe query "$key" /v Desktop >/dev/null 2>&1 </dev/null || return 0
        fi
        sleep 1
    done
    return 1
}

KV_XVFB_PID=""
# Starts an Xvfb on a free display number and exports DISPLAY. Depth in $1
# (default 24). Xvfb picks the number itself (-displayfd), so several runs
# started at once never end up sharing a display.
kv_start_xvfb() {
    local depth=${1:-24} fifo n=""
    kv_log "starting a virtual X display (Xvfb, 1280x1024, $depth bits per pixel)"
    fifo=$(mktemp -u /tmp/kv-xvfb.XXXXXX)
    mkfifo "$fifo"
    # A session of its own: Ctrl+C in the terminal reaches the script, which
    # ends what runs on the display before the display itself.
    setsid Xvfb -displayfd 9 -screen 0 "1280x1024x$depth" -nolisten tcp 9>"$fifo" >/dev/null 2>&1 &
    KV_XVFB_PID=$!
    # The read ends with the number, or at end of file if Xvfb gives up.
    read -r -t 20 n <"$fifo" || true
    rm -f "$fifo"
    if [ -z "$n" ] || ! kill -0 "$KV_XVFB_PID" 2>/dev/null; then
        kill "$KV_XVFB_PID" 2>/dev/null || true
        KV_XVFB_PID=""
        echo "no X display could be started" >&2
        return 1
    fi
    export DISPLAY=":$n"
}

kv_stop_xvfb() {
    [ -n "$KV_XVFB_PID" ] || return 0
    kill "$KV_XVFB_PID" 2>/dev/null || true
    wait "$KV_XVFB_PID" 2>/dev/null || true
    KV_XVFB_PID=""
}

# A Wine session for a batch of programs in prefix $1 on a private Xvfb of
# depth $2 (default 24): one persistent server for all of them, with Wine's
# own service processes started up front, their output kept away from the
# caller's pipes (started by the first program, they would inherit its output
# and hold, say, ctest until the server ends).
kv_begin_wine_session() {
    kv_start_xvfb "${2:-24}"
    kv_wine_env "$1"
    kv_ensure_prefix "$1"
    "$KV_WINESERVER" -p 2>/dev/null || true  # one may run already
    "$KV_WINE64" reg.exe query 'HKCU\Software\Wine' >/dev/null 2>&1 </dev/null || true
}

# Ends what kv_begin_wine_session started, as far as it came; never a Wine
# server of the caller's own WINEPREFIX.
kv_end_wine_session() {
    if [ -n "$KV_WINE_PREFIX" ]; then
        kv_wine_env "$KV_WINE_PREFIX"
        kv_stop_wineserver
    fi
    kv_stop_xvfb
}

# Shared helpers of the build, test and run scripts. Source it; it defines
# functions only.

KV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
KV_WINE64=/usr/lib/wine/wine64
KV_WINESERVER=/usr/lib/wine/wineserver

KV_PACKAGES="cmake ninja-build g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix googletest
  wine64 xvfb xdotool imagemagick fonts-wqy-microhei fonts-wine
  libxrender1 libxcursor1 libxi6 libxrandr2 libxcomposite1 libxinerama1 libxfixes3 libxxf86vm1
  libgl1 libgl1-mesa-dri"

kv_log() { printf '== %s\n' "$*" >&2; }

# Installs whatever of the packages is missing (Debian 12, as root).
kv_install_deps() {
    local missing="" p
    for p in $KV_PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    local sudo=""
    if [ "$(id -u)" != 0 ]; then
        command -v sudo >/dev/null || { echo "need root to install:$missing" >&2; return 1; }
        sudo=sudo
    fi
    kv_log "installing:$missing"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    # shellcheck disable=SC2086
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >/dev/null
}

# kv_build ARCH [cmake args...]: configures and builds build/ARCH.
kv_build() {
    local arch=$1; shift
    local dir="$KV_ROOT/build/$arch"
    cmake -S "$KV_ROOT" -B "$dir" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$KV_ROOT/cmake/toolchain-$arch-w64-mingw32.cmake" "$@" >/dev/null
    cmake --build "$dir" -- -j"$(nproc)"
}

# Environment of every Wine run in prefix $1.
kv_wine_env() {
    export WINEPREFIX=$1
    export WINEDEBUG=${WINEDEBUG:--all}
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEARCH=win64
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
        kv_log "creating Wine prefix $prefix"
        "$KV_WINE64" wineboot -i >/dev/null 2>&1 || true
        "$KV_WINESERVER" -w
        local tries
        for tries in 1 2 3 4 5; do
            "$KV_WINE64" reg.exe add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 || true
            "$KV_WINE64" reg.exe add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1 || true
            if "$KV_WINE64" reg.exe query 'HKCU\Software\Wine\Explorer' /s 2>/dev/null | grep -q 1280x1024; then
                break
            fi
            sleep 1
        done
        # A crashing program ends instead of waiting in Wine's debugger.
        "$KV_WINE64" reg.exe delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f >/dev/null 2>&1 || true
        mkdir -p "$prefix/drive_c/windows/Fonts"
        cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
        # The desktop setting applies only to a new server.
        "$KV_WINESERVER" -k 2>/dev/null || true
        "$KV_WINESERVER" -w 2>/dev/null || true
        touch "$prefix/.kv-ready"
    ) 9>"$prefix.lock"
}

KV_XVFB_PID=""
# Starts an Xvfb on a free display number and exports DISPLAY. Depth in $1
# (default 24). Xvfb picks the number itself (-displayfd), so several runs
# started at once never end up sharing a display.
kv_start_xvfb() {
    local depth=${1:-24} fifo n=""
    fifo=$(mktemp -u /tmp/kv-xvfb.XXXXXX)
    mkfifo "$fifo"
    Xvfb -displayfd 9 -screen 0 "1280x1024x$depth" -nolisten tcp 9>"$fifo" >/dev/null 2>&1 &
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
    kv_ensure_prefix "$1"
    kv_wine_env "$1"
    "$KV_WINESERVER" -p 2>/dev/null || true  # one may run already
    "$KV_WINE64" reg.exe query 'HKCU\Software\Wine' >/dev/null 2>&1 </dev/null || true
}

kv_end_wine_session() {
    if [ -n "${WINEPREFIX:-}" ]; then
        "$KV_WINESERVER" -k 2>/dev/null || true
        "$KV_WINESERVER" -w 2>/dev/null || true
    fi
    kv_stop_xvfb
}

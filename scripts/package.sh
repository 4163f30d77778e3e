#!/usr/bin/env bash
# Builds the release configuration and writes the release archives
# dist/KOVAX-<version>-win32.zip (32-bit Windows) and -win64.zip: the program,
# its two DLLs and README.txt, on installing, the shortcuts, the settings and
# the limits (those sections of README.md). The version is the one of the
# program's version resource, resources/version.h.
#   scripts/package.sh [win32|win64]...   (default: both)
set -eu
. "$(dirname "$0")/common.sh"
kv_install_deps "cmake ninja-build g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix"

version=$(sed -n 's/^#define KV_VERSION_STRING "\(.*\)"$/\1/p' "$KV_ROOT/resources/version.h")
[ -n "$version" ] || { echo "no KV_VERSION_STRING in resources/version.h" >&2; exit 1; }

# The sections of README.md on installing, the shortcuts, the settings and
# the limits, with Windows line ends.
readme_text() {
    {
        printf 'KOVAX %s for %s\n\n' "$version" "$1"
        awk '/^## / { keep = ($0 == "## Shortcuts" || $0 == "## Installing on Windows" || $0 == "## Settings" ||
                              $0 == "## Limits") }
            keep' "$KV_ROOT/README.md"
    } | sed 's/$/\r/'
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$KV_ROOT/dist"
targets=("$@")
[ $# -gt 0 ] || targets=(win32 win64)
for target in "${targets[@]}"; do
    case $target in
        win32) arch=i686 name="32-bit Windows" ;;
        win64) arch=x86_64 name="64-bit Windows" ;;
        *) echo "usage: scripts/package.sh [win32|win64]..." >&2; exit 1 ;;
    esac
    build="$KV_ROOT/build/release-$arch"
    kv_log "release build for $name in $build"
    kv_configure "$arch" "$build" -DCMAKE_BUILD_TYPE=Release -DKV_BUILD_TESTS=OFF
    cmake --build "$build" --target product -- -j"$(nproc)"

    folder="KOVAX-$version-$target"
    mkdir -p "$work/$folder"
    xargs -d '\n' cp -t "$work/$folder" <"$build/product-files.txt"
    readme_text "$name" >"$work/$folder/README.txt"
    archive="$KV_ROOT/dist/$folder.zip"
    rm -f "$archive"
    (cd "$work" && cmake -E tar cf "$archive" --format=zip "$folder")
    kv_log "dist/$folder.zip: $(cd "$work/$folder" && ls | tr '\n' ' ')"
done

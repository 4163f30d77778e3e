#!/usr/bin/env bash
# Draws the control panel's icons with ImageMagick and writes them as .ico
# files into resources/icons/ (committed, so a build needs no ImageMagick).
# Each picture is drawn once on a 256-pixel canvas and scaled down to the
# sizes the panel loads; run it again after changing a drawing.
#   scripts/make-icons.sh
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/resources/icons"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# Common pieces, in 256-pixel coordinates. Each appends its drawing
# arguments to the array D, which draw() hands to ImageMagick.
D=()
glass() {  # a magnifying glass: handle, ring and lens; $1 ring colour, $2 lens colour
    D+=(-fill none -stroke "$1" -strokewidth 26 -draw "line 165,165 228,228"
        -fill "$2" -stroke "$1" -strokewidth 22 -draw "circle 108,108 108,28")
}
arrow() {  # the mouse pointer; $1 fill, $2 outline
    D+=(-fill "$1" -stroke "$2" -strokewidth 8
        -draw "polygon 96,60 96,196 128,166 152,218 176,206 152,156 196,156")
}
ibeam() {  # the text caret; $1 colour
    D+=(-fill none -stroke "$1" -strokewidth 14
        -draw "line 128,72 128,184" -draw "line 100,72 156,72" -draw "line 100,184 156,184")
}
monitor() {  # a screen on its stand; $1 frame colour, $2 screen colour
    D+=(-fill "$2" -stroke "$1" -strokewidth 14 -draw "roundrectangle 20,36 236,180 10,10"
        -fill "$1" -stroke none -draw "rectangle 112,180 144,210" -draw "roundrectangle 72,206 184,224 6,6")
}
more() { D+=("$@"); }

# draw NAME SIZES...: renders D at 256 pixels, scales it to each size, writes
# NAME.ico with one image per size, and empties D.
draw() {
    local name=$1; shift
    convert -size 256x256 xc:none "${D[@]}" "$work/$name.png"
    local parts=() s
    for s in "$@"; do
        convert "$work/$name.png" -filter Lanczos -resize "${s}x${s}" "$work/$name-$s.png"
        parts+=("$work/$name-$s.png")
    done
    convert "${parts[@]}" "$out/$name.ico"
    D=()
}

# 6007: the program (window, tray, About box).
glass '#1F4E99' '#BFE3FF'
more -fill none -stroke white -strokewidth 14 -draw "arc 64,64 150,150 200,260"
draw program 16 32 48

# 142 / 6013: the pause button while magnifying (play) and while paused (bars).
more -fill '#2E9E44' -stroke '#1D6B2D' -strokewidth 10 -draw "circle 128,128 128,12"
more -fill white -stroke none -draw "polygon 100,76 100,180 188,128"
draw running 64
more -fill '#8A8A8A' -stroke '#5E5E5E' -strokewidth 10 -draw "circle 128,128 128,12"
more -fill white -stroke none -draw "rectangle 88,76 116,180" -draw "rectangle 140,76 168,180"
draw paused 64

# 141 / 140: zoom in and out.
glass '#1F4E99' white
more -fill none -stroke '#1F4E99' -strokewidth 22 -draw "line 68,108 148,108" -draw "line 108,68 108,148"
draw zoomin 32
glass '#1F4E99' white
more -fill none -stroke '#1F4E99' -strokewidth 22 -draw "line 68,108 148,108"
draw zoomout 32

# 6011 / 6012: the ring around the pointer, on and off.
more -fill none -stroke '#2060FF' -strokewidth 22 -draw "circle 128,128 128,18"
arrow white black
draw cursor-on 48
arrow '#E0E0E0' '#808080'
draw cursor-off 48

# 6009 / 6014: the frame around the focused object, on and off.
more -fill none -stroke '#20A040' -strokewidth 18 -draw "rectangle 24,64 232,192"
more -fill white -stroke '#404040' -strokewidth 8 -draw "rectangle 56,100 200,156"
draw focus-on 48
more -fill white -stroke '#909090' -strokewidth 8 -draw "rectangle 56,100 200,156"
draw focus-off 48

# 6006 / 6010: the marks at the text caret, on and off.
ibeam black
more -fill '#E02020' -stroke none -draw "polygon 96,8 160,8 128,52" -draw "polygon 96,248 160,248 128,204"
draw caret-on 48
ibeam '#909090'
draw caret-off 48

# 6016 / 6017: full screen and window mode.
monitor '#303030' '#6FB8FF'
draw fullscreen 48
monitor '#303030' white
more -fill '#6FB8FF' -stroke '#1F4E99' -strokewidth 8 -draw "rectangle 104,80 200,150"
draw window 48

echo "icons written to $out"

#pragma once
// The pixel formats the overlay path knows: the display's (RGB32, RGB565,
// RGB555) and the two packed YUV 4:2:2 formats an overlay may take instead.
#include <ddraw.h>
#include <windows.h>

enum OverlayPixelFormat : int {
    kFormatRgb32 = 0,
    kFormatRgb565 = 1,
    kFormatRgb555 = 2,
    kFormatUyvy = 3,
    kFormatYuy2 = 4,
    kFormatNone = 5,
};

// The record that describes format index; an empty one (size only) for none.
DDPIXELFORMAT PixelFormatRecord(int format);

// Which display format a primary surface's record describes: 32 bits of RGB
// whatever the masks; 16 bits by the green mask; anything else none.
int DisplayFormatOf(const DDPIXELFORMAT& record);

// Bytes per pixel of a display format; 0 for any other index.
int BytesPerPixel(int format);

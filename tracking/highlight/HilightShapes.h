#pragma once
// The geometry of the three marks as plain numbers: which figures a paint
// fills and which it outlines, computed from the parameter record alone.
// GDI+ only fills and outlines what these return.
//
// Coordinates are signed 32-bit pixels of the captured image; halving rounds
// toward zero.
#include <windows.h>

#include "tracking/highlight/HilightParams.h"

namespace Hilight {

// A rectangle, or the bounding box of an ellipse: x, y, width, height.
struct Figure {
    int x;
    int y;
    int width;
    int height;
};

struct Triangle {
    POINT points[3];
};

// Rectangle and ring: the fill path holds fillCount figures (two nested ones
// leave only the band between them filled); then each outline is drawn with
// the border pen, in order.
struct BoxFigures {
    Figure fill[2];
    int fillCount;
    Figure outline[2];
    int outlineCount;
};

// Caret: up to two triangles (above the caret first), each filled and then,
// when outlined, drawn along its own outline.
struct CaretFigures {
    Triangle fill[2];
    Triangle outline[2];
    int count;
    bool outlined;
};

BoxFigures RectangleFigures(const HilightParams& params);
BoxFigures RingFigures(const HilightParams& params);
CaretFigures CaretTriangles(const HilightParams& params);

// 0xAARRGGBB from a COLORREF (0x00BBGGRR) and an opacity.
DWORD ArgbOf(COLORREF color, BYTE opacity);

}  // namespace Hilight

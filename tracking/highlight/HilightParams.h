#pragma once
// Everything a highlight mark is drawn from: its style and its target, in
// pixels of the captured image.
#include <windows.h>

namespace Hilight {

struct HilightParams {
    COLORREF primaryColor;  // fill
    COLORREF secondColor;   // border
    BYTE opacity;           // alpha of fill and border alike
    BOOL show;              // not read by the painters: the caller decides
    RECT target;            // a point is stored as (x, y, x, y)
    int gapWidth;           // free space between the target and the mark
    int width;              // width of the mark's band
    int borderWidth;        // border pen width; 0 or less: no border
    int style;              // shape variant, read by each kind in its own way
};

}  // namespace Hilight

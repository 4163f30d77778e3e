#pragma once
// The limits under which the registry's style numbers reach the marks, and
// under which a target is painted. The style records hold whatever the
// registry held; GDI+ crashes on an ellipse of radius 50000 and spends over a
// second on one of radius 1e7, and its cost grows with a figure's extent even
// where the image clips it.
#include <windows.h>

#include "settings/HilightStyle.h"

namespace Hilight {

class HilightObject;

// Style ranges: 1 to the maximum.
constexpr DWORD kRingStyleMax = 33;
constexpr DWORD kRectangleStyleMax = 2;
constexpr DWORD kCaretStyleMax = 3;

// Band width, border width and gap are held within -kMaxHilightLength ..
// kMaxHilightLength pixels: far beyond any mark that fits on a screen, small
// enough that the largest mark (radius 4 x 2048) paints in a few
// milliseconds.
constexpr int kMaxHilightLength = 2048;

// How far outside the image a target edge may lie and still matter: a mark
// reaches at most gap + band + two borders from its target's edges, plus a
// centred pen's half width.
constexpr int kTargetMargin = 6 * kMaxHilightLength;

// 0 becomes 1; above max (negatives included, compared as unsigned) becomes max.
int ClampStyle(DWORD style, DWORD max);
// Above 0xFFFFFF becomes 0xFFFFFF.
COLORREF ClampColor(DWORD color);
// The registry's number as a signed length, held within the bounds above.
int BoundLength(DWORD length);

// Styles one mark, in the order the painters expect: style, colours, width,
// border width, opacity (its low byte), gap.
void ApplyStyle(HilightObject& object, const HilightStyle& style, DWORD maxStyle);

// A target in image coordinates (given wide, so that a rectangle reported by
// another program cannot overflow) with each edge held within kTargetMargin
// of an image of the given size. Inside the image, marks are drawn exactly as
// from the unbounded target (but for the centre of a caret wider than the
// image, which is no caret).
RECT BoundTarget(LONGLONG left, LONGLONG top, LONGLONG right, LONGLONG bottom, int imageWidth, int imageHeight);

}  // namespace Hilight

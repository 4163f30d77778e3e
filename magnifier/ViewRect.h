#pragma once
// The magnifier's rectangle: x, y, width, height in pixels; the right edge is
// x + width - 1 and the bottom edge y + height - 1, both inside.

struct ViewRect {
    int x;
    int y;
    int width;
    int height;
};

bool RectEqual(const ViewRect& a, const ViewRect& b);

// Cuts a to its intersection with b; an empty result keeps the new x and y
// with zero width and height.
ViewRect& IntersectRectInPlace(ViewRect& a, const ViewRect& b);

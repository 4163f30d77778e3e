#include "magnifier/ViewRect.h"

#include <algorithm>

bool RectEqual(const ViewRect& a, const ViewRect& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

ViewRect& IntersectRectInPlace(ViewRect& a, const ViewRect& b) {
    // 64-bit edges: foreign rectangles can sit near the ends of the int range.
    long long right = static_cast<long long>(a.x) + a.width - 1;
    long long bottom = static_cast<long long>(a.y) + a.height - 1;
    a.x = std::max(a.x, b.x);
    a.y = std::max(a.y, b.y);
    right = std::min(right, static_cast<long long>(b.x) + b.width - 1);
    bottom = std::min(bottom, static_cast<long long>(b.y) + b.height - 1);
    long long width = right - a.x + 1;
    long long height = bottom - a.y + 1;
    if (width <= 0 || height <= 0) {
        a.width = 0;
        a.height = 0;
    } else {
        a.width = static_cast<int>(width);
        a.height = static_cast<int>(height);
    }
    return a;
}

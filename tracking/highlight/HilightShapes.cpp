#include "tracking/highlight/HilightShapes.h"

namespace Hilight {

namespace {

// The tips of the filled triangles sit 1.414 b beyond the gap, computed in
// floating point and truncated toward zero.
int Tip(int edge, int b, int direction) {
    return static_cast<int>(edge + direction * 1.414 * b);
}

}  // namespace

BoxFigures RectangleFigures(const HilightParams& p) {
    const RECT& t = p.target;
    const int d = p.gapWidth + p.borderWidth;
    const int w = p.width;
    const int b = p.borderWidth;
    const int width = t.right - t.left;
    const int height = t.bottom - t.top;
    const bool frame = p.style == 1;

    BoxFigures f{};
    f.fill[f.fillCount++] = {t.left - d, t.top - d, width + 2 * d, height + 2 * d};
    if (frame) f.fill[f.fillCount++] = {t.left - d - w, t.top - d - w, width + 2 * d + 2 * w, height + 2 * d + 2 * w};
    if (b > 0) {
        f.outline[f.outlineCount++] = f.fill[0];
        // One pixel short at the right and the bottom.
        if (frame) {
            f.outline[f.outlineCount++] = {t.left - d - w - b, t.top - d - w - b, width + 2 * d + 2 * w + 2 * b - 1,
                                           height + 2 * d + 2 * w + 2 * b - 1};
        }
    }
    return f;
}

BoxFigures RingFigures(const HilightParams& p) {
    const int x = p.target.left;
    const int y = p.target.top;
    const int b = p.borderWidth;
    const int r = p.gapWidth + p.width + b;
    const int q = p.gapWidth + b + 1;
    const bool ring = p.style == 1;

    BoxFigures f{};
    f.fill[f.fillCount++] = {x - r, y - r, 2 * r, 2 * r};
    if (ring) f.fill[f.fillCount++] = {x - q, y - q, 2 * q, 2 * q};
    if (b > 0) {
        const int o = r + b - 1;
        f.outline[f.outlineCount++] = {x - o, y - o, 2 * o, 2 * o};
        if (ring) f.outline[f.outlineCount++] = f.fill[1];
    }
    return f;
}

CaretFigures CaretTriangles(const HilightParams& p) {
    const RECT& t = p.target;
    const int g = p.gapWidth;
    const int w = p.width;
    const int b = p.borderWidth;
    const int xc = t.left + (t.right - t.left) / 2;
    const int x0 = xc - w - b;

    CaretFigures f{};
    f.outlined = b > 0;
    if (p.style & 1) {
        // Above the caret, pointing down at it.
        const int base = t.top - g - w - b;
        const int outer = t.top - g - w - 2 * b;
        f.fill[f.count] = {{{x0 + 2 * b, base}, {x0 + 2 * w, base}, {xc, Tip(t.top - g, b, -1)}}};
        f.outline[f.count] = {{{x0, outer}, {x0 + 2 * w + 2 * b - 1, outer}, {xc, t.top - g - 1}}};
        ++f.count;
    }
    if (p.style & 2) {
        // Below the caret, pointing up at it.
        const int base = t.bottom + g + w + b;
        const int outer = t.bottom + g + w + 2 * b - 1;
        f.fill[f.count] = {{{xc, Tip(t.bottom + g, b, 1)}, {x0 + 2 * b, base}, {x0 + 2 * w, base}}};
        f.outline[f.count] = {{{xc, t.bottom + g + 1}, {x0 + 1, outer}, {x0 + 2 * w + 2 * b - 1, outer}}};
        ++f.count;
    }
    return f;
}

DWORD ArgbOf(COLORREF color, BYTE opacity) {
    return (static_cast<DWORD>(opacity) << 24) | (static_cast<DWORD>(GetRValue(color)) << 16) |
           (static_cast<DWORD>(GetGValue(color)) << 8) | GetBValue(color);
}

}  // namespace Hilight

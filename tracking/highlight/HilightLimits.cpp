#include "tracking/highlight/HilightLimits.h"

#include <algorithm>

#include "tracking/highlight/HilightObject.h"

namespace Hilight {

namespace {

LONG Within(LONGLONG value, LONGLONG low, LONGLONG high) {
    return static_cast<LONG>(std::clamp(value, low, high));
}

}  // namespace

int ClampStyle(DWORD style, DWORD max) {
    if (style == 0) return 1;
    return static_cast<int>(std::min(style, max));
}

COLORREF ClampColor(DWORD color) {
    return std::min<DWORD>(color, 0xFFFFFF);
}

int BoundLength(DWORD length) {
    return std::clamp(static_cast<int>(length), -kMaxHilightLength, kMaxHilightLength);
}

void ApplyStyle(HilightObject& object, const HilightStyle& style, DWORD maxStyle) {
    object.SetStyle(ClampStyle(style.style, maxStyle));
    object.SetPrimaryColor(ClampColor(style.primaryColor));
    object.SetSecondColor(ClampColor(style.secondColor));
    object.SetWidth(BoundLength(style.width));
    object.SetBorderWidth(BoundLength(style.borderWidth));
    object.SetOpacity(static_cast<BYTE>(style.opacity & 0xFF));
    object.SetGapWidth(BoundLength(style.gapWidth));
}

RECT BoundTarget(LONGLONG left, LONGLONG top, LONGLONG right, LONGLONG bottom, int imageWidth, int imageHeight) {
    const LONGLONG m = kTargetMargin;
    return {Within(left, -m, imageWidth + m), Within(top, -m, imageHeight + m), Within(right, -m, imageWidth + m),
            Within(bottom, -m, imageHeight + m)};
}

}  // namespace Hilight

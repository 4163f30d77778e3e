#include "tracking/highlight/HilightObject.h"

#include <objidl.h>

// gdiplus.h uses the types of objidl.h without including it.
#include <gdiplus.h>

namespace Hilight {

HilightObject::HilightObject() {
    params_.primaryColor = 0x000000FF;
    params_.secondColor = 0;
    params_.opacity = 100;
    params_.show = FALSE;
    params_.gapWidth = 0;
    params_.width = 0;
    params_.borderWidth = 1;
    params_.style = 0;
}

void HilightObject::SetRect(const RECT* rect) {
    params_.target = *rect;
}
void HilightObject::SetPoint(const POINT* point) {
    RECT rect{point->x, point->y, point->x, point->y};
    SetRect(&rect);
}
void HilightObject::SetRectCoords(int left, int top, int right, int bottom) {
    RECT rect{left, top, right, bottom};
    SetRect(&rect);
}
void HilightObject::SetPrimaryColor(COLORREF color) {
    params_.primaryColor = color;
}
void HilightObject::SetSecondColor(COLORREF color) {
    params_.secondColor = color;
}
void HilightObject::SetWidth(int width) {
    params_.width = width;
}
void HilightObject::SetBorderWidth(int width) {
    params_.borderWidth = width;
}
void HilightObject::SetGapWidth(int width) {
    params_.gapWidth = width;
}
void HilightObject::SetOpacity(BYTE opacity) {
    params_.opacity = opacity;
}
void HilightObject::SetShow(BOOL show) {
    params_.show = show;
}
void HilightObject::SetStyle(int style) {
    params_.style = style;
}

void HilightObject::DestroyOverlay(HWND& window) {
    if (window) DestroyWindow(window);
    window = nullptr;
}

void HilightObject::PaintDC(HDC dc) {
    Gdiplus::GpGraphics* graphics = nullptr;
    if (Gdiplus::DllExports::GdipCreateFromHDC(dc, &graphics) != Gdiplus::Ok || !graphics) return;
    Paint(graphics);
    Gdiplus::DllExports::GdipDeleteGraphics(graphics);
}

}  // namespace Hilight

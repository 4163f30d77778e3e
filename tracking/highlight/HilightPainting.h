#pragma once
// What the three painters share: GDI+ objects that live for one paint, and
// the fill-then-outline drawing of rectangle and ring figures. Every GDI+
// status is left unread: a failed step draws less, and the paint goes on.
#include <objidl.h>
#include <windows.h>

// gdiplus.h uses the types of objidl.h without including it.
#include <gdiplus.h>

#include "tracking/highlight/HilightShapes.h"

namespace Hilight {

// A solid brush of the fill colour.
class FillBrush {
public:
    explicit FillBrush(DWORD argb) { Gdiplus::DllExports::GdipCreateSolidFill(argb, &brush_); }
    ~FillBrush() {
        if (brush_) Gdiplus::DllExports::GdipDeleteBrush(brush_);
    }
    FillBrush(const FillBrush&) = delete;
    FillBrush& operator=(const FillBrush&) = delete;
    Gdiplus::GpBrush* get() const { return brush_; }

private:
    Gdiplus::GpSolidFill* brush_ = nullptr;
};

// The border pen: made from a solid brush of the border colour, which goes as
// soon as the pen exists, and drawing inside the figures it outlines.
class BorderPen {
public:
    BorderPen(DWORD argb, int width);
    ~BorderPen() {
        if (pen_) Gdiplus::DllExports::GdipDeletePen(pen_);
    }
    BorderPen(const BorderPen&) = delete;
    BorderPen& operator=(const BorderPen&) = delete;
    Gdiplus::GpPen* get() const { return pen_; }

private:
    Gdiplus::GpPen* pen_ = nullptr;
};

enum class FigureKind { kRectangles, kEllipses };

// Fills the figures' path (alternate fill: nested figures leave their band),
// then draws the outlines with the border pen, which is made only when there
// are outlines.
void PaintBoxFigures(Gdiplus::GpGraphics* graphics, const HilightParams& params, const BoxFigures& figures,
                     FigureKind kind);

}  // namespace Hilight

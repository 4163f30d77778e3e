#include "tracking/highlight/HilightCaret_Impl.h"

#include "tracking/highlight/HilightPainting.h"

namespace Hilight {

using namespace Gdiplus::DllExports;

namespace {

struct GdipTriangle {
    explicit GdipTriangle(const Triangle& t) {
        for (int i = 0; i < 3; ++i) points[i] = Gdiplus::GpPoint(t.points[i].x, t.points[i].y);
    }
    Gdiplus::GpPoint points[3];
};

}  // namespace

HilightCaret_Impl::~HilightCaret_Impl() {
    HilightCaret_Impl::DestroyWindows();
}
int HilightCaret_Impl::Update(int) {
    return 0;
}
int HilightCaret_Impl::Create(HWND) {
    return 0;
}
void HilightCaret_Impl::DestroyWindows() {
    DestroyOverlay(above_);
    DestroyOverlay(below_);
}
void HilightCaret_Impl::Paint(Gdiplus::GpGraphics* graphics) {
    PaintShape(&params_, graphics);
}

void HilightCaret_Impl::PaintShape(const HilightParams* params, Gdiplus::GpGraphics* graphics) {
    FillBrush fill(ArgbOf(params->primaryColor, params->opacity));
    BorderPen pen(ArgbOf(params->secondColor, params->opacity), params->borderWidth);
    GdipSetSmoothingMode(graphics, Gdiplus::SmoothingModeHighQuality);
    const CaretFigures figures = CaretTriangles(*params);
    for (int i = 0; i < figures.count; ++i) {
        GdipFillPolygonI(graphics, fill.get(), GdipTriangle(figures.fill[i]).points, 3, Gdiplus::FillModeAlternate);
        if (figures.outlined) GdipDrawPolygonI(graphics, pen.get(), GdipTriangle(figures.outline[i]).points, 3);
    }
}

}  // namespace Hilight

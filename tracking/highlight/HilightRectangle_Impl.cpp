#include "tracking/highlight/HilightRectangle_Impl.h"

#include "tracking/highlight/HilightPainting.h"

namespace Hilight {

HilightRectangle_Impl::~HilightRectangle_Impl() {
    HilightRectangle_Impl::DestroyWindows();
}
int HilightRectangle_Impl::Update(int) {
    return 0;
}
int HilightRectangle_Impl::Create(HWND) {
    return 0;
}
void HilightRectangle_Impl::DestroyWindows() {
    DestroyOverlay(window_);
}
void HilightRectangle_Impl::Paint(Gdiplus::GpGraphics* graphics) {
    PaintShape(&params_, graphics);
}

void HilightRectangle_Impl::PaintShape(const HilightParams* params, Gdiplus::GpGraphics* graphics) {
    // No smoothing: the frame's edges are axis-aligned.
    PaintBoxFigures(graphics, *params, RectangleFigures(*params), FigureKind::kRectangles);
}

}  // namespace Hilight

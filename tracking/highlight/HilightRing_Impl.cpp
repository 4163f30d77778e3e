#include "tracking/highlight/HilightRing_Impl.h"

#include "tracking/highlight/HilightPainting.h"

namespace Hilight {

HilightRing_Impl::~HilightRing_Impl() {
    HilightRing_Impl::DestroyWindows();
}
int HilightRing_Impl::Update(int) {
    return 0;
}
int HilightRing_Impl::Create(HWND) {
    return 0;
}
void HilightRing_Impl::DestroyWindows() {
    DestroyOverlay(window_);
}
void HilightRing_Impl::Paint(Gdiplus::GpGraphics* graphics) {
    PaintShape(&params_, graphics);
}

void HilightRing_Impl::PaintShape(const HilightParams* params, Gdiplus::GpGraphics* graphics) {
    Gdiplus::DllExports::GdipSetSmoothingMode(graphics, Gdiplus::SmoothingModeHighQuality);
    PaintBoxFigures(graphics, *params, RingFigures(*params), FigureKind::kEllipses);
}

}  // namespace Hilight

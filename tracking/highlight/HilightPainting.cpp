#include "tracking/highlight/HilightPainting.h"

namespace Hilight {

using namespace Gdiplus::DllExports;

BorderPen::BorderPen(DWORD argb, int width) {
    Gdiplus::GpSolidFill* brush = nullptr;
    GdipCreateSolidFill(argb, &brush);
    GdipCreatePen2(brush, static_cast<Gdiplus::REAL>(width), Gdiplus::UnitWorld, &pen_);
    if (brush) GdipDeleteBrush(brush);
    if (pen_) GdipSetPenMode(pen_, Gdiplus::PenAlignmentInset);
}

void PaintBoxFigures(Gdiplus::GpGraphics* graphics, const HilightParams& params, const BoxFigures& figures,
                     FigureKind kind) {
    const bool ellipses = kind == FigureKind::kEllipses;
    Gdiplus::GpPath* path = nullptr;
    GdipCreatePath(Gdiplus::FillModeAlternate, &path);
    for (int i = 0; i < figures.fillCount; ++i) {
        const Figure& f = figures.fill[i];
        if (ellipses) {
            GdipAddPathEllipseI(path, f.x, f.y, f.width, f.height);
        } else {
            GdipAddPathRectangleI(path, f.x, f.y, f.width, f.height);
        }
    }
    {
        FillBrush fill(ArgbOf(params.primaryColor, params.opacity));
        GdipFillPath(graphics, fill.get(), path);
    }
    if (figures.outlineCount > 0) {
        BorderPen pen(ArgbOf(params.secondColor, params.opacity), params.borderWidth);
        for (int i = 0; i < figures.outlineCount; ++i) {
            const Figure& f = figures.outline[i];
            if (ellipses) {
                GdipDrawEllipseI(graphics, pen.get(), f.x, f.y, f.width, f.height);
            } else {
                GdipDrawRectangleI(graphics, pen.get(), f.x, f.y, f.width, f.height);
            }
        }
    }
    if (path) GdipDeletePath(path);
}

}  // namespace Hilight

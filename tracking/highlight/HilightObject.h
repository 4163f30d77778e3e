#pragma once
// One highlight mark (pointer ring, focus frame or caret triangles): its style
// and target, and how it paints itself with GDI+ onto a device context.
//
// Styled once on the main thread before the render thread starts; from then
// on only the render thread sets targets and paints. The setters are plain
// stores: they check nothing, so range checks are the caller's.
#include <windows.h>

#include "tracking/highlight/HilightParams.h"

namespace Gdiplus {
class GpGraphics;
}

namespace Hilight {

class HilightObject {
public:
    HilightObject();
    virtual ~HilightObject() = default;
    HilightObject(const HilightObject&) = delete;
    HilightObject& operator=(const HilightObject&) = delete;

    virtual void SetRect(const RECT* rect);
    // A point is a rectangle of no size.
    virtual void SetPoint(const POINT* point);
    virtual void SetRectCoords(int left, int top, int right, int bottom);
    virtual void SetPrimaryColor(COLORREF color);
    virtual void SetSecondColor(COLORREF color);
    virtual void SetWidth(int width);
    virtual void SetBorderWidth(int width);
    virtual void SetGapWidth(int width);
    virtual void SetOpacity(BYTE opacity);
    virtual void SetShow(BOOL show);
    virtual void SetStyle(int style);
    // For a variant that shows the mark in overlay windows of its own; this
    // program draws marks into the captured image and never calls these.
    virtual int Update(int flags) = 0;
    virtual int Create(HWND parent) = 0;
    virtual void DestroyWindows() = 0;
    // Draws the mark.
    virtual void Paint(Gdiplus::GpGraphics* graphics) = 0;
    // Draws the mark onto a device context; draws nothing when GDI+ cannot
    // use it.
    virtual void PaintDC(HDC dc);

    const HilightParams& Params() const { return params_; }

protected:
    // Destroys an overlay window of the window operations, if one was made.
    static void DestroyOverlay(HWND& window);

    BOOL created_ = FALSE;
    HilightParams params_;
};

}  // namespace Hilight

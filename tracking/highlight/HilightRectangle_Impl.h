#pragma once
// The frame (style 1) or translucent box (any other style) around the object
// that has the keyboard focus.
#include "tracking/highlight/HilightObject.h"

namespace Hilight {

class HilightRectangle_Impl : public HilightObject {
public:
    ~HilightRectangle_Impl() override;
    int Update(int flags) override;
    int Create(HWND parent) override;
    void DestroyWindows() override;
    void Paint(Gdiplus::GpGraphics* graphics) override;

    static void PaintShape(const HilightParams* params, Gdiplus::GpGraphics* graphics);

private:
    HWND window_ = nullptr;  // never made in this program
};

}  // namespace Hilight

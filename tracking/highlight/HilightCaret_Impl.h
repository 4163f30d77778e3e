#pragma once
// Triangles above (style bit 0) and below (bit 1) the text caret, pointing at
// it.
#include "tracking/highlight/HilightObject.h"

namespace Hilight {

class HilightCaret_Impl : public HilightObject {
public:
    ~HilightCaret_Impl() override;
    int Update(int flags) override;
    int Create(HWND parent) override;
    void DestroyWindows() override;
    void Paint(Gdiplus::GpGraphics* graphics) override;

    static void PaintShape(const HilightParams* params, Gdiplus::GpGraphics* graphics);

private:
    HWND above_ = nullptr;  // never made in this program
    HWND below_ = nullptr;
};

}  // namespace Hilight

#pragma once
// The ring (style 1) or disc (any other style) around the mouse pointer,
// centred on the target's top-left corner, the point given by SetPoint.
#include "tracking/highlight/HilightObject.h"

namespace Hilight {

class HilightRing_Impl : public HilightObject {
public:
    ~HilightRing_Impl() override;
    int Update(int flags) override;
    int Create(HWND parent) override;
    void DestroyWindows() override;
    void Paint(Gdiplus::GpGraphics* graphics) override;

    static void PaintShape(const HilightParams* params, Gdiplus::GpGraphics* graphics);

private:
    HWND window_ = nullptr;  // never made in this program
};

}  // namespace Hilight

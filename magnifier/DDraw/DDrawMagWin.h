#pragma once
// The hardware output: the magnified image is shown in the overlay of the
// current OverlayManager, which this object creates and destroys with
// itself; it has no window. A failed frame is skipped and the next one tries
// again; a display-mode change rebuilds the manager.
#include "magnifier/MagWin.h"

class DDrawMagWin : public MagWin {
public:
    // Throws E_NOTIMPL (an HRESULT) when no overlay can be made.
    explicit DDrawMagWin(Hook::EventDispatcher* hub);
    ~DDrawMagWin() override;

    // Neither lets an overlay failure reach the caller, who may be the
    // control panel's thread.
    bool Pause() override;
    bool Resume() override;
    bool Render(RenderRequest& request) override;
    bool OnSourceChanged() override { return true; }
    bool OnWindowChanged() override;
    bool Open() override;
    bool Close() override;

private:
    // After a display-mode change: new rectangles, a new manager.
    bool Rebuild();
    // The overlay is placed in screen pixels; a rectangle counts from the
    // virtual screen's corner.
    RECT ScreenRect(const ViewRect& r) const;
};

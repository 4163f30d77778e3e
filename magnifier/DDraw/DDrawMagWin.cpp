#include "magnifier/DDraw/DDrawMagWin.h"

#include "core/EventDispatcher.h"
#include "magnifier/DDraw/DirectXException.h"
#include "magnifier/DDraw/Overlay.h"

namespace {

bool IsModeChange(HRESULT hr) {
    return hr == DDERR_WRONGMODE;
}

}  // namespace

RECT DDrawMagWin::ScreenRect(const ViewRect& r) const {
    POINT origin = FrameOrigin();
    return RECT{r.x + origin.x, r.y + origin.y, r.x + origin.x + r.width, r.y + origin.y + r.height};
}

DDrawMagWin::DDrawMagWin(Hook::EventDispatcher* hub) : MagWin(hub) {
    if (!OverlayManager::Create()) throw static_cast<HRESULT>(E_NOTIMPL);
}

DDrawMagWin::~DDrawMagWin() {
    OverlayManager::Destroy();
}

bool DDrawMagWin::Open() {
    if (!MagWin::Open()) return false;
    try {
        OverlayManager::Guard guard;
        if (!OverlayManager::Current() && !OverlayManager::Create()) throw static_cast<HRESULT>(E_NOTIMPL);
        ViewRect source = SourceRect();
        OverlayManager::Current()->Reset(source.width, source.height);
        OnWindowChanged();
        OverlayManager::Current()->ShowOverlay(true);
        return true;
    } catch (...) {
        MagWin::Close();
        return false;
    }
}

bool DDrawMagWin::Close() {
    // The overlay keeps the last frame until the manager goes.
    return MagWin::Close();
}

bool DDrawMagWin::Pause() {
    OverlayManager::Guard guard;
    if (OverlayManager* manager = OverlayManager::Current()) {
        try {
            manager->ShowOverlay(false);
        } catch (...) {
            // Not drawn any more all the same: the manager is no longer visible.
        }
    }
    Hub()->SetActive(false);
    return true;
}

bool DDrawMagWin::Resume() {
    OverlayManager::Guard guard;
    if (OverlayManager* manager = OverlayManager::Current()) {
        try {
            manager->ShowOverlay(true);
        } catch (...) {
            manager->showPending_ = true;  // the next frame tries again
        }
    }
    Hub()->SetActive(true);
    return true;
}

bool DDrawMagWin::OnWindowChanged() {
    OverlayManager::Guard guard;
    if (OverlayManager* manager = OverlayManager::Current()) {
        manager->overlayPosition_ = ScreenRect(WindowRect());
        if (manager->visible_) manager->showPending_ = true;
    }
    return true;
}

bool DDrawMagWin::Render(RenderRequest& request) {
    Frame frame(*this);
    OverlayManager::Guard guard;
    // None after a rebuild that failed: each frame tries again.
    if (!OverlayManager::Current() && !OverlayManager::Create()) return false;
    OverlayManager* manager = OverlayManager::Current();
    try {
        const ViewRect& source = request.source;
        // A new size, or surfaces that a failed rebuild left missing.
        if (manager->width_ != source.width || manager->height_ != source.height || !manager->HasSurfaces()) {
            manager->Reset(source.width, source.height);
            manager->overlayPosition_ = ScreenRect(request.window);
            // A frame queued before a pause must not bring the overlay back.
            manager->ShowOverlay(Hub()->IsActive());
        }
        POINT at = ImageOrigin(source);
        manager->Present(at.x, at.y, request, *this);
        return true;
    } catch (HRESULT hr) {
        return IsModeChange(hr) && Rebuild();
    } catch (const DirectX::Exception& e) {
        return IsModeChange(e.result_) && Rebuild();
    } catch (...) {
        return false;  // the frame is skipped; the next one tries again
    }
}

bool DDrawMagWin::Rebuild() {
    return ComputeInitialRects(true) && OverlayManager::Create();
}

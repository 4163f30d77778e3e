#include "tracking/MagTracker.h"

#include <windows.h>

#include "magnifier/MagWin.h"
#include "settings/MagSettings.h"
#include "tracking/ClampRectToScreen.h"

double ZoomFromLevel(unsigned level) {
    double zoom = level / 10.0;
    return zoom < MagTracker::kZoomMin || zoom > MagTracker::kZoomMax ? MagTracker::kZoomDefault : zoom;
}

MagTracker::MagTracker(Hook::EventDispatcher* hub, MagWin* magwin) : hub_(hub), magwin_(magwin) {
    zoom_ = ZoomFromLevel(g_settings.ZoomLevel_10.Value());
}

bool MagTracker::CenteredView(ViewRect& out) const {
    ViewRect window = magwin_->WindowRect();
    ViewRect source = magwin_->SourceRect();
    int w = window.width;
    int h = window.height;
    if (!noScale_) {
        w = static_cast<int>(w / zoom_);
        h = static_cast<int>(h / zoom_);
    }
    out.x = source.x + static_cast<int>(source.width * 0.5 - w * 0.5);
    out.y = source.y + static_cast<int>(source.height * 0.5 - h * 0.5);
    out.width = (w % 2) ? w + 1 : w;
    out.height = h;
    int cx = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    int cy = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (cx == 0 || cy == 0) return false;
    return ClampRectToScreen(out, {cx, cy});
}

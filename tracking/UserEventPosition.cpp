#include "tracking/UserEventPosition.h"

#include "tracking/MagTracker.h"
#include "tracking/ViewGeometry.h"

bool UserEventPosition::GetRect(ViewRect& out) const {
    ViewRect view{};
    if (!tracker_->CenteredView(view)) return false;
    VirtualScreen screen = tracker_->Screen();
    if (screen.cx == 0 || screen.cy == 0) return false;
    out = PositionTarget(dx_, dy_, view, {screen.cx, screen.cy});
    return true;
}

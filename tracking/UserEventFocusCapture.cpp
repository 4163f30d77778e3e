#include "tracking/UserEventFocusCapture.h"

#include "tracking/MagTracker.h"
#include "tracking/ViewGeometry.h"

bool UserEventFocusCapture::GetRect(ViewRect& out) const {
    VirtualScreen screen = tracker_->Screen();
    if (screen.cx == 0 || screen.cy == 0) return false;
    out = FocusTarget(focus_, screen);
    return true;
}

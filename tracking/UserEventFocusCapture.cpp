#include "tracking/UserEventFocusCapture.h"

#include "tracking/ViewGeometry.h"

bool UserEventFocusCapture::GetRect(ViewRect& out) const {
    VirtualScreen screen = VirtualScreen::Read();
    if (screen.cx == 0 || screen.cy == 0) return false;
    out = FocusTarget(focus_, screen);
    return true;
}

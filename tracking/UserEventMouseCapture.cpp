#include "tracking/UserEventMouseCapture.h"

#include "settings/MagSettings.h"
#include "tracking/MagTracker.h"
#include "tracking/ViewGeometry.h"

bool UserEventMouseCapture::GetRect(ViewRect& out) const {
    ViewRect view{};
    if (!tracker_->CenteredView(view)) return false;
    // An output that does not follow the view lets the pointer roam inside it;
    // a following window keeps the pointer in its middle.
    bool halfBox = g_settings.FullScreen.Value() != 0 || g_settings.MagwinSticky.Value() != 0;
    out = MouseTarget({x_, y_}, view, halfBox);
    return true;
}

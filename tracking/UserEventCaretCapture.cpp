#include "tracking/UserEventCaretCapture.h"

#include "tracking/MagTracker.h"
#include "tracking/ViewGeometry.h"

bool UserEventCaretCapture::GetRect(ViewRect& out) const {
    ViewRect view{};
    if (!tracker_->CenteredView(view)) return false;
    out = CaretTarget(caret_, view);
    return true;
}

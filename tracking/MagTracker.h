#pragma once
// The view tracker: decides which rectangle of the screen the magnifier shows
// and owns the zoom factor. Belongs to the main thread.
#include "magnifier/ViewRect.h"

namespace Hook {
class EventDispatcher;
}
class MagWin;

class MagTracker {
public:
    MagTracker(Hook::EventDispatcher* hub, MagWin* magwin);
    ~MagTracker() = default;
    MagTracker(const MagTracker&) = delete;
    MagTracker& operator=(const MagTracker&) = delete;

    // A view of the current zoomed size centred on the current source
    // rectangle, kept inside the virtual screen.
    bool CenteredView(ViewRect& out) const;

    double Zoom() const { return zoom_; }

    static constexpr double kZoomMin = 1.0;
    static constexpr double kZoomMax = 32.0;
    static constexpr double kZoomDefault = 2.0;

private:
    Hook::EventDispatcher* hub_;
    MagWin* magwin_;
    bool needsUpdate_ = false;
    bool frontChanged_ = false;
    double zoom_ = kZoomDefault;
    bool noScale_ = false;
};

// The zoom factor of a stored ZoomLevel_10: a tenth of it, 2.0 when the result
// lies outside 1..32.
double ZoomFromLevel(unsigned level);

#pragma once
// The pointer's image as drawn into each frame: a private copy of the cursor
// the system reported, and where it goes on the screen. While the system
// cursors are replaced the copy comes from the cursor manager's saved
// originals, so the enlarged image shows the real shape.
//
// Guarded by its own mutex, which the magnifier creates and hands over and
// which the image owns from then on; the render thread is its only user while
// the magnifier is open.
#include <windows.h>

#include "framework/Owned.h"
#include "magnifier/ViewRect.h"

class CursorImage {
public:
    // Copies the image of cursor_; false (and emptied) when no copy can be had.
    bool Capture();
    // Drops the copy; false when destroying it failed.
    bool Reset();
    // Moves point from the pointer position to the image's top-left corner.
    bool ApplyHotspot(POINT& point) const;
    // Reset, then closes the mutex.
    void Release();

    OwnedHandle mutex_;
    HCURSOR cursor_ = nullptr;
    HICON copy_ = nullptr;
    ViewRect imageRect_{0, 0, 0, 0};
};

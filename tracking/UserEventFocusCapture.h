#pragma once
// The keyboard focus moved to an object (screen coordinates). The view pans
// to it.
#include "tracking/UserEventBase.h"

class MagTracker;

class UserEventFocusCapture : public UserEventBase {
public:
    UserEventFocusCapture(const ViewRect& focus, const MagTracker* tracker) : focus_(focus), tracker_(tracker) {}
    int Kind() const override { return kFocusEventKind; }
    int SmoothPan() const override { return 1; }
    int MaxKept() const override { return 1; }
    bool GetRect(ViewRect& out) const override;

private:
    ViewRect focus_;
    const MagTracker* tracker_;
};

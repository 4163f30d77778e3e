#pragma once
// The pointer moved (virtual-screen coordinates). The view jumps to it.
#include "tracking/UserEventBase.h"

class MagTracker;

class UserEventMouseCapture : public UserEventBase {
public:
    UserEventMouseCapture(const MagTracker* tracker, int x, int y) : tracker_(tracker), x_(x), y_(y) {}
    int Kind() const override { return kMouseEventKind; }
    int SmoothPan() const override { return 0; }
    int MaxKept() const override { return 1; }
    bool GetRect(ViewRect& out) const override;

private:
    const MagTracker* tracker_;
    int x_;
    int y_;
};

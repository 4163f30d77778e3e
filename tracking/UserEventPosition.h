#pragma once
// The view stays where it is, at a new size (after a zoom change with nothing
// else to follow).
#include "tracking/UserEventBase.h"

class MagTracker;

class UserEventPosition : public UserEventBase {
public:
    UserEventPosition(int dx, int dy, const MagTracker* tracker) : dx_(dx), dy_(dy), tracker_(tracker) {}
    int Kind() const override { return kPositionEventKind; }
    int SmoothPan() const override { return 0; }
    int MaxKept() const override { return 1; }
    bool GetRect(ViewRect& out) const override;

private:
    int dx_;
    int dy_;
    const MagTracker* tracker_;
};

#pragma once
// The text caret moved (virtual-screen coordinates). The view jumps to it.
#include "tracking/UserEventBase.h"

class MagTracker;

class UserEventCaretCapture : public UserEventBase {
public:
    UserEventCaretCapture(const MagTracker* tracker, const ViewRect& caret) : tracker_(tracker), caret_(caret) {}
    int Kind() const override { return kCaretEventKind; }
    int SmoothPan() const override { return 0; }
    int MaxKept() const override { return 1; }
    bool GetRect(ViewRect& out) const override;
    const ViewRect& Caret() const { return caret_; }

private:
    const MagTracker* tracker_;
    ViewRect caret_;
};

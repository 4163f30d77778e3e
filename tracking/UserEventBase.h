#pragma once
// Something the user did that the view should follow. The tracker keeps the
// newest event of each kind and asks the front one for its target: the part
// of the screen that the view must contain.
#include "magnifier/ViewRect.h"

enum UserEventKind : int {
    kMouseEventKind = 0,
    kCaretEventKind = 1,
    kPositionEventKind = 2,
    kFocusEventKind = 3,
};

class UserEventBase {
public:
    virtual ~UserEventBase() = default;
    virtual int Kind() const = 0;
    // 0: the view jumps to the target; 1: it pans there.
    virtual int SmoothPan() const = 0;
    // How many events of this kind the tracker keeps.
    virtual int MaxKept() const = 0;
    // The target in virtual-screen coordinates; false when it cannot be had.
    virtual bool GetRect(ViewRect& out) const = 0;
};

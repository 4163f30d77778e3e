#pragma once
// The accessibility tracker: system-wide WinEvent hooks for the keyboard focus
// moving and for objects being shown or hidden in any program. For each
// notification it asks Active Accessibility for the object behind it and
// reports a focused object's rectangle to the view tracker and the magnifier
// window, and a shown or hidden caret's to the magnifier window.
//
// Created and deleted by the view tracker, on the main thread, which is where
// the out-of-context notifications arrive, through the re-entrancy filter.
// At most one exists; notifications still in flight after it is gone are
// dropped.
#include <oleacc.h>
#include <windows.h>

#include <utility>
#include <vector>

#include "tracking/WinEventReentrancyFilter.h"

class MagTracker;
class MagWin;

namespace Hook {

class AccessibleLookup;

class WinEventTracker {
public:
    WinEventTracker(MagTracker* tracker, MagWin* magwin);
    ~WinEventTracker();
    WinEventTracker(const WinEventTracker&) = delete;
    WinEventTracker& operator=(const WinEventTracker&) = delete;

    // Installs one hook for event; false when that event is already hooked
    // or the system refuses.
    bool AddHook(DWORD event);
    size_t HookCount() const { return hooks_.size(); }

    // The filter's callback: hands the notification to the current tracker.
    static void CALLBACK OnWinEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child, DWORD thread,
                                    DWORD time);
    void HandleEvent(const WinEventRecord& record);
    void OnFocus(IAccessible* object, const WinEventRecord& record);
    void OnObjectShow(IAccessible* object, const VARIANT& child);
    void OnObjectHide(IAccessible* object, const VARIANT& child);

    static WinEventTracker* Current();
    // Replaces the lookup of accessible objects (null: the system's);
    // returns the previous one.
    static AccessibleLookup* SetLookup(AccessibleLookup* lookup);

private:
    MagTracker* tracker_;
    MagWin* magwin_;
    std::vector<std::pair<DWORD, HWINEVENTHOOK>> hooks_;
    bool comStarted_ = false;
};

// The procedure given to SetWinEventHook: hands on to the filter. Nothing
// unwinds out of it into the system's dispatch.
void CALLBACK WinEventHookProc(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child, DWORD thread,
                               DWORD time);

// {left, top, left + width, top + height} of an accessible location, with
// every edge held within +-2^28: another program's numbers must not overflow
// the arithmetic that follows.
RECT RectFromLocation(long left, long top, long width, long height);

}  // namespace Hook

#pragma once
// Finds the accessible object behind a WinEvent notification. The real one
// asks Active Accessibility (oleacc.dll from the system folder, loaded on
// first use); tests put a stand-in in its place for what the platform here
// cannot produce, such as a caret object.
#include <oleacc.h>
#include <windows.h>

namespace Hook {

class AccessibleLookup {
public:
    virtual ~AccessibleLookup() = default;
    // As AccessibleObjectFromEvent: on success *object holds a reference the
    // caller releases, and *child the child that the object stands for.
    virtual HRESULT FromEvent(HWND window, LONG object, LONG child, IAccessible** out, VARIANT* outChild) = 0;
};

// The system's lookup, shared by every tracker.
AccessibleLookup& SystemAccessibleLookup();

}  // namespace Hook

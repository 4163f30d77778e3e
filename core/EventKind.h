#pragma once
// The hub's event kinds, listener signature and the payloads that are records
// of their own. Payloads that carry window-message values are pointer-sized,
// so nothing is cut on 64-bit Windows.
#include <windows.h>

namespace Hook {

enum EventKind : int {
    MouseMove = 0,
    AltWheel = 1,
    KeyDown = 2,
    KeyUp = 3,
    Frame = 4,
    Tick = 5,
    NoEvent = 6,
    WindowCreated = 7,
    WindowDestroyed = 8,
    Activated = 9,
    FocusMessage = 10,
    CaretFound = 11,
    CaretChanged = 12,
    CheckDue = 13,
};
constexpr int kEventKindCount = 14;

// A listener: a plain function with its context. Returning false stops the
// chain for that event.
using ListenerCallback = bool (*)(void* context, void* data);

// Delayed, re-armable checks counted down by the frame timer's ticks.
enum CheckKind : int {
    CheckFocusCaret = 0,
    CheckCaretPosition = 1,
    CheckActivation = 2,
    CheckZoomRepeat = 3,
    CheckWindowRaise = 4,
};

struct PendingCheck {
    int kind;
    int remaining;  // milliseconds
};

// Payload of Activated: the confirmed "Message.Activate" pair.
struct ActivationInfo {
    WPARAM window;
    LPARAM lParam;
};

// Payload of FocusMessage: the "Message.SetFocus" pair, lParam first.
struct FocusMessageInfo {
    LPARAM lParam;
    WPARAM wParam;
};

}  // namespace Hook

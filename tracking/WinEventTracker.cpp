#include "tracking/WinEventTracker.h"

#include <algorithm>

#include "magnifier/MagWin.h"
#include "tracking/AccessibleLookup.h"
#include "tracking/MagTracker.h"
#include "tracking/WinEventReentrancyFilter.h"

namespace Hook {

namespace {

WinEventTracker* g_tracker = nullptr;
AccessibleLookup* g_lookup = nullptr;

constexpr LONGLONG kLocationLimit = 1 << 28;

LONG Bounded(LONGLONG value) {
    return static_cast<LONG>(std::clamp(value, -kLocationLimit, kLocationLimit));
}

AccessibleLookup& Lookup() {
    return g_lookup ? *g_lookup : SystemAccessibleLookup();
}

// The object's location for child; false unless the object gave one.
bool Locate(IAccessible* object, const VARIANT& child, RECT& out) {
    long left = 0, top = 0, width = 0, height = 0;
    if (object->accLocation(&left, &top, &width, &height, child) != S_OK) return false;
    out = RectFromLocation(left, top, width, height);
    return true;
}

// A role is a number; a server that answers with anything else (a text role,
// or no value) names no caret.
bool IsCaret(IAccessible* object, const VARIANT& child) {
    VARIANT role;
    VariantInit(&role);
    bool caret = object->get_accRole(child, &role) == S_OK && role.vt == VT_I4 && role.lVal == ROLE_SYSTEM_CARET;
    VariantClear(&role);
    return caret;
}

}  // namespace

RECT RectFromLocation(long left, long top, long width, long height) {
    return {Bounded(left), Bounded(top), Bounded(static_cast<LONGLONG>(left) + width),
            Bounded(static_cast<LONGLONG>(top) + height)};
}

WinEventTracker::WinEventTracker(MagTracker* tracker, MagWin* magwin) : tracker_(tracker), magwin_(magwin) {
    // Programs that serve their own accessible objects hand them over
    // through COM.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    comStarted_ = SUCCEEDED(com);
    g_tracker = this;
    // An event without a hook is simply not watched.
    AddHook(EVENT_OBJECT_FOCUS);
    AddHook(EVENT_OBJECT_SHOW);
    AddHook(EVENT_OBJECT_HIDE);
}

WinEventTracker::~WinEventTracker() {
    for (const auto& hook : hooks_) UnhookWinEvent(hook.second);
    hooks_.clear();
    g_tracker = nullptr;
    if (comStarted_) CoUninitialize();
}

bool WinEventTracker::AddHook(DWORD event) {
    for (const auto& hook : hooks_)
        if (hook.first == event) return false;
    HWINEVENTHOOK handle = SetWinEventHook(event, event, nullptr, WinEventHookProc, 0, 0, WINEVENT_OUTOFCONTEXT);
    if (!handle) return false;
    hooks_.emplace_back(event, handle);
    return true;
}

WinEventTracker* WinEventTracker::Current() {
    return g_tracker;
}

AccessibleLookup* WinEventTracker::SetLookup(AccessibleLookup* lookup) {
    AccessibleLookup* previous = g_lookup;
    g_lookup = lookup;
    return previous;
}

void CALLBACK WinEventTracker::OnWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child,
                                          DWORD thread, DWORD time) {
    if (!g_tracker) return;
    g_tracker->HandleEvent({event, window, object, child, thread, time});
}

void WinEventTracker::HandleEvent(const WinEventRecord& record) {
    const bool focus = record.event == EVENT_OBJECT_FOCUS;
    if (!focus && record.event != EVENT_OBJECT_SHOW && record.event != EVENT_OBJECT_HIDE) return;
    // The lookup crosses into the other program and may take long: a focus
    // report for a window that is already gone or hidden is dropped first.
    if (focus && !(IsWindow(record.window) && IsWindowVisible(record.window))) return;

    IAccessible* object = nullptr;
    VARIANT child;
    VariantInit(&child);
    HRESULT found = Lookup().FromEvent(record.window, record.object, record.child, &object, &child);
    if (SUCCEEDED(found) && object) {
        if (record.event == EVENT_OBJECT_SHOW) {
            OnObjectShow(object, child);
        } else if (record.event == EVENT_OBJECT_HIDE) {
            OnObjectHide(object, child);
        } else if (IsWindow(record.window)) {
            OnFocus(object, record);
        }
    }
    if (object) object->Release();
    VariantClear(&child);
}

void WinEventTracker::OnFocus(IAccessible* object, const WinEventRecord& record) {
    // The window may have gone away during the lookup.
    if (!IsWindowVisible(record.window)) return;
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = record.child;
    RECT rect;
    bool located = Locate(object, self, rect);
    VariantClear(&self);
    if (!located) return;
    tracker_->AddFocusEvent(rect);
    magwin_->SetFocusRect(rect);
}

void WinEventTracker::OnObjectShow(IAccessible* object, const VARIANT& child) {
    RECT rect;
    if (IsCaret(object, child) && Locate(object, child, rect)) magwin_->SetCaretRect(rect);
}

void WinEventTracker::OnObjectHide(IAccessible* object, const VARIANT& child) {
    // An all-zero rectangle means no caret.
    if (IsCaret(object, child)) magwin_->SetCaretRect(RECT{0, 0, 0, 0});
}

void CALLBACK WinEventHookProc(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child, DWORD thread,
                               DWORD time) {
    try {
        if (g_winEventFilter) g_winEventFilter->Filter(hook, event, window, object, child, thread, time);
    } catch (...) {
        // The notification is lost; the system's dispatch must not see it.
    }
}

}  // namespace Hook

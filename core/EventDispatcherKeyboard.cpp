// The hub's low-level keyboard hook: every key press and release on the
// desktop becomes a KeyDown or KeyUp event on the main thread.
#include "core/CrashGuard.h"
#include "core/EventDispatcher.h"
#include "core/KeyEventInfo.h"

namespace Hook {

namespace {
// The process-wide keyboard-hook slot: the hook procedure is a plain function
// and finds its hub here. One hub owns it at a time.
std::atomic<void*> g_keyboardSlot{nullptr};
}  // namespace

void EventDispatcher::InstallKeyboardHook() {
    void* expected = nullptr;
    if (!g_keyboardSlot.compare_exchange_strong(expected, &keyboard_) && expected != &keyboard_) FatalExit();
    keyboard_ = {nullptr, KeyboardCallback, this};
    keyboard_.hook = SetWindowsHookExW(WH_KEYBOARD_LL, LowLevelKeyboardProc, GetModuleHandleW(nullptr), 0);
    if (!keyboard_.hook) FatalExit();
}

void EventDispatcher::RemoveKeyboardHook() {
    UnhookKeyboard();
    // The slot would point into a dead hub: hand it back.
    void* mine = &keyboard_;
    g_keyboardSlot.compare_exchange_strong(mine, nullptr);
}

void EventDispatcher::UnhookKeyboard() {
    if (keyboard_.hook) UnhookWindowsHookEx(keyboard_.hook);
    keyboard_.hook = nullptr;
}

LRESULT CALLBACK EventDispatcher::LowLevelKeyboardProc(int code, WPARAM message, LPARAM record) {
    auto* slot = static_cast<KeyboardHook*>(g_keyboardSlot.load());
    HHOOK hook = slot ? slot->hook : nullptr;
    if (code != HC_ACTION || !slot || !slot->callback) return CallNextHookEx(hook, code, message, record);
    if (!slot->callback(slot->context, message, record)) return 1;  // swallowed
    return CallNextHookEx(hook, code, message, record);
}

bool EventDispatcher::KeyboardCallback(void* context, WPARAM message, LPARAM record) {
    auto* hub = static_cast<EventDispatcher*>(context);
    bool passOn = true;
    if (!hub->OnKeyboard(*reinterpret_cast<const KBDLLHOOKSTRUCT*>(record), passOn, message)) {
        PostQuitMessage(1);
        return true;
    }
    return passOn;
}

bool EventDispatcher::OnKeyboard(const KBDLLHOOKSTRUCT& record, bool& passOn, WPARAM message) {
    passOn = true;
    KeyEventInfo info = {};
    info.injected = (record.flags & LLKHF_INJECTED) != 0;
    info.vk = static_cast<BYTE>(record.vkCode & 0xFF);
    info.scanCode = record.scanCode;
    info.flags = record.flags;
    info.passOn = true;
    info.repeat = false;
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
        info.repeat = keysHeld_.count(info.vk) != 0;
        info.alt = GetAsyncKeyState(VK_MENU) < 0;
        info.ctrl = GetAsyncKeyState(VK_CONTROL) < 0;
        info.shift = GetAsyncKeyState(VK_SHIFT) < 0;
        info.numLock = (GetKeyState(VK_NUMLOCK) & 1) != 0;
        info.capsLock = (GetKeyState(VK_CAPITAL) & 1) != 0;
        keysHeld_[info.vk] = {info.alt, info.ctrl, info.shift, info.numLock, info.capsLock};
        if (!Dispatch(KeyDown, &info)) return false;
        passOn = info.passOn;
        return true;
    }
    if (message == WM_KEYUP || message == WM_SYSKEYUP) {
        auto held = keysHeld_.find(info.vk);
        if (held == keysHeld_.end()) return true;
        // The release carries the modifiers of the press.
        info.alt = held->second.alt;
        info.ctrl = held->second.ctrl;
        info.shift = held->second.shift;
        info.numLock = held->second.numLock;
        info.capsLock = held->second.capsLock;
        keysHeld_.erase(held);
        if (!Dispatch(KeyUp, &info)) return false;
        passOn = info.passOn;
        return true;
    }
    return true;
}

}  // namespace Hook

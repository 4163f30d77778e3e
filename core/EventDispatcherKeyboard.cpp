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
    bool press = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    if (!press && message != WM_KEYUP && message != WM_SYSKEYUP) return true;
    KeyEventInfo info = {};
    info.injected = (record.flags & LLKHF_INJECTED) != 0;
    info.vk = static_cast<BYTE>(record.vkCode & 0xFF);
    info.scanCode = record.scanCode;
    info.flags = record.flags;
    if (press) {
        info.alt = GetAsyncKeyState(VK_MENU) < 0;
        info.ctrl = GetAsyncKeyState(VK_CONTROL) < 0;
        info.shift = GetAsyncKeyState(VK_SHIFT) < 0;
        info.numLock = (GetKeyState(VK_NUMLOCK) & 1) != 0;
        info.capsLock = (GetKeyState(VK_CAPITAL) & 1) != 0;
    }
    bool handled = HandleKey(info, press);
    passOn = info.passOn;
    return handled;
}

bool EventDispatcher::HandleKey(KeyEventInfo& info, bool press) {
    info.passOn = true;
    info.repeat = false;
    if (press) {
        auto held = keysHeld_.find(info.vk);
        info.repeat = held != keysHeld_.end();
        bool passedBefore = info.repeat && held->second.pressPassed;
        keysHeld_[info.vk] = {info.alt, info.ctrl, info.shift, info.numLock, info.capsLock, passedBefore};
        // A failed chain lets the key pass.
        bool handled = Dispatch(KeyDown, &info);
        if (!handled) info.passOn = true;
        // Looked up again: a listener may have pumped a release of this key.
        held = keysHeld_.find(info.vk);
        if (held != keysHeld_.end() && info.passOn) held->second.pressPassed = true;
        return handled;
    }
    auto held = keysHeld_.find(info.vk);
    if (held == keysHeld_.end()) return true;
    // The release carries the modifiers of the press, and goes where the
    // presses went: the program gets it once it saw a press of the key (an
    // auto-repeat that passed counts), and never a release without a press.
    info.alt = held->second.alt;
    info.ctrl = held->second.ctrl;
    info.shift = held->second.shift;
    info.numLock = held->second.numLock;
    info.capsLock = held->second.capsLock;
    bool pressPassed = held->second.pressPassed;
    keysHeld_.erase(held);
    info.passOn = pressPassed;
    bool handled = Dispatch(KeyUp, &info);
    info.passOn = pressPassed;
    return handled;
}

}  // namespace Hook

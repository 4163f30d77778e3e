// The hub itself: its listener lists and their dispatch, the message-only
// window "KOVAX Worker" and the program's message loop. The hub's other
// concerns live in the EventDispatcher*.cpp files beside this one.
#include "core/EventDispatcher.h"

#include <algorithm>

#include "core/CrashGuard.h"
#include "settings/MagSettings.h"

namespace Hook {

const wchar_t kMsgWindowClass[] = L"KOVAXMsgWindowClass";
const wchar_t kMsgWindowTitle[] = L"KOVAX Worker";

namespace {
const wchar_t* const kMessageNames[4] = {L"Message.SetFocus", L"Message.Activate", L"Message.CreateWnd",
                                         L"Message.DestroyWnd"};
}  // namespace

EventDispatcher::EventDispatcher() {
    InitializeCriticalSection(&taskLock_);
    InstallKeyboardHook();

    lastTick_ = GetTickCount();
    thread_ = GetCurrentThreadId();
    for (int i = 0; i < 4; ++i) {
        messages_[i] = RegisterWindowMessageW(kMessageNames[i]);
        if (messages_[i] == 0) FatalExit();
    }
    if (!AddListener(Tick, OnTick, this)) FatalExit();
    if (!AddListener(CheckDue, OnCheckDue, this)) FatalExit();
    if (!AddListener(KeyDown, OnKeyDownCaret, this)) FatalExit();
}

EventDispatcher::~EventDispatcher() {
    RemoveListener(Tick, OnTick);
    RemoveListener(CheckDue, OnCheckDue);
    RemoveListener(KeyDown, OnKeyDownCaret);
    RemoveKeyboardHook();
    DeleteCriticalSection(&taskLock_);
}

bool EventDispatcher::AddListener(int kind, ListenerCallback callback, void* context) {
    listeners_[kind].push_back({callback, context});
    return true;
}

void EventDispatcher::RemoveListener(int kind, ListenerCallback callback) {
    auto& list = listeners_[kind];
    if (dispatchDepth_ > 0) {
        // A dispatch is walking the list: leave holes, compacted when it ends.
        for (Listener& l : list) {
            if (l.callback == callback) {
                l.callback = nullptr;
                listenersRemoved_ = true;
            }
        }
        return;
    }
    list.erase(std::remove_if(list.begin(), list.end(), [&](const Listener& l) { return l.callback == callback; }),
               list.end());
}

bool EventDispatcher::Dispatch(int kind, void* data) {
    auto& list = listeners_[kind];
    bool result = true;
    ++dispatchDepth_;
    // Indexes, not iterators: a listener may add or remove listeners.
    for (size_t i = 0; i < list.size(); ++i) {
        Listener l = list[i];
        if (!l.callback) continue;
        if (!l.callback(l.context, data)) {
            result = false;
            break;
        }
    }
    if (--dispatchDepth_ == 0 && listenersRemoved_) CompactListeners();
    return result;
}

void EventDispatcher::CompactListeners() {
    listenersRemoved_ = false;
    for (auto& list : listeners_) {
        list.erase(std::remove_if(list.begin(), list.end(), [](const Listener& l) { return !l.callback; }),
                   list.end());
    }
}

bool EventDispatcher::RunMessageLoop() {
    bool result = true;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    loopEnded_ = false;
    lastBinding_ = HookBinding::kNotTried;

    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = MsgWindowProc;
    wc.cbClsExtra = sizeof(EventDispatcher*);
    wc.hInstance = instance;
    wc.lpszClassName = kMsgWindowClass;
    if (!RegisterClassExW(&wc)) {
        result = false;
    } else {
        window_ = CreateWindowExW(0, kMsgWindowClass, kMsgWindowTitle, WS_POPUP | WS_VISIBLE, 0, 0, 1, 1,
                                  HWND_MESSAGE, nullptr, instance, nullptr);
        if (!window_) {
            result = false;
        } else {
            SetClassLongPtrW(window_, 0, reinterpret_cast<LONG_PTR>(this));
            AcceptTasks(true);
            lastBinding_ = LoadHookLibrary();
            if (lastBinding_ != HookBinding::kBound) {
                result = false;
            } else {
                if (!SetFrameRate(g_settings.MaxFrameRate.Value())) FatalExit();
                // What was handed over before there was a window to wake.
                RunQueuedTasks();
                MSG msg;
                for (;;) {
                    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
                    if (got == 0 || got == -1) break;
                    TranslateMessage(&msg);
                    DispatchMessageW(&msg);
                }
            }
        }
    }

    loopEnded_ = true;
    // First thing after the loop: from now on nobody pumps this thread's
    // messages, and every key on the desktop would wait for the hook.
    UnhookKeyboard();
    if (timer_ && !KillTimer(window_, kFrameTimerId)) result = false;
    timer_ = 0;
    if (!UnloadHookLibrary()) result = false;
    // Tasks still queued are dropped without running.
    AcceptTasks(false);
    if (window_ && !DestroyWindow(window_)) result = false;
    window_ = nullptr;
    if (!UnregisterClassW(kMsgWindowClass, instance)) result = false;
    return result;
}

void EventDispatcher::EndLoop() {
    if (!loopEnded_) PostQuitMessage(0);
}

LRESULT CALLBACK EventDispatcher::MsgWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!window) NullWindowStop();
    auto* hub = reinterpret_cast<EventDispatcher*>(GetClassLongPtrW(window, 0));
    if (!hub) return DefWindowProcW(window, message, wParam, lParam);
    return hub->OnMessage(message, wParam, lParam, window);
}

LRESULT EventDispatcher::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, HWND window) {
    if (message == WM_DESTROY) {
        EndLoop();
        return 0;
    }
    if (message == kTaskMessage) {
        // Handed over from another thread; runs whether or not the hub is paused.
        RunQueuedTasks();
        return 0;
    }
    if (!active_) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_TIMER && wParam == kFrameTimerId) {
        RaiseTick();
        return 0;
    }
    if (message == messages_[0]) {  // focus moved
        FocusMessageInfo info{lParam, wParam};
        if (!Dispatch(FocusMessage, &info)) {
            PostQuitMessage(0);
            return 0;
        }
        if (wParam && !CheckFocus(reinterpret_cast<HWND>(wParam))) PostQuitMessage(0);
        return 0;
    }
    if (message == messages_[1]) {  // a window was activated
        activation_ = {wParam, lParam};
        if (wParam && !CheckActivation()) PostQuitMessage(0);
        return 0;
    }
    if (message == messages_[2]) {
        if (!Dispatch(WindowCreated, reinterpret_cast<void*>(wParam))) PostQuitMessage(0);
        return 0;
    }
    if (message == messages_[3]) {
        if (!Dispatch(WindowDestroyed, reinterpret_cast<void*>(wParam))) PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace Hook

#pragma once
// The main thread's event hub: turns timer ticks and the hook library's window
// messages into numbered events and hands each to the listeners of its kind,
// in subscription order. Owns the message-only window "KOVAX Worker", the
// frame timer and the pending checks, and runs the program's only message
// loop. Everything here belongs to the main thread except the active flag,
// which the control panel's thread may flip.
#include <windows.h>

#include <atomic>
#include <deque>
#include <list>
#include <map>
#include <vector>

#include "core/EventKind.h"
#include "magnifier/ViewRect.h"
#include "core/FrameRate.h"
#include "core/KeyEventInfo.h"
#include "kvhook/KVHook.h"

namespace Hook {

class EventDispatcher {
public:
    EventDispatcher();
    ~EventDispatcher();
    EventDispatcher(const EventDispatcher&) = delete;
    EventDispatcher& operator=(const EventDispatcher&) = delete;

    // Appends a listener to the list of kind; always true.
    bool AddListener(int kind, ListenerCallback callback, void* context);
    // Removes every listener of that list with this callback, whatever its
    // context; safe while the list is being dispatched.
    void RemoveListener(int kind, ListenerCallback callback);
    // Calls the listeners of kind in order until one returns false; an empty
    // list gives true.
    bool Dispatch(int kind, void* data);

    // Creates the window, starts the frame timer, runs the loop until WM_QUIT,
    // and cleans up. True when every step succeeded.
    bool RunMessageLoop();
    // On the hub's thread: ends the loop, or the next one to start when none
    // runs yet; nothing once the loop has ended (a quit message left behind
    // would end whatever pumps messages next, a message box of the exit).
    void EndLoop();

    // The hook library's binding as the last RunMessageLoop found it. Missing
    // and refused keep the loop from running, and the user is told which of
    // the two it was; kNotTried when the hub's window could not be made.
    enum class HookBinding { kNotTried, kBound, kMissing, kRefused };
    HookBinding LastHookBinding() const { return lastBinding_; }

    // (Re)starts the frame timer at rate frames per second, bounded by 3 and
    // MaxFrameRate; 0 stops it. Only on the hub's thread: Windows refuses a
    // timer of a window that belongs to another thread, so this does too.
    [[nodiscard]] bool SetFrameRate(unsigned rate);
    // The period of the running frame timer in ms; 0 when none runs.
    unsigned TimerInterval() const { return timer_ ? interval_ : 0; }

    // Arms a check of kind to fall due after delay ms; re-arms a pending one.
    bool ScheduleCheck(int kind, int delay);
    // Counts the pending checks down by elapsed ms and raises CheckDue for
    // those that fall due.
    void TickChecks(DWORD elapsed);

    // Runs task(context, i, d) on the hub's thread: at once when called there,
    // else queued in the hub and run by the loop, also when handed over
    // before the loop started. False when it cannot be handed over (the loop
    // has ended: the program is going).
    using MainThreadTask = void (*)(void* context, int i, double d);
    bool RunOnMainThread(MainThreadTask task, void* context, int i, double d);

    bool IsActive() const { return active_; }
    void SetActive(bool active) { active_ = active; }
    unsigned Rate() const { return rate_; }
    HWND Window() const { return window_; }
    const std::list<PendingCheck>& PendingChecks() const { return pendingChecks_; }

    // The four registered messages of the hook library, in this order:
    // "Message.SetFocus", "Message.Activate", "Message.CreateWnd",
    // "Message.DestroyWnd".
    UINT RegisteredMessage(int index) const { return messages_[index]; }

    static LRESULT CALLBACK MsgWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Binds KVHook.dll from the program's folder and installs its hooks,
    // reporting to the hub's window. Missing: the library cannot be loaded or
    // lacks an export; refused: it declined to install (all its slots taken).
    // Unbound again unless bound.
    HookBinding LoadHookLibrary();
    bool UnloadHookLibrary();
    // The hook library's mouse callback: pointer moves and Alt+wheel turns.
    static bool OnMouse(void* context, UINT message, const void* data);

    // The delayed checks that confirm what the hook library reported.
    bool CheckFocus(HWND window);
    bool CheckActivation();
    bool SnapshotCaret();
    // 0 failure, 1 no caret now, 2 unchanged, 3 moved or changed (info filled).
    int CompareCaret(GUITHREADINFO& info);
    // 0 failure, 1 not (yet) active, 2 active.
    int ClassifyActivation();
    static bool OnCheckDue(void* context, void* data);
    static bool OnKeyDownCaret(void* context, void* data);

    // The low-level keyboard hook: every key press and release becomes a
    // KeyDown or KeyUp event; a listener clears passOn to swallow the key.
    static LRESULT CALLBACK LowLevelKeyboardProc(int code, WPARAM message, LPARAM record);
    static bool KeyboardCallback(void* context, WPARAM message, LPARAM record);
    bool OnKeyboard(const KBDLLHOOKSTRUCT& record, bool& passOn, WPARAM message);
    // The key press or release of info (a press with its modifiers filled in)
    // raised as KeyDown or KeyUp; keeps the keys held, sets repeat, and
    // leaves in passOn whether the key goes on. A release goes where the
    // key's presses went, whatever its listeners say. False when a chain
    // failed (the hook then lets the key pass).
    bool HandleKey(KeyEventInfo& info, bool press);
    // Removes the keyboard hook; the user's typing must not wait for a
    // program that is shutting down.
    void UnhookKeyboard();

private:
    // Claims the process's keyboard-hook slot and installs the hook; a
    // failure ends the process. RemoveKeyboardHook undoes both.
    void InstallKeyboardHook();
    void RemoveKeyboardHook();
    struct Listener {
        ListenerCallback callback;
        void* context;
    };

    static bool OnTick(void* context, void* data);
    // GetGUIThreadInfo of a thread; a thread that just ended, or any other
    // failure, leaves it false.
    static bool ThreadInfo(DWORD thread, GUITHREADINFO& info);
    // 0 failure, 1 the focus window shows no caret (yet), 2 it does (info filled).
    int ClassifyFocus(GUITHREADINFO& info);
    // Raises CaretFound, then watches the caret for a move just after it.
    bool ReportCaretFound(GUITHREADINFO& info);
    // Snapshots the caret and checks it again 100 ms later.
    bool WatchCaret(const RECT& caret);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, HWND window);
    void RaiseTick();
    void CompactListeners();
    void RunQueuedTasks();
    void AcceptTasks(bool accept);

    struct HeldKey {
        bool alt;
        bool ctrl;
        bool shift;
        bool numLock;
        bool capsLock;
        bool pressPassed;  // some press of the key went on to the program
    };
    struct KeyboardHook {
        HHOOK hook;
        bool (*callback)(void* context, WPARAM message, LPARAM record);
        void* context;
    };

    std::vector<Listener> listeners_[kEventKindCount];
    std::map<BYTE, HeldKey> keysHeld_;
    KeyboardHook keyboard_{nullptr, nullptr, nullptr};
    int dispatchDepth_ = 0;
    bool listenersRemoved_ = false;
    std::list<PendingCheck> pendingChecks_;
    // Read by other threads that hand tasks over or ask the loop to end.
    std::atomic<HWND> window_{nullptr};
    std::atomic<unsigned> rate_{0};
    UINT_PTR timer_ = 0;
    unsigned interval_ = 0;
    int rateAccumulator_ = kRateAccumulatorStart;
    DWORD lastTick_ = 0;
    HWND focusWindow_ = nullptr;
    ViewRect caretSnapshot_{0, 0, 0, 0};
    HMODULE hookModule_ = nullptr;
    KVInstallHooks installHooks_ = nullptr;
    KVUninstallHooks uninstallHooks_ = nullptr;
    KVHookMouse hookMouse_ = nullptr;
    KVUnhookMouse unhookMouse_ = nullptr;
    HookBinding lastBinding_ = HookBinding::kNotTried;
    ActivationInfo activation_{0, 0};
    std::atomic<bool> active_{true};
    // Set once the loop has ended, so that destroying the window does not
    // leave a stray WM_QUIT for whoever pumps messages next.
    std::atomic<bool> loopEnded_{false};
    UINT messages_[4] = {};
    DWORD thread_ = 0;

    // Tasks handed over by other threads. They stay in the hub: the message
    // that wakes the loop carries nothing, since any process can post it.
    struct QueuedTask {
        MainThreadTask task;
        void* context;
        int i;
        double d;
    };
    // Wakes the loop to run the queued tasks; its parameters mean nothing.
    static constexpr UINT kTaskMessage = WM_APP + 1;
    CRITICAL_SECTION taskLock_;
    std::deque<QueuedTask> tasks_;
    bool acceptingTasks_ = true;  // under taskLock_
};

constexpr UINT_PTR kFrameTimerId = 1;
extern const wchar_t kMsgWindowClass[];
extern const wchar_t kMsgWindowTitle[];

}  // namespace Hook

#pragma once
// Stands between the WinEvent hook procedure and the accessibility tracker.
// Handling one notification calls into other processes, and the main thread
// receives further notifications while it waits there: those wait in a queue
// and are handled afterwards, in arrival order, each exactly once.
//
// Main thread only (out-of-context notifications arrive on the thread that
// installed the hooks), hence no lock.
#include <windows.h>

namespace Hook {

// One notification, without the hook handle.
struct WinEventRecord {
    DWORD event;
    HWND window;
    LONG object;
    LONG child;
    DWORD thread;
    DWORD time;
};

class WinEventReentrancyFilter {
public:
    virtual ~WinEventReentrancyFilter() = default;
    virtual void SetCallback(WINEVENTPROC callback) = 0;
    // Hands one notification on: at once, or after the one being handled.
    virtual void Filter(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child, DWORD thread,
                        DWORD time) = 0;
};

class WinEventReentrancyFilter_Impl : public WinEventReentrancyFilter {
public:
    WinEventReentrancyFilter_Impl() = default;
    ~WinEventReentrancyFilter_Impl() override;
    WinEventReentrancyFilter_Impl(const WinEventReentrancyFilter_Impl&) = delete;
    WinEventReentrancyFilter_Impl& operator=(const WinEventReentrancyFilter_Impl&) = delete;

    void SetCallback(WINEVENTPROC callback) override { callback_ = callback; }
    // An exception from the callback's direct call reaches the caller, but
    // only after the notifications queued meanwhile were handled and the
    // filter is free again; one from a queued call is dropped. Queuing a call
    // raises the framework's memory exception when memory runs out.
    void Filter(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child, DWORD thread,
                DWORD time) override;

    bool Busy() const { return busy_ != 0; }

private:
    struct QueuedCall {
        QueuedCall* next;
        HWINEVENTHOOK hook;
        WinEventRecord record;
    };

    void Drain();

    QueuedCall* head_ = nullptr;
    QueuedCall* tail_ = nullptr;
    WINEVENTPROC callback_ = nullptr;
    int busy_ = 0;
};

// The one filter, from static initialisation to exit; its callback is the
// accessibility tracker's.
extern WinEventReentrancyFilter* g_winEventFilter;

}  // namespace Hook

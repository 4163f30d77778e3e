#pragma once
// Runs an action on a thread of its own unless it is destroyed within a time
// limit first, so that a step that hangs fails instead of waiting for the
// ctest time-out.
#include <windows.h>

class Watchdog {
public:
    using Action = void (*)(void* context);
    Watchdog(DWORD limitMs, Action action, void* context);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
    bool Fired() const { return fired_ != 0; }

private:
    static DWORD WINAPI Main(LPVOID param);

    DWORD limit_;
    Action action_;
    void* context_;
    HANDLE stop_ = nullptr;
    HANDLE thread_ = nullptr;
    volatile LONG fired_ = 0;
};

// Ends the process with a line naming the step that did not return in time:
// for steps that cannot be broken off, such as joining a thread.
class StepDeadline {
public:
    StepDeadline(const char* what, DWORD limitMs) : what_(what), limit_(limitMs), dog_(limitMs, Fail, this) {}

private:
    static void Fail(void* self);

    const char* what_;
    DWORD limit_;
    Watchdog dog_;
};

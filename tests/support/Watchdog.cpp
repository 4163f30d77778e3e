#include "tests/support/Watchdog.h"

#include <cstdio>

Watchdog::Watchdog(DWORD limitMs, Action action, void* context)
    : limit_(limitMs), action_(action), context_(context) {
    stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Main, this, 0, nullptr);
}

Watchdog::~Watchdog() {
    SetEvent(stop_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    CloseHandle(stop_);
}

DWORD WINAPI Watchdog::Main(LPVOID param) {
    auto* self = static_cast<Watchdog*>(param);
    if (WaitForSingleObject(self->stop_, self->limit_) == WAIT_TIMEOUT) {
        InterlockedExchange(&self->fired_, 1);
        self->action_(self->context_);
    }
    return 0;
}

void StepDeadline::Fail(void* self) {
    auto* deadline = static_cast<StepDeadline*>(self);
    std::fprintf(stderr, "FAILED: %s did not return within %lu ms\n", deadline->what_,
                 static_cast<unsigned long>(deadline->limit_));
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
}

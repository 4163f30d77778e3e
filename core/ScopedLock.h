#pragma once
// Holds a critical section for the lifetime of the object, so an early return
// never leaves it entered.
#include <windows.h>

class ScopedLock {
public:
    explicit ScopedLock(CRITICAL_SECTION& cs) : cs_(cs) { EnterCriticalSection(&cs_); }
    ~ScopedLock() { LeaveCriticalSection(&cs_); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    CRITICAL_SECTION& cs_;
};

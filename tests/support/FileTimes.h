#pragma once
// Fake processor clocks hand their counts out as FILETIMEs.
#include <windows.h>

#include <cstdint>

inline FILETIME ToFileTime(uint64_t value) {
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(value);
    time.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return time;
}

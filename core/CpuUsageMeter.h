#pragma once
// Whole-system processor load in percent, from the idle, kernel and user times
// of GetSystemTimes. The frame timer asks on every tick and the statistics
// overlay asks from the render thread, so a reading is taken at most once a
// second and the calls in between are answered from the last one; a lock keeps
// the two threads from tearing the stored times.
#include <windows.h>

class CpuUsageMeter {
public:
    // Where the readings come from. Plain function pointers rather than the
    // system functions themselves: those are stdcall on 32-bit Windows, and
    // tests put fakes here.
    struct Clock {
        BOOL (*getSystemTimes)(FILETIME* idle, FILETIME* kernel, FILETIME* user);
        DWORD (*getTickCount)();
    };

    // Reads the real system times and tick count.
    CpuUsageMeter();
    explicit CpuUsageMeter(const Clock& source);
    ~CpuUsageMeter();
    CpuUsageMeter(const CpuUsageMeter&) = delete;
    CpuUsageMeter& operator=(const CpuUsageMeter&) = delete;

    // Load over the interval since the previous reading, 0..100. The first
    // call always takes a reading (against the one taken at construction);
    // later calls take one when at least 1000 ms have passed and otherwise
    // return the cached load. 0 when the system times cannot be read, and then
    // the old load again until the next reading is due.
    BYTE GetUsage();

private:
    // The last reading; kernel includes idle.
    FILETIME idle;
    FILETIME kernel;
    FILETIME user;
    BYTE percent;   // load computed at the last reading
    DWORD sampled;  // tick count of the last reading, 0 = never
    Clock clock;
    CRITICAL_SECTION lock;
};

// The meter of the running program; null outside the run.
extern CpuUsageMeter* g_cpuUsageMeter;

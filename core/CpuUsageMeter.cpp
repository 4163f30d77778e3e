#include "core/CpuUsageMeter.h"

CpuUsageMeter* g_cpuUsageMeter = nullptr;

namespace {

constexpr DWORD kSampleInterval = 1000;  // ms

// Wrappers with the default calling convention, so they fit Clock on 32-bit
// Windows as well.
BOOL SystemTimes(FILETIME* idle, FILETIME* kernel, FILETIME* user) {
    return GetSystemTimes(idle, kernel, user);
}

DWORD TickCount() {
    return GetTickCount();
}

double ToDouble(const FILETIME& time) {
    return static_cast<double>(time.dwHighDateTime) * 4294967296.0 + static_cast<double>(time.dwLowDateTime);
}

}  // namespace

CpuUsageMeter::CpuUsageMeter() : CpuUsageMeter(Clock{SystemTimes, TickCount}) {}

CpuUsageMeter::CpuUsageMeter(const Clock& source)
    : idle{}, kernel{}, user{}, percent(0), sampled(0), clock(source) {
    InitializeCriticalSection(&lock);
    // A failed first reading leaves zero times: the first load then covers
    // the whole uptime, which is still a valid figure.
    clock.getSystemTimes(&idle, &kernel, &user);
}

CpuUsageMeter::~CpuUsageMeter() {
    DeleteCriticalSection(&lock);
}

BYTE CpuUsageMeter::GetUsage() {
    EnterCriticalSection(&lock);
    DWORD now = clock.getTickCount();
    // Unsigned difference, so the cache survives the tick count's wrap after
    // 49.7 days.
    if (sampled != 0 && now - sampled < kSampleInterval) {
        BYTE cached = percent;
        LeaveCriticalSection(&lock);
        return cached;
    }
    sampled = now;

    // Read into locals: a failed call may have written to them, and the next
    // reading must still be measured against the last good one.
    FILETIME idleNow, kernelNow, userNow;
    if (!clock.getSystemTimes(&idleNow, &kernelNow, &userNow)) {
        LeaveCriticalSection(&lock);
        return 0;
    }
    double idleDelta = ToDouble(idleNow) - ToDouble(idle);
    double kernelDelta = ToDouble(kernelNow) - ToDouble(kernel);
    double userDelta = ToDouble(userNow) - ToDouble(user);
    idle = idleNow;
    kernel = kernelNow;
    user = userNow;

    // Counters that stand still or run backwards (some virtual machines and
    // emulators report them) must give a bounded figure, never a value that
    // wraps around in the byte.
    double total = kernelDelta + userDelta;
    double load = 0.0;
    if (total > 0.0) {
        load = (total - idleDelta) * 100.0 / total;
        if (!(load > 0.0)) load = 0.0;
        if (load > 100.0) load = 100.0;
    }
    percent = static_cast<BYTE>(load);
    BYTE result = percent;
    LeaveCriticalSection(&lock);
    return result;
}

// The hook library: reports focus changes, activations, window creation and
// destruction anywhere on the desktop to the target window of each process
// that installed its hooks, and the pointer's moves and wheel turns to a
// callback on the thread that asked for them.
//
// The window events come from global CBT hooks, which the system runs inside
// every process; the targets and their message numbers therefore live in a
// shared section that every copy of this DLL sees. More than one magnifier
// may run: each installing process claims a slot of its own there and its own
// hook reports to that slot only, so one process binding or unbinding never
// changes what another is told. The hooks only post: they must never wait
// for a magnifier.
#include "kvhook/KVHook.h"

namespace {

constexpr int kSlotCount = 8;

// One installing process. A slot is claimed by writing the owner's process
// id, filled, and published by writing its target last; it is emptied in the
// reverse order, so a hook in another process sees either a whole slot or an
// empty target.
struct Slot {
    volatile LONG owner;  // process id; 0: free
    HWND volatile target;
    volatile UINT messages[4];  // set focus, activate, create, destroy
};

Slot g_slots[kSlotCount] __attribute__((section(".kvshare"), shared)) = {};

// This process's own binding.
HINSTANCE g_module = nullptr;
HHOOK g_cbtHook = nullptr;
int g_slot = -1;
HHOOK g_mouseHook = nullptr;
KVMouseCallback g_mouseCallback = nullptr;
void* g_mouseContext = nullptr;

enum MessageIndex { kSetFocus, kActivate, kCreateWnd, kDestroyWnd };

void Report(const Slot& slot, MessageIndex index, WPARAM wParam, LPARAM lParam) {
    HWND target = slot.target;
    MemoryBarrier();
    UINT message = slot.messages[index];
    if (target && message) PostMessageW(target, message, wParam, lParam);
}

void ReportCbt(const Slot& slot, int code, WPARAM wParam, LPARAM lParam) {
    switch (code) {
        case HCBT_SETFOCUS:
            Report(slot, kSetFocus, wParam, 0);
            break;
        case HCBT_ACTIVATE: {
            const auto* info = reinterpret_cast<const CBTACTIVATESTRUCT*>(lParam);
            Report(slot, kActivate, wParam, info ? info->fMouse : 0);
            break;
        }
        case HCBT_CREATEWND:
            Report(slot, kCreateWnd, wParam, 0);
            break;
        case HCBT_DESTROYWND:
            Report(slot, kDestroyWnd, wParam, 0);
            break;
        default:
            break;
    }
}

// One hook procedure per slot: the system calls every installed hook, and
// each reports to its own installer only.
template <int N>
LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0) ReportCbt(g_slots[N], code, wParam, lParam);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

const HOOKPROC kCbtProcs[kSlotCount] = {CbtProc<0>, CbtProc<1>, CbtProc<2>, CbtProc<3>,
                                        CbtProc<4>, CbtProc<5>, CbtProc<6>, CbtProc<7>};

// A slot left behind by a process that ended without unbinding (killed), or
// by an earlier load of this library in this process.
bool Abandoned(LONG owner) {
    if (static_cast<DWORD>(owner) == GetCurrentProcessId()) return true;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(owner));
    if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
    DWORD code = 0;
    bool ended = GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
    CloseHandle(process);
    return ended;
}

int ClaimSlot() {
    const LONG self = static_cast<LONG>(GetCurrentProcessId());
    for (int i = 0; i < kSlotCount; ++i) {
        LONG owner = g_slots[i].owner;
        if (owner != 0 && !Abandoned(owner)) continue;
        if (InterlockedCompareExchange(&g_slots[i].owner, self, owner) == owner) return i;
    }
    return -1;
}

void ReleaseSlot(int index) {
    Slot& slot = g_slots[index];
    slot.target = nullptr;
    MemoryBarrier();
    for (volatile UINT& m : slot.messages) m = 0;
    MemoryBarrier();
    slot.owner = 0;
}

LRESULT CALLBACK MouseProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && (wParam == WM_MOUSEMOVE || wParam == WM_MOUSEWHEEL)) {
        KVMouseCallback callback = g_mouseCallback;
        if (callback) callback(g_mouseContext, static_cast<UINT>(wParam), reinterpret_cast<const void*>(lParam));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

extern "C" {

__declspec(dllexport) int InstallHooks(HWND target, UINT msgSetFocus, UINT msgActivate, UINT msgCreateWnd,
                                       UINT msgDestroyWnd) {
    if (!target || g_cbtHook) return 0;
    int index = ClaimSlot();
    if (index < 0) return 0;
    Slot& slot = g_slots[index];
    slot.target = nullptr;
    slot.messages[kSetFocus] = msgSetFocus;
    slot.messages[kActivate] = msgActivate;
    slot.messages[kCreateWnd] = msgCreateWnd;
    slot.messages[kDestroyWnd] = msgDestroyWnd;
    MemoryBarrier();
    slot.target = target;
    g_cbtHook = SetWindowsHookExW(WH_CBT, kCbtProcs[index], g_module, 0);
    if (!g_cbtHook) {
        ReleaseSlot(index);
        return 0;
    }
    g_slot = index;
    return 1;
}

__declspec(dllexport) int UninstallHooks(HWND target) {
    if (!g_cbtHook || g_slot < 0 || target != g_slots[g_slot].target) return 0;
    BOOL ok = UnhookWindowsHookEx(g_cbtHook);
    g_cbtHook = nullptr;
    ReleaseSlot(g_slot);
    g_slot = -1;
    return ok ? 1 : 0;
}

__declspec(dllexport) int HookMouse(KVMouseCallback callback, void* context) {
    if (!callback || g_mouseHook) return 0;
    g_mouseCallback = callback;
    g_mouseContext = context;
    // A low-level hook calls back on the thread that installed it.
    g_mouseHook = SetWindowsHookExW(WH_MOUSE_LL, MouseProc, g_module, 0);
    if (!g_mouseHook) {
        g_mouseCallback = nullptr;
        g_mouseContext = nullptr;
        return 0;
    }
    return 1;
}

__declspec(dllexport) int UnhookMouse() {
    if (!g_mouseHook) return 0;
    BOOL ok = UnhookWindowsHookEx(g_mouseHook);
    g_mouseHook = nullptr;
    g_mouseCallback = nullptr;
    g_mouseContext = nullptr;
    return ok ? 1 : 0;
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && g_slot >= 0) {
        // Unloaded or ending while still bound: the slot goes back at once.
        ReleaseSlot(g_slot);
        g_slot = -1;
    }
    return TRUE;
}

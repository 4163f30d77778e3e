// The hook library: reports focus changes, activations, window creation and
// destruction anywhere on the desktop to one target window, and the pointer's
// moves and wheel turns to a callback on the thread that asked for them.
//
// The window events come from a global CBT hook, which the system runs inside
// every process; the target and the message numbers therefore live in a
// shared section that every copy of this DLL sees. The hook only posts: it
// must never wait for the magnifier.
#include "kvhook/KVHook.h"

namespace {

struct SharedTarget {
    HWND target;
    UINT msgSetFocus;
    UINT msgActivate;
    UINT msgCreateWnd;
    UINT msgDestroyWnd;
};

SharedTarget g_shared __attribute__((section(".kvshare"), shared)) = {nullptr, 0, 0, 0, 0};

HINSTANCE g_module = nullptr;
HHOOK g_cbtHook = nullptr;
HHOOK g_mouseHook = nullptr;
KVMouseCallback g_mouseCallback = nullptr;
void* g_mouseContext = nullptr;

void Report(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND target = g_shared.target;
    if (target && message) PostMessageW(target, message, wParam, lParam);
}

LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0) {
        switch (code) {
            case HCBT_SETFOCUS:
                Report(g_shared.msgSetFocus, wParam, 0);
                break;
            case HCBT_ACTIVATE: {
                const auto* info = reinterpret_cast<const CBTACTIVATESTRUCT*>(lParam);
                Report(g_shared.msgActivate, wParam, info ? info->fMouse : 0);
                break;
            }
            case HCBT_CREATEWND:
                Report(g_shared.msgCreateWnd, wParam, 0);
                break;
            case HCBT_DESTROYWND:
                Report(g_shared.msgDestroyWnd, wParam, 0);
                break;
            default:
                break;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
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
    g_shared = {target, msgSetFocus, msgActivate, msgCreateWnd, msgDestroyWnd};
    g_cbtHook = SetWindowsHookExW(WH_CBT, CbtProc, g_module, 0);
    if (!g_cbtHook) {
        g_shared = {nullptr, 0, 0, 0, 0};
        return 0;
    }
    return 1;
}

__declspec(dllexport) int UninstallHooks(HWND target) {
    if (!g_cbtHook || target != g_shared.target) return 0;
    BOOL ok = UnhookWindowsHookEx(g_cbtHook);
    g_cbtHook = nullptr;
    g_shared = {nullptr, 0, 0, 0, 0};
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
    }
    return TRUE;
}

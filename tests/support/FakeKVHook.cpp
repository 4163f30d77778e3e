// A recording stand-in for the hook library, built as KVHook.dll next to the
// test programs: it installs no hook, remembers what the hub gave it, lets a
// test feed the mouse callback, and can be told to fail.
#include <windows.h>

#include "kvhook/KVHook.h"

namespace {
HWND g_target = nullptr;
UINT g_messages[4] = {};
KVMouseCallback g_callback = nullptr;
void* g_context = nullptr;
int g_failStep = 0;  // 1: InstallHooks, 2: HookMouse
int g_uninstalls = 0;
int g_unhooks = 0;
}  // namespace

extern "C" {

__declspec(dllexport) int InstallHooks(HWND target, UINT a, UINT b, UINT c, UINT d) {
    if (g_failStep == 1) return 0;
    g_target = target;
    g_messages[0] = a;
    g_messages[1] = b;
    g_messages[2] = c;
    g_messages[3] = d;
    return 1;
}

__declspec(dllexport) int UninstallHooks(HWND target) {
    ++g_uninstalls;
    if (target != g_target) return 0;
    g_target = nullptr;
    return 1;
}

__declspec(dllexport) int HookMouse(KVMouseCallback callback, void* context) {
    if (g_failStep == 2) return 0;
    g_callback = callback;
    g_context = context;
    return 1;
}

__declspec(dllexport) int UnhookMouse() {
    ++g_unhooks;
    g_callback = nullptr;
    g_context = nullptr;
    return 1;
}

// Test controls.
__declspec(dllexport) void FakeHook_SetFailStep(int step) { g_failStep = step; }
__declspec(dllexport) HWND FakeHook_Target() { return g_target; }
__declspec(dllexport) UINT FakeHook_Message(int index) { return g_messages[index]; }
__declspec(dllexport) int FakeHook_Uninstalls() { return g_uninstalls; }
__declspec(dllexport) int FakeHook_Unhooks() { return g_unhooks; }
__declspec(dllexport) bool FakeHook_Mouse(UINT message, const MSLLHOOKSTRUCT* record) {
    return g_callback ? g_callback(g_context, message, record) : false;
}
}

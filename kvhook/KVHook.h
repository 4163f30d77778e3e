#pragma once
// The hook library's four exports, as the magnifier binds them by name. C
// calling convention, no name decoration, int results (non-zero: success).
#include <windows.h>

extern "C" {

// Called on the thread that called HookMouse, for WM_MOUSEMOVE and
// WM_MOUSEWHEEL, with data laid out as MSLLHOOKSTRUCT.
typedef bool (*KVMouseCallback)(void* context, UINT message, const void* data);

typedef int (*KVInstallHooks)(HWND target, UINT msgSetFocus, UINT msgActivate, UINT msgCreateWnd,
                              UINT msgDestroyWnd);
typedef int (*KVUninstallHooks)(HWND target);
typedef int (*KVHookMouse)(KVMouseCallback callback, void* context);
typedef int (*KVUnhookMouse)();
}

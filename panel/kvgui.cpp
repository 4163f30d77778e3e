// The control panel's three exports, plain C functions bound by name by
// KOVAX.exe. The framework is linked into this library, so its resource
// loads and its state are the library's own on every call: there is no
// module state to switch.
#include <windows.h>

#include "panel/CkvguiApp.h"

class IMagCommand;

extern "C" {

__declspec(dllexport) int kvgui_Init(IMagCommand* command) {
    theApp.StartUiThread(command);
    return 1;
}

__declspec(dllexport) void kvgui_Uninit() { theApp.StopUiThread(); }

__declspec(dllexport) int kvgui_Update() {
    theApp.PostUpdate();
    return 1;
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        return theApp.InitInstance();
    }
    return TRUE;
}

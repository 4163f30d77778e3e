// A second process listening to the real hook library for the hook library
// tests: binds, then answers the test's questions until WM_QUIT or a minute.
//   HookListener.exe [PATH-OF-HOOK-LIBRARY]   (default: the one next to it)
#include "tests/e2e/HookListener.h"

int wmain(int argc, wchar_t** argv) {
    HookListener listener(argc > 1 ? argv[1] : nullptr);
    if (!listener.Install()) return 2;
    SetTimer(nullptr, 0, 60000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && !msg.hwnd) break;
        DispatchMessageW(&msg);
    }
    return 0;
}

// A second process listening to the real hook library for the hook library
// tests: binds, then answers the test's questions until WM_QUIT or a minute.
#include "tests/e2e/HookListener.h"

int wmain() {
    HookListener listener;
    if (!listener.Install()) return 2;
    SetTimer(nullptr, 0, 60000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && !msg.hwnd) break;
        DispatchMessageW(&msg);
    }
    return 0;
}

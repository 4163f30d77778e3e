#include "tests/support/MessagePump.h"

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void PumpFor(DWORD ms) {
    DWORD start = GetTickCount();
    do {
        Pump();
        Sleep(10);
    } while (GetTickCount() - start < ms);
    Pump();
}

bool TakeStrayQuit() {
    MSG m;
    return PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

bool PumpUntil(const std::function<bool()>& condition) {
    DWORD start = GetTickCount();
    while (!condition() && GetTickCount() - start < 10000) {
        Pump();
        if (!condition()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return condition();
}

// Ends the magnifiers of this Wine session the way Alt+Delete does: the
// worker window gets WM_DESTROY, its message loop ends, and the program puts
// the user's cursors back and exits. The scripts call it, since nobody can
// press keys on a virtual display. Exit code 0 when a magnifier was told to
// end, 1 when none runs.
#include <windows.h>

int main() {
    int told = 0;
    HWND worker = nullptr;
    while ((worker = FindWindowExW(HWND_MESSAGE, worker, L"KOVAXMsgWindowClass", L"KOVAX Worker")) != nullptr) {
        if (PostMessageW(worker, WM_DESTROY, 0, 0)) ++told;
    }
    return told > 0 ? 0 : 1;
}

// A user's program for scripted scenes: a window at a fixed place with two
// labelled EDIT fields; the first takes the keyboard focus once it is shown.
// Ends after three minutes, or when closed.
#include <windows.h>

namespace {

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

HWND Child(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, HWND parent) {
    return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

int wmain() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"KOVAXFocusScene";
    if (!RegisterClassW(&wc)) return 1;
    HWND frame = CreateWindowExW(0, wc.lpszClassName, L"Sign in", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 300, 360, 160,
                                 nullptr, nullptr, wc.hInstance, nullptr);
    if (!frame) return 2;
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HWND controls[] = {
        Child(L"STATIC", L"Name:", 0, 16, 22, 70, 20, frame),
        Child(L"EDIT", L"Ada Lovelace", WS_BORDER, 90, 20, 120, 22, frame),
        Child(L"STATIC", L"Password:", 0, 16, 56, 70, 20, frame),
        Child(L"EDIT", L"", WS_BORDER | ES_PASSWORD, 90, 54, 120, 22, frame),
    };
    for (HWND c : controls) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetForegroundWindow(frame);
    SetFocus(controls[1]);
    SendMessageW(controls[1], EM_SETSEL, 12, 12);
    SetTimer(frame, 1, 180000, nullptr);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

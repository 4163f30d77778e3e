#include "tests/magnifier/DDraw/DDrawFixture.h"

#include "tests/support/MessagePump.h"

namespace {

const wchar_t kPatternClass[] = L"KOVAXTestOverlayPattern";

LRESULT CALLBACK PatternProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT left{0, 0, PatternWindow::kWidth / 2, PatternWindow::kHeight};
        RECT right{PatternWindow::kWidth / 2, 0, PatternWindow::kWidth, PatternWindow::kHeight};
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &left, red);
        FillRect(dc, &right, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        DeleteObject(red);
        EndPaint(window, &ps);
        return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

PatternWindow::PatternWindow() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = PatternProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kPatternClass;
    RegisterClassExW(&wc);
    window_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kPatternClass, L"pattern", WS_POPUP | WS_VISIBLE, 0, 0,
                              kWidth, kHeight, nullptr, nullptr, wc.hInstance, nullptr);
    UpdateWindow(window_);
    PumpFor(300);
}

PatternWindow::~PatternWindow() {
    DestroyWindow(window_);
    Pump();
    UnregisterClassW(kPatternClass, GetModuleHandleW(nullptr));
}

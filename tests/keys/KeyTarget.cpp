// The window that receives the keys typed during the key tests:
//   KeyTarget.exe LOGFILE [WAITCLASS]
// With WAITCLASS it first waits (up to 30 s) for a message-only window of that
// class, so that it comes up in front of the program under test. Then it opens
// a window, brings it to the front and writes one line per key message it
// gets ("KEYDOWN 0xBB", "SYSKEYDOWN 0x31", "KEYUP 0xBB", "SYSKEYUP 0x31",
// "CHAR 0x3D", "SYSCHAR 0x31"), one per wheel turn with its signed delta
// ("MOUSEWHEEL 120", "MOUSEWHEEL -120"), plus
// "FOCUS" / "UNFOCUS" as it gains and loses the keyboard focus. It ends on
// WM_CLOSE or after three minutes at most.
#include <windows.h>

#include <cstdio>

namespace {

HANDLE g_log = INVALID_HANDLE_VALUE;

void WriteLine(const char* line, int length) {
    DWORD written = 0;
    WriteFile(g_log, line, static_cast<DWORD>(length), &written, nullptr);
}

void Log(const char* what, WPARAM value, bool withValue = true) {
    char line[64];
    WriteLine(line, withValue ? snprintf(line, sizeof(line), "%s 0x%02X\n", what, static_cast<unsigned>(value))
                              : snprintf(line, sizeof(line), "%s\n", what));
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_KEYDOWN:
            Log("KEYDOWN", wParam);
            return 0;
        case WM_SYSKEYDOWN:
            Log("SYSKEYDOWN", wParam);
            return 0;
        case WM_CHAR:
            Log("CHAR", wParam);
            return 0;
        case WM_SYSCHAR:
            Log("SYSCHAR", wParam);
            return 0;
        case WM_KEYUP:
            Log("KEYUP", wParam);
            return 0;
        case WM_SYSKEYUP:
            // Not to the default handling: Alt released alone would enter the
            // window menu's loop and take the keys that follow.
            Log("SYSKEYUP", wParam);
            return 0;
        case WM_MOUSEWHEEL: {
            char line[32];
            WriteLine(line, snprintf(line, sizeof(line), "MOUSEWHEEL %d\n", GET_WHEEL_DELTA_WPARAM(wParam)));
            return 0;
        }
        case WM_SETFOCUS:
            Log("FOCUS", 0, false);
            return 0;
        case WM_KILLFOCUS:
            Log("UNFOCUS", 0, false);
            return 0;
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    g_log = CreateFileW(argv[1], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (g_log == INVALID_HANDLE_VALUE) return 3;

    if (argc >= 3) {
        int waited = 0;
        while (!FindWindowExW(HWND_MESSAGE, nullptr, argv[2], nullptr)) {
            if ((waited += 100) > 30000) return 4;
            Sleep(100);
        }
        Log("WAITED", 0, false);
    }

    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"KVKeyTarget";
    if (!RegisterClassW(&wc)) return 5;
    HWND window = CreateWindowExW(0, L"KVKeyTarget", L"Key target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400,
                                  300, nullptr, nullptr, instance, nullptr);
    if (!window) return 6;
    SetForegroundWindow(window);
    SetFocus(window);
    SetTimer(window, 1, 180000, nullptr);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    CloseHandle(g_log);
    return 0;
}

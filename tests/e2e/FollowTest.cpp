// Following the user end to end, in one process: the real hook library
// (KVHook.dll next to this program), the hub's message loop on the test
// thread, the GDI output and the tracker; a second thread owns an ordinary
// window with two EDIT controls, and the test moves the focus and the pointer
// the way a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

#include "core/EventDispatcher.h"
#include "magnifier/GDIMagWin.h"
#include "settings/MagSettings.h"
#include "tests/support/RegistrySandbox.h"
#include "tracking/MagTracker.h"

namespace {

constexpr UINT kFocusEdit = WM_APP + 10;  // wParam: 0 or 1

struct UserWindow {
    HANDLE ready = nullptr;
    HWND frame = nullptr;
    HWND edits[2] = {};
    DWORD thread = 0;
};

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kFocusEdit) {
        auto* user = reinterpret_cast<UserWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        SetFocus(user->edits[wParam]);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The user's program: a frame at the right of the screen with an EDIT near its
// top and one near its bottom, each with its caret at the end of a line.
DWORD WINAPI UserThread(LPVOID parameter) {
    auto* user = static_cast<UserWindow*>(parameter);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KovaxFollowUser";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&wc);
    user->frame = CreateWindowExW(0, wc.lpszClassName, L"User", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700, 100, 500,
                                  800, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(user->frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(user));
    user->edits[0] = CreateWindowExW(0, L"EDIT", L"first line of text", WS_CHILD | WS_VISIBLE | WS_BORDER, 20, 20,
                                     400, 30, user->frame, nullptr, wc.hInstance, nullptr);
    user->edits[1] = CreateWindowExW(0, L"EDIT", L"second", WS_CHILD | WS_VISIBLE | WS_BORDER, 200, 650, 250, 30,
                                     user->frame, nullptr, wc.hInstance, nullptr);
    for (HWND e : user->edits) SendMessageW(e, EM_SETSEL, 1000, 1000);
    SetForegroundWindow(user->frame);
    SetEvent(user->ready);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    DestroyWindow(user->frame);
    UnregisterClassW(wc.lpszClassName, wc.hInstance);
    return 0;
}

// What the test sees, sampled by a Tick listener on the hub's thread.
struct Observed {
    GDIMagWin* magwin;
    std::atomic<int> ticks{0};
};

bool CountTick(void* context, void*) {
    ++static_cast<Observed*>(context)->ticks;
    return true;
}

struct Script {
    Hook::EventDispatcher* hub;
    UserWindow* user;
    Observed* observed;
    bool caretFollowed[3] = {};
    RECT caret[3] = {};
    ViewRect source[3] = {};
    bool pointerInside = false;
    int ticksToPointer = -1;
    POINT pointer{};
    ViewRect pointerSource{};
};

bool Contains(const ViewRect& outer, const RECT& inner) {
    return inner.left >= outer.x && inner.top >= outer.y && inner.right <= outer.x + outer.width &&
           inner.bottom <= outer.y + outer.height;
}

void WaitTicks(Observed* observed, int count) {
    int start = observed->ticks;
    for (int i = 0; i < 500 && observed->ticks - start < count; ++i) Sleep(10);
}

// Runs on its own thread while the hub's loop runs on the test thread.
DWORD WINAPI RunScript(LPVOID parameter) {
    auto* s = static_cast<Script*>(parameter);
    WaitTicks(s->observed, 3);
    // Focus the first field, then the second, then the first again and type
    // into it: the caret walks right, and the view must keep it in sight.
    for (int i = 0; i < 3; ++i) {
        int edit = i == 1 ? 1 : 0;
        PostMessageW(s->user->frame, kFocusEdit, edit, 0);
        Sleep(300);
        if (i == 2) {
            for (int k = 0; k < 14; ++k) {
                INPUT keys[2] = {};
                keys[0].type = keys[1].type = INPUT_KEYBOARD;
                keys[0].ki.wVk = keys[1].ki.wVk = 'W';
                keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
                SendInput(2, keys, sizeof(INPUT));
                Sleep(20);
            }
            Sleep(400);
        }
        WaitTicks(s->observed, 2);
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        if (GetGUIThreadInfo(s->user->thread, &info) && info.hwndCaret == s->user->edits[edit]) {
            POINT origin{0, 0};
            ClientToScreen(info.hwndCaret, &origin);
            s->caret[i] = {info.rcCaret.left + origin.x, info.rcCaret.top + origin.y, info.rcCaret.right + origin.x,
                           info.rcCaret.bottom + origin.y};
            s->source[i] = s->observed->magwin->SourceRect();
            s->caretFollowed[i] = Contains(s->source[i], s->caret[i]);
        }
    }

    // The pointer, moved over the user's window far from the view.
    ViewRect before = s->observed->magwin->SourceRect();
    s->pointer = {before.x > 640 ? 150 : 1100, before.y > 512 ? 150 : 900};
    RECT frame{};
    GetWindowRect(s->user->frame, &frame);
    if (s->pointer.x < frame.left) s->pointer.x = frame.left + 50;
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = s->pointer.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = s->pointer.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    int startTicks = s->observed->ticks;
    SendInput(1, &input, sizeof(input));
    GetCursorPos(&s->pointer);
    for (int i = 0; i < 300; ++i) {
        ViewRect now = s->observed->magwin->SourceRect();
        if (s->pointer.x >= now.x && s->pointer.x < now.x + now.width && s->pointer.y >= now.y &&
            s->pointer.y < now.y + now.height) {
            s->pointerInside = true;
            s->ticksToPointer = s->observed->ticks - startTicks;
            s->pointerSource = now;
            break;
        }
        Sleep(10);
    }
    PostMessageW(s->hub->Window(), WM_DESTROY, 0, 0);
    return 0;
}

TEST(Follow, ViewFollowsTheCaretOfTheFocusedEditAndThePointer) {
    RegistrySandbox reg;
    reg.SetDword(L"Software\\KOVAX", L"FullScreen", 0);
    reg.SetDword(L"Software\\KOVAX", L"MagwinSticky", 1);
    reg.SetDword(L"Software\\KOVAX", L"MaxFrameRate", 30);
    reg.SetDword(L"Software\\KOVAX", L"ZoomLevel_10", 40);
    g_settings.Load();
    SetCursorPos(100, 100);

    UserWindow user;
    user.ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE userThread = CreateThread(nullptr, 0, UserThread, &user, 0, &user.thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(user.ready, 10000));

    {
        Hook::EventDispatcher hub;
        GDIMagWin magwin(&hub);
        MagTracker tracker(&hub, &magwin);
        Observed observed;
        observed.magwin = &magwin;
        hub.AddListener(Hook::Tick, CountTick, &observed);
        ASSERT_TRUE(magwin.Start(&tracker));

        Script script{&hub, &user, &observed};
        HANDLE scriptThread = CreateThread(nullptr, 0, RunScript, &script, 0, nullptr);
        EXPECT_TRUE(hub.RunMessageLoop()) << "the real hook library must bind";
        WaitForSingleObject(scriptThread, 30000);
        CloseHandle(scriptThread);
        magwin.Stop();
        hub.RemoveListener(Hook::Tick, CountTick);

        EXPECT_GT(script.caret[2].left, script.caret[0].left + 60) << "typing moved the caret";
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(i);
            EXPECT_TRUE(script.caretFollowed[i])
                << "caret {" << script.caret[i].left << "," << script.caret[i].top << "," << script.caret[i].right
                << "," << script.caret[i].bottom << "} source {" << script.source[i].x << "," << script.source[i].y
                << "," << script.source[i].width << "," << script.source[i].height << "}";
        }
        EXPECT_TRUE(script.pointerInside) << "pointer (" << script.pointer.x << "," << script.pointer.y << ")";
        EXPECT_GE(1, script.ticksToPointer) << "the view reaches the pointer within one tick";
    }

    PostThreadMessageW(user.thread, WM_QUIT, 0, 0);
    WaitForSingleObject(userThread, 10000);
    CloseHandle(userThread);
    CloseHandle(user.ready);
}

}  // namespace

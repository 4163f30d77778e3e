#include "tests/support/HubLoop.h"

#include <cstdint>

#include "settings/MagSettings.h"
#include "tests/support/MessagePump.h"
#include "tests/support/Settings.h"

// The thread id travels as the context.
QuitWatchdog::QuitWatchdog()
    : Watchdog(30000, PostQuit, reinterpret_cast<void*>(static_cast<uintptr_t>(GetCurrentThreadId()))) {}

void QuitWatchdog::PostQuit(void* thread) {
    PostThreadMessageW(static_cast<DWORD>(reinterpret_cast<uintptr_t>(thread)), WM_QUIT, 0, 0);
}

namespace {
const wchar_t kScriptClass[] = L"KOVAXTestScript";
}

LoopScript::LoopScript() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kScriptClass;
    RegisterClassExW(&wc);
    window_ = CreateWindowExW(0, kScriptClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

LoopScript::~LoopScript() {
    DestroyWindow(window_);
    UnregisterClassW(kScriptClass, GetModuleHandleW(nullptr));
}

void LoopScript::Post(std::function<void()> step) {
    steps_.push_back(std::move(step));
    PostMessageW(window_, WM_APP, steps_.size() - 1, 0);
}

LRESULT CALLBACK LoopScript::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<LoopScript*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message != WM_APP) return DefWindowProcW(window, message, wParam, lParam);
    if (self && wParam < self->steps_.size()) {
        std::function<void()> step = self->steps_[wParam];  // a step may add steps
        step();
    }
    return 0;
}

::testing::AssertionResult RunLoop(Hook::EventDispatcher& hub) {
    bool ok = false;
    bool fired = false;
    {
        QuitWatchdog dog;
        ok = hub.RunMessageLoop();
        fired = dog.Fired();
    }
    if (fired) return ::testing::AssertionFailure() << "the loop did not end; the watchdog stopped it";
    if (!ok) return ::testing::AssertionFailure() << "RunMessageLoop reported a failed step";
    return ::testing::AssertionSuccess();
}

void EndLoop(Hook::EventDispatcher& hub) { PostMessageW(hub.Window(), WM_DESTROY, 0, 0); }

namespace {

struct HelperRun {
    Hook::EventDispatcher* hub;
    std::function<void()> work;
    bool workEndsLoop;
};

DWORD WINAPI LoopHelper(LPVOID parameter) {
    auto* run = static_cast<HelperRun*>(parameter);
    for (int i = 0; i < 500 && !run->hub->Window(); ++i) Sleep(10);
    if (!run->hub->Window()) return 1;
    run->work();
    HWND window = run->hub->Window();
    if (!run->workEndsLoop && window) PostMessageW(window, WM_DESTROY, 0, 0);
    return 0;
}

void PostDestroy(void* hub) {
    HWND window = static_cast<Hook::EventDispatcher*>(hub)->Window();
    if (window) PostMessageW(window, WM_DESTROY, 0, 0);
}

}  // namespace

::testing::AssertionResult RunLoopWith(Hook::EventDispatcher& hub, std::function<void()> work, bool workEndsLoop) {
    HelperRun run{&hub, std::move(work), workEndsLoop};
    HANDLE helper = CreateThread(nullptr, 0, LoopHelper, &run, 0, nullptr);
    if (!helper) return ::testing::AssertionFailure() << "cannot start the helper thread";
    bool ok = false;
    bool fired = false;
    {
        Watchdog dog(10000, PostDestroy, &hub);
        ok = hub.RunMessageLoop();
        fired = dog.Fired();
    }
    bool helperDone = WaitForSingleObject(helper, 60000) == WAIT_OBJECT_0;
    DWORD helperCode = 1;
    GetExitCodeThread(helper, &helperCode);
    CloseHandle(helper);
    if (!helperDone) return ::testing::AssertionFailure() << "the helper thread hangs";
    if (helperCode != 0) return ::testing::AssertionFailure() << "the hub's loop never came up";
    if (fired) return ::testing::AssertionFailure() << "the loop did not end; the watchdog ended it";
    if (!ok) return ::testing::AssertionFailure() << "RunMessageLoop reported a failed step";
    return ::testing::AssertionSuccess();
}

bool WaitUntil(const std::function<bool()>& condition) {
    for (int i = 0; i < 500 && !condition(); ++i) Sleep(10);
    return condition();
}

void HubLoopTest::SetUp() {
    sandbox_ = std::make_unique<RegistrySandbox>();
    g_settings.Load();
}

void HubLoopTest::TearDown() {
    Pump();
    sandbox_.reset();
    g_settings.Load();
}

void HubLoopTest::SetMaxFrameRate(DWORD rate) {
    LoadSettings(*sandbox_, {{L"MaxFrameRate", rate}});
    ASSERT_EQ(rate, g_settings.MaxFrameRate.Value());
}

Seen Pending(const Hook::EventDispatcher& hub) {
    Seen s;
    for (const Hook::PendingCheck& p : hub.PendingChecks()) s.push_back({p.kind, p.remaining});
    return s;
}

bool Count(void* context, void*) {
    ++*static_cast<int*>(context);
    return true;
}

bool Refuse(void* context, void*) {
    ++*static_cast<int*>(context);
    return false;
}

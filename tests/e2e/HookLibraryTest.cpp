// The real hook library with two magnifiers bound at once, as two starts of
// the program would be: this process and a listener process of its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "core/ModulePath.h"
#include "tests/e2e/HookListener.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/MessagePump.h"

namespace {

// The listener process, ended (and its window found) with the object.
class OtherListener {
public:
    OtherListener() {
        if (!StartProcess(ProgramFolderFile(L"HookListener.exe"), L"", nullptr, process_)) return;
        window_ = WaitForProcessWindow(HWND_MESSAGE, HookListener::kClass, nullptr, process_.dwProcessId, 10000);
    }
    ~OtherListener() {
        if (!process_.hProcess) return;
        PostThreadMessageW(process_.dwThreadId, WM_QUIT, 0, 0);
        if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process_.hProcess, 9);
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
    OtherListener(const OtherListener&) = delete;
    OtherListener& operator=(const OtherListener&) = delete;

    // The listener's answer to an ask message; -1 when it cannot be asked.
    LRESULT Ask(UINT message, WPARAM wParam = 0) const {
        DWORD_PTR answer = 0;
        if (!window_ || !SendMessageTimeoutW(window_, message, wParam, 0, SMTO_NORMAL, 10000, &answer)) return -1;
        return static_cast<LRESULT>(answer);
    }

private:
    PROCESS_INFORMATION process_ = {};
    HWND window_ = nullptr;
};

// A window of this thread: its creation goes through every bound hook.
HWND NewWindow() {
    return CreateWindowExW(0, L"STATIC", L"created", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

TEST(HookLibrary, TwoBoundProcessesEachGetTheReportsAndUnbindOnlyThemselves) {
    HookListener first;
    ASSERT_TRUE(first.Install());
    OtherListener second;
    ASSERT_EQ(1, second.Ask(HookListener::kAskBound)) << "the second process could not bind";

    HWND before = NewWindow();
    EXPECT_TRUE(PumpUntil([&] { return first.SawCreated(before); })) << "the first was cut off when the second bound";
    EXPECT_TRUE(
        PumpUntil([&] { return second.Ask(HookListener::kAskSawCreated, reinterpret_cast<WPARAM>(before)) == 1; }));

    EXPECT_EQ(1, second.Ask(HookListener::kAskUninstall));
    HWND after = NewWindow();
    EXPECT_TRUE(PumpUntil([&] { return first.SawCreated(after); })) << "the second's unbinding cut the first off";
    EXPECT_EQ(1, first.Uninstall()) << "the first must still be able to unbind its own hooks";

    DestroyWindow(before);
    DestroyWindow(after);
}

}  // namespace

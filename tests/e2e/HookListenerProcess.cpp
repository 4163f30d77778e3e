#include "tests/e2e/HookListenerProcess.h"

#include "tests/e2e/HookListener.h"
#include "tests/support/ChildProcess.h"

HookListenerProcess::HookListenerProcess(const std::wstring& exe, const std::wstring& library) {
    StartProcess(exe, library.empty() ? L"" : L"\"" + library + L"\"", nullptr, process_);
}

HookListenerProcess::~HookListenerProcess() {
    if (!process_.hProcess) return;
    PostThreadMessageW(process_.dwThreadId, WM_QUIT, 0, 0);
    if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0) Kill();
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
}

LRESULT HookListenerProcess::Ask(UINT message, WPARAM wParam) {
    if (!window_ && process_.hProcess) {
        window_ = WaitForProcessWindow(HWND_MESSAGE, HookListener::kClass, nullptr, process_.dwProcessId, 15000);
    }
    DWORD_PTR answer = 0;
    if (!window_ || !SendMessageTimeoutW(window_, message, wParam, 0, SMTO_NORMAL, 10000, &answer)) return -1;
    return static_cast<LRESULT>(answer);
}

void HookListenerProcess::Kill() {
    TerminateProcess(process_.hProcess, 9);
    WaitForSingleObject(process_.hProcess, 10000);
}

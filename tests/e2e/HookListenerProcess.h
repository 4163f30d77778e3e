#pragma once
// A HookListener.exe process bound to the real hook library, for tests that
// need magnifiers bound in other processes: asked through its window, ended
// with the object.
#include <windows.h>

#include <string>

class HookListenerProcess {
public:
    // Starts exe (HookListener.exe), binding library (empty: the one next to
    // exe).
    explicit HookListenerProcess(const std::wstring& exe, const std::wstring& library = L"");
    ~HookListenerProcess();
    HookListenerProcess(const HookListenerProcess&) = delete;
    HookListenerProcess& operator=(const HookListenerProcess&) = delete;

    // The listener's answer to an ask message (HookListener::kAsk...), once
    // its window is up; -1 when it cannot be asked.
    LRESULT Ask(UINT message, WPARAM wParam = 0);
    // Ends it at once, as a crash would: nothing of it unbinds.
    void Kill();

private:
    PROCESS_INFORMATION process_ = {};
    HWND window_ = nullptr;
};

#pragma once
// A hub-like listener of the real hook library (KVHook.dll next to the
// program): a message-only window that binds the library's window reports the
// way the hub does and remembers which windows were reported created. Another
// process drives it through the ask messages, sent to its window.
#include <windows.h>

#include <set>

class HookListener {
public:
    static constexpr UINT kAskBound = WM_APP + 10;       // -> 1 while bound
    static constexpr UINT kAskSawCreated = WM_APP + 11;  // wParam: window -> 1 when reported
    static constexpr UINT kAskUninstall = WM_APP + 12;   // -> UninstallHooks' result
    static constexpr wchar_t kClass[] = L"KOVAXTestHookListener";

    // library: the path of the hook library to bind; null: the one next to
    // this program.
    explicit HookListener(const wchar_t* library = nullptr);
    ~HookListener();
    HookListener(const HookListener&) = delete;
    HookListener& operator=(const HookListener&) = delete;

    bool Install();
    int Uninstall();
    bool SawCreated(HWND window) const { return created_.count(window) != 0; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HMODULE library_ = nullptr;
    HWND window_ = nullptr;
    bool bound_ = false;
    UINT messages_[4] = {};
    std::set<HWND> created_;
};

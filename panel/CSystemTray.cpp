#include "panel/CSystemTray.h"

#include "panel/NotifyIcon.h"
#include "panel/PanelMessages.h"
#include "resources/kvgui_resource.h"

namespace {

const wchar_t kClassName[] = L"TrayIconClass";
const wchar_t kTip[] = L"KOVAX";

// The one live tray, found by the hidden window's procedure.
CSystemTray* g_liveTray = nullptr;

void RegisterTrayClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);  // a second registration in the process fails harmlessly
}

}  // namespace

CSystemTray::CSystemTray() {
    g_liveTray = this;
    ZeroMemory(&record_, sizeof(record_));
}

CSystemTray::~CSystemTray() {
    // Not put back by a "TaskbarCreated" that arrives while the shell is asked.
    wanted_ = 0;
    if (enabled_ && everAdded_) {
        record_.uFlags = 0;
        CallNotifyIcon(NIM_DELETE, &record_);
    }
    if (hiddenWindow_) DestroyWindow(hiddenWindow_);
    hiddenWindow_ = nullptr;
    if (g_liveTray == this) g_liveTray = nullptr;
}

bool CSystemTray::Create(HINSTANCE instance, HWND target, UINT message, HICON icon) {
    enabled_ = LOBYTE(LOWORD(GetVersion())) >= 4 ? 1 : 0;
    if (!enabled_) return false;

    instance_ = instance;
    RegisterTrayClass(instance, WindowProc);
    hiddenWindow_ = CreateWindowExW(0, kClassName, L"", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                    CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);

    record_.cbSize = sizeof(record_);
    record_.hWnd = target;
    record_.uID = IDR_TRAYMENU;
    record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record_.uCallbackMessage = message;
    record_.hIcon = icon;
    // Cut to the field, with room for its terminator.
    lstrcpynW(record_.szTip, kTip, ARRAYSIZE(record_.szTip));

    creationFlags_ = record_.uFlags;
    wanted_ = 1;

    bool added = CallNotifyIcon(NIM_ADD, &record_) != FALSE;
    hidden_ = added ? 0 : 1;
    if (added) everAdded_ = true;
    return added;
}

void CSystemTray::OnTaskbarCreated() {
    if (!wanted_) return;
    record_.uFlags = creationFlags_;
    bool shown = CallNotifyIcon(NIM_ADD, &record_) != FALSE;
    // A shell that still holds our icon refuses the add; bring it up to date.
    if (!shown && everAdded_) shown = CallNotifyIcon(NIM_MODIFY, &record_) != FALSE;
    hidden_ = shown ? 0 : 1;
    if (shown) everAdded_ = true;
}

bool CSystemTray::SetMenuDefaultItem() {
    if (defaultCommand_ == ID_SHOW_MAIN && !defaultByPosition_) return true;
    HMENU menu = LoadMenuW(instance_, MAKEINTRESOURCEW(IDR_TRAYMENU));
    if (!menu) return false;
    bool found = GetSubMenu(menu, 0) != nullptr;
    DestroyMenu(menu);
    if (!found) return false;
    defaultCommand_ = ID_SHOW_MAIN;
    defaultByPosition_ = 0;
    return true;
}

bool CSystemTray::DefaultCommand(UINT& command) const {
    if (!defaultByPosition_) {
        command = defaultCommand_;
        return true;
    }
    HMENU menu = LoadMenuW(instance_, MAKEINTRESOURCEW(IDR_TRAYMENU));
    if (!menu) return false;
    HMENU popup = GetSubMenu(menu, 0);
    UINT id = popup ? GetMenuItemID(popup, static_cast<int>(defaultCommand_)) : static_cast<UINT>(-1);
    DestroyMenu(menu);
    if (id == static_cast<UINT>(-1)) return false;
    command = id;
    return true;
}

LRESULT CSystemTray::OnTrayNotification(WPARAM iconId, LPARAM mouseMessage) {
    if (iconId != record_.uID) return 0;
    HWND window = record_.hWnd;
    if (!window) return 0;
    if (LOWORD(mouseMessage) == WM_LBUTTONDBLCLK) {
        UINT command = 0;
        if (!DefaultCommand(command)) return 0;
        SetForegroundWindow(record_.hWnd);
        SendMessageW(window, WM_COMMAND, command, 0);
    }
    return 1;
}

bool CSystemTray::ShowPopupMenu(HMENU menu) {
    HWND window = record_.hWnd;
    if (!window) return false;
    POINT at{};
    GetCursorPos(&at);
    // Without the foreground the menu would not close when the user clicks
    // elsewhere; the null message afterwards lets it go for good.
    SetForegroundWindow(record_.hWnd);
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_LEFTBUTTON, at.x, at.y, 0, window, nullptr);
    PostMessageW(record_.hWnd, WM_NULL, 0, 0);
    return true;
}

LRESULT CALLBACK CSystemTray::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_liveTray && window == g_liveTray->hiddenWindow_ && g_taskbarCreatedMessage &&
        message == g_taskbarCreatedMessage) {
        g_liveTray->OnTaskbarCreated();
        return 0;
    }
    // Any process can post these; the window goes only with the tray, or the
    // icon would not come back after a new taskbar.
    if (message == WM_CLOSE || (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE)) return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

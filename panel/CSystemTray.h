#pragma once
// The panel's icon in the taskbar's notification area. A member of the main
// dialog, which routes the icon's mouse messages here; a hidden window of
// class "TrayIconClass" hears the shell's "TaskbarCreated" and puts the icon
// back. Everything runs on the panel's UI thread.
#include <windows.h>
#include <shellapi.h>

class CSystemTray {
public:
    CSystemTray();
    // Removes the icon and the hidden window.
    virtual ~CSystemTray();
    CSystemTray(const CSystemTray&) = delete;
    CSystemTray& operator=(const CSystemTray&) = delete;

    // True when the icon was added: target gets its mouse messages as message.
    bool Create(HINSTANCE instance, HWND target, UINT message, HICON icon);
    // Makes the tray menu's "open" item the double-click's command.
    bool SetMenuDefaultItem();
    // The popup menu at the pointer; its choice reaches the target as WM_COMMAND.
    bool ShowPopupMenu(HMENU menu);
    // A mouse message of the icon (but the right button's release).
    virtual LRESULT OnTrayNotification(WPARAM iconId, LPARAM mouseMessage);
    // The shell holds the icon: the user can reach the panel through it.
    bool IsShown() const { return !hidden_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnTaskbarCreated();
    bool DefaultCommand(UINT& command) const;

    // Its hWnd is the target window, which gets the icon's messages and the
    // tray's commands.
    NOTIFYICONDATAW record_;
    HINSTANCE instance_ = nullptr;
    HWND hiddenWindow_ = nullptr;
    int enabled_ = 0;
    int hidden_ = 1;
    int wanted_ = 0;
    UINT defaultCommand_ = 0;
    int defaultByPosition_ = 1;
    UINT creationFlags_ = 0;
    // The shell took the icon at least once: it is deleted at the end even
    // if a later re-add failed.
    bool everAdded_ = false;
};

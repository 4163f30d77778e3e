#pragma once
// The control panel's application object and its UI thread. kvgui_Init and
// kvgui_Uninit run on the program's main thread, kvgui_Update on any thread;
// the dialog, the tray icon, the About box and every IMagCommand call of the
// panel run on the UI thread.
#include <windows.h>

#include <atomic>

#include "framework/CWinApp.h"

class IMagCommand;

class CkvguiApp : public CWinApp {
public:
    // Starts the UI thread and waits until it has the dialog up or has given
    // up; does nothing while a panel runs, or while one that StopUiThread had
    // to leave behind has not ended yet.
    void StartUiThread(IMagCommand* magCommand);
    // Ends the UI thread, whatever it has open, and waits for it for about a
    // second. A thread still running then is left to end on its own, with
    // this library kept loaded under it.
    void StopUiThread();
    // Asks the dialog to refresh; never waits, never touches the dialog object.
    void PostUpdate() const;
    // True from the start of StopUiThread until the next start: the panel is
    // going and opens nothing new.
    bool Closing() const { return closing.load(); }
    // Brackets each use of the command object on the UI thread: false once
    // the panel is closing, when the object may be gone with the program.
    // StopUiThread does not return while a use is under way.
    bool EnterCommand();
    void LeaveCommand() { --commandUses; }

    IMagCommand* command = nullptr;
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    HANDLE ready = nullptr;

private:
    static DWORD WINAPI UiThreadProc(LPVOID parameter);
    DWORD RunControlPanel();
    void AskToClose() const;

    // The dialog's window, kept apart from the object, so that a post from
    // another thread never reads an object that is being deleted. Owned by
    // the UI thread: cleared before the dialog goes.
    std::atomic<HWND> dialogWindow{nullptr};
    std::atomic<bool> closing{false};
    std::atomic<int> commandUses{0};
};

extern CkvguiApp theApp;

// One use of the command object by the panel; test it before the use.
class CommandScope {
public:
    CommandScope() : entered_(theApp.EnterCommand()) {}
    ~CommandScope() {
        if (entered_) theApp.LeaveCommand();
    }
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;
    explicit operator bool() const { return entered_; }

private:
    bool entered_;
};

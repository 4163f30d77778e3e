#include "panel/CkvguiApp.h"

#include <memory>

#include "panel/CDlgMain.h"
#include "panel/PanelMessages.h"
#include "resources/kvgui_resource.h"

const UINT g_updateUiMessage = RegisterWindowMessageW(L"KVGUI_WM_UPDATEUI");
const UINT g_taskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");

CkvguiApp theApp;

namespace {

// Waits for any of the handles, handling the messages that other threads send
// to this thread's windows meanwhile: a panel command may be waiting for the
// main thread at this very moment.
void WaitHandlingSentMessages(DWORD count, const HANDLE* handles) {
    for (;;) {
        DWORD r = MsgWaitForMultipleObjects(count, handles, FALSE, INFINITE, QS_SENDMESSAGE);
        if (r != WAIT_OBJECT_0 + count) return;  // signalled, or the wait failed
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace

void CkvguiApp::StartUiThread(IMagCommand* magCommand) {
    if (thread) return;  // a panel runs already
    if (ready) {
        CloseHandle(ready);
        ready = nullptr;
    }
    command = magCommand;
    closing = false;
    ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!ready) return;
    thread = CreateThread(nullptr, 0, UiThreadProc, this, 0, &threadId);
    if (!thread) return;
    // A thread that ends without setting the event (it could not even start
    // its work) must not leave the caller waiting for ever.
    HANDLE both[] = {ready, thread};
    WaitHandlingSentMessages(2, both);
}

void CkvguiApp::StopUiThread() {
    if (thread) {
        closing = true;
        HWND window = dialogWindow.load();
        if (!window || !PostMessageW(window, kClosePanelMessage, 0, 0)) {
            PostThreadMessageW(threadId, WM_QUIT, 0, 0);
        }
        WaitHandlingSentMessages(1, &thread);
        CloseHandle(thread);
        thread = nullptr;
        threadId = 0;
    }
    if (ready) {
        CloseHandle(ready);
        ready = nullptr;
    }
}

void CkvguiApp::PostUpdate() const {
    HWND window = dialogWindow.load();
    if (window) PostMessageW(window, g_updateUiMessage, 0, 0);
}

DWORD WINAPI CkvguiApp::UiThreadProc(LPVOID parameter) {
    auto* app = static_cast<CkvguiApp*>(parameter);
    DWORD code = 0;
    try {
        code = app->RunControlPanel();
    } catch (...) {
        // Out of memory on this thread: no panel, but the magnifier goes on.
        app->dialogWindow = nullptr;
    }
    SetEvent(app->ready);
    return code;
}

DWORD CkvguiApp::RunControlPanel() {
    std::unique_ptr<CDlgMain> owner(new CDlgMain(command));
    CDlgMain* dlg = owner.get();
    if (!dlg->Create(IDD_MAIN, nullptr)) return 0;
    dialogWindow = dlg->GetSafeHwnd();
    dlg->ShowWindow(SW_SHOW);
    SetEvent(ready);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // False once the window is gone: the object forgets it at WM_NCDESTROY.
        if (dlg->IsDialogMessage(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }

    // Nobody reaches the dialog any more before it goes.
    dialogWindow = nullptr;
    dlg->DestroyWindow();
    return 0;
}

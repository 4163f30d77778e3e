#include "panel/CkvguiApp.h"

#include <algorithm>
#include <memory>

#include "panel/CDlgMain.h"
#include "panel/PanelMessages.h"
#include "resources/kvgui_resource.h"

const UINT g_updateUiMessage = RegisterWindowMessageW(L"KVGUI_WM_UPDATEUI");
const UINT g_taskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");

CkvguiApp theApp;

namespace {

// How long kvgui_Uninit waits for the panel's thread, and how often it asks
// the panel to close meanwhile: one ask can end a nested loop that swallows
// the quit message it was ended with, which leaves the next loop out there
// waiting for a message.
const DWORD kCloseWaitMs = 1000;
const DWORD kCloseAskEveryMs = 100;

// Waits up to timeoutMs (or INFINITE) for any of the handles, handling the
// messages that other threads send to this thread's windows meanwhile: a
// panel command may be waiting for the main thread at this very moment.
// True when a handle was signalled.
bool WaitHandlingSentMessages(DWORD count, const HANDLE* handles, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        DWORD waited = GetTickCount() - start;
        DWORD left = timeoutMs == INFINITE ? INFINITE : (waited < timeoutMs ? timeoutMs - waited : 0);
        DWORD r = MsgWaitForMultipleObjects(count, handles, FALSE, left, QS_SENDMESSAGE);
        if (r != WAIT_OBJECT_0 + count) return r < WAIT_OBJECT_0 + count;  // signalled, timed out or failed
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

// The program frees this library once the panel is closed; a panel thread
// that did not end in time still runs its code.
void KeepLibraryLoaded() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&theApp), &self);
}

}  // namespace

bool CkvguiApp::EnterCommand() {
    // Counted before the flag is read, and the flag set before the count is
    // read in StopUiThread: one of the two sides sees the other.
    ++commandUses;
    if (!closing.load()) return true;
    --commandUses;
    return false;
}

void CkvguiApp::StartUiThread(IMagCommand* magCommand) {
    if (thread) {
        // A panel runs already, or one left behind is still ending.
        if (!closing.load() || WaitForSingleObject(thread, 0) != WAIT_OBJECT_0) return;
        CloseHandle(thread);
        thread = nullptr;
        threadId = 0;
    }
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
    WaitHandlingSentMessages(2, both, INFINITE);
}

void CkvguiApp::AskToClose() const {
    HWND window = dialogWindow.load();
    if (!window || !PostMessageW(window, kClosePanelMessage, 0, 0)) PostThreadMessageW(threadId, WM_QUIT, 0, 0);
}

void CkvguiApp::StopUiThread() {
    if (thread) {
        closing = true;
        DWORD start = GetTickCount();
        bool ended = false;
        for (DWORD waited = 0; !ended && waited < kCloseWaitMs; waited = GetTickCount() - start) {
            AskToClose();
            ended = WaitHandlingSentMessages(1, &thread, std::min(kCloseAskEveryMs, kCloseWaitMs - waited));
        }
        if (!ended) {
            // Stuck in a loop of its own that nothing here can end: the
            // program goes on ending without it. The thread and the event
            // stay open for the next Uninit or Init to close.
            KeepLibraryLoaded();
            // A use of the command object under way finishes before the
            // object can go; none starts any more.
            while (commandUses.load() > 0) WaitHandlingSentMessages(0, nullptr, 10);
            return;
        }
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
    // The panel's own ends, kvgui_Uninit closing it and the user's confirmed
    // quit, are checked whenever this loop has its turn: a nested loop may
    // have swallowed the quit message that ended it.
    while (!Closing() && !dlg->QuitConfirmed()) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) break;
        // A quit message alone may come from any process.
        if (!got || Closing()) continue;
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

// The program end to end: KOVAX.exe started as its own process under Wine,
// configured through the real registry key, ended through its hub window.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "resources/kvgui_resource.h"
#include "tests/e2e/HookListener.h"
#include "tests/e2e/HookListenerProcess.h"
#include "tests/support/ChildProcess.h"

namespace {

const wchar_t kKey[] = L"Software\\KOVAX";

std::wstring TestsFolder() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    path.resize(path.find_last_of(L"\\/") + 1);
    return path;
}

std::wstring ProgramPath() {
    std::wstring path = TestsFolder();
    path.resize(path.find_last_of(L"\\/", path.size() - 2) + 1);  // build folder
    return path + L"KOVAX.exe";
}

void SetDword(const wchar_t* name, DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                             nullptr));
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
}

// The program's own registry key, set for one run and removed afterwards.
class ProgramRun : public testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
        SetDword(L"FullScreen", 0);
        SetDword(L"MagwinSticky", 1);
        SetDword(L"MaxFrameRate", 30);
        SetDword(L"HideSysCursor", 0);
        // The window output: Wine never shows an overlay.
        SetDword(L"HardwareAccelerate", 0);
    }
    void TearDown() override {
        if (process_.hProcess) {
            TerminateProcess(process_.hProcess, 99);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
        RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
    }
    bool Launch(const std::wstring& path = ProgramPath(), const wchar_t* currentFolder = nullptr) {
        return StartProcess(path, L"", currentFolder, process_);
    }
    // The started program's message-only window "KOVAX Worker", once it is up.
    HWND Worker() const {
        return WaitForProcessWindow(HWND_MESSAGE, L"KOVAXMsgWindowClass", L"KOVAX Worker", process_.dwProcessId,
                                    15000);
    }
    // Its output window "KOVAX", once it is up.
    HWND Output(DWORD timeoutMs = 5000) const {
        return WaitForProcessWindow(nullptr, L"KOVAXMainClass", L"KOVAX", process_.dwProcessId, timeoutMs);
    }
    // Ends it as Alt+Delete does, through its worker window; its exit code.
    DWORD EndThrough(HWND worker) {
        PostMessageW(worker, WM_DESTROY, 0, 0);
        return ExitCode();
    }
    // Its exit code once it has ended (STILL_ACTIVE, 259, when it has not
    // ended within 15 s).
    DWORD ExitCode() {
        WaitForSingleObject(process_.hProcess, 15000);
        DWORD code = 12345;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }
    // Answers its message box "KOVAX" and waits for the box to go; the box's
    // text, empty when none came.
    std::wstring AnswerBox(int answer) {
        HWND box = WaitForProcessWindow(nullptr, L"#32770", L"KOVAX", process_.dwProcessId, 15000);
        if (!box) return L"";
        wchar_t text[512] = L"";
        GetDlgItemTextW(box, 0xFFFF, text, 512);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
        for (int waited = 0; waited < 10000 && IsWindow(box); waited += 50) Sleep(50);
        return text;
    }
    PROCESS_INFORMATION process_ = {};
};

// Real X keys: the shortcuts ignore injected ones (SendInput). Wine starts
// the Unix program itself.
void Xdotool(const std::wstring& args) {
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(StartProcess(L"Z:\\usr\\bin\\xdotool", args, nullptr, pi)) << "cannot run xdotool";
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}

TEST_F(ProgramRun, StartsShowsItsWindowsAndEndsWithCodeZeroOnDestroy) {
    SetCursorPos(1200, 1000);  // the window-mode output opens around the pointer
    ASSERT_TRUE(Launch()) << "cannot start " << GetLastError();

    HWND worker = Worker();
    ASSERT_NE(nullptr, worker) << "no message-only window \"KOVAX Worker\"";
    HWND output = Output();
    ASSERT_NE(nullptr, output) << "no output window";
    EXPECT_TRUE(IsWindowVisible(output));
    RECT r{};
    GetWindowRect(output, &r);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN) / 4, r.right - r.left);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN) / 4, r.bottom - r.top);

    Sleep(500);  // let it tick and draw a few frames
    EXPECT_EQ(0u, EndThrough(worker));
    EXPECT_FALSE(IsWindow(output));
}

// Any process can post to the program's windows: parameters that are no
// pointer, window or value of ours must give nothing, never a crash.
TEST_F(ProgramRun, HostileMessagesToItsWindowsNeitherCrashNorEndIt) {
    ASSERT_TRUE(Launch());
    HWND worker = Worker();
    ASSERT_NE(nullptr, worker);
    HWND output = Output();
    ASSERT_NE(nullptr, output);
    const LPARAM junk[] = {0x1234, -1, 0};
    for (HWND target : {worker, output}) {
        for (LPARAM value : junk) {
            PostMessageW(target, WM_APP + 1, static_cast<WPARAM>(value), value);
            PostMessageW(target, WM_TIMER, 1, value);
            for (const wchar_t* name :
                 {L"Message.SetFocus", L"Message.Activate", L"Message.CreateWnd", L"Message.DestroyWnd"}) {
                PostMessageW(target, RegisterWindowMessageW(name), static_cast<WPARAM>(value), value);
            }
        }
    }
    PostMessageW(output, WM_CLOSE, 0, 0);
    PostMessageW(output, WM_SYSCOMMAND, SC_CLOSE, 0);

    // Handled in the order posted: the program must still be there to end
    // cleanly on the destroy that follows them.
    EXPECT_EQ(0u, EndThrough(worker));
}

// Started from another folder that holds DLLs of its libraries' names: only
// the program's own folder counts. Without its hook library there, it ends.
TEST_F(ProgramRun, LoadsItsLibrariesOnlyFromItsOwnFolder) {
    const std::wstring base = TestsFolder() + L"planted-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring home = base + L"\\home\\", current = base + L"\\current\\";
    const wchar_t* names[] = {L"KVHook.dll", L"kvgui.dll"};
    for (const std::wstring& folder : {base, home, current}) CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(ProgramPath().c_str(), (home + L"KOVAX.exe").c_str(), FALSE));
    for (const wchar_t* name : names) {
        ASSERT_TRUE(CopyFileW((TestsFolder() + L"PlantedDll.dll").c_str(), (current + name).c_str(), FALSE));
    }

    ASSERT_TRUE(Launch(home + L"KOVAX.exe", current.c_str()));
    AnswerBox(IDOK);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process_.hProcess, 15000));
    for (const wchar_t* name : names) {
        std::wstring marker = current + name + L".loaded";
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(marker.c_str())) << "loaded the planted " << name;
        DeleteFileW(marker.c_str());
        DeleteFileW((current + name).c_str());
    }
    DeleteFileW((home + L"KOVAX.exe").c_str());
    for (const std::wstring& folder : {home, current, base}) RemoveDirectoryW(folder.c_str());
}

TEST_F(ProgramRun, ZeroFrameRateStillShutsDownCleanly) {
    SetDword(L"MaxFrameRate", 0);
    ASSERT_TRUE(Launch());
    HWND worker = Worker();
    ASSERT_NE(nullptr, worker);
    EXPECT_EQ(0u, EndThrough(worker));
}

// The real program with the real control panel (LC_ALL is English here).
TEST_F(ProgramRun, PanelZoomsFollowsTheShortcutsAndItsQuitEndsTheProgram) {
    ASSERT_TRUE(Launch());
    // Commands reach the magnifier once its loop runs.
    ASSERT_NE(nullptr, Worker());
    // The panel's caption shows the magnifier's zoom.
    auto panelCaptioned = [&](const wchar_t* caption) {
        return WaitForProcessWindow(nullptr, L"#32770", caption, process_.dwProcessId, 15000);
    };
    HWND panel = panelCaptioned(L"KOVAX Magnifier - 2.0x");
    ASSERT_NE(nullptr, panel) << "no control panel";

    SendMessageW(panel, WM_COMMAND, IDC_ZOOMIN, 0);
    EXPECT_EQ(panel, panelCaptioned(L"KOVAX Magnifier - 3.0x"));
    Xdotool(L"keydown alt sleep 0.15 key equal sleep 0.15 keyup alt");
    EXPECT_EQ(panel, panelCaptioned(L"KOVAX Magnifier - 4.0x")) << "after Alt+=";

    PostMessageW(panel, WM_COMMAND, ID_APP_EXIT, 0);
    HWND question = WaitForProcessWindow(nullptr, L"#32770", L"KOVAX Magnifier", process_.dwProcessId, 15000);
    ASSERT_NE(nullptr, question) << "no quit question";
    PostMessageW(question, WM_COMMAND, IDYES, reinterpret_cast<LPARAM>(GetDlgItem(question, IDYES)));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process_.hProcess, 15000)) << "did not end";
    DWORD code = 12345;
    GetExitCodeProcess(process_.hProcess, &code);
    EXPECT_EQ(0u, code);
}

// A panel held in a move loop, which any process can start by posting to it,
// holds up neither way of ending the program: the real Alt+Delete and the
// WM_DESTROY that the scripts post to its worker window.
TEST_F(ProgramRun, EndsWithinTwoSecondsWhileThePanelIsBeingMoved) {
    for (bool keys : {true, false}) {
        SCOPED_TRACE(keys ? "Alt+Delete" : "WM_DESTROY");
        ASSERT_TRUE(Launch());
        HWND worker = Worker();
        ASSERT_NE(nullptr, worker);
        HWND panel = WaitForProcessWindow(nullptr, L"#32770", L"KOVAX Magnifier - 2.0x", process_.dwProcessId, 15000);
        ASSERT_NE(nullptr, panel) << "no control panel";
        PostMessageW(panel, WM_SYSCOMMAND, SC_MOVE, 0);
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        DWORD panelThread = GetWindowThreadProcessId(panel, nullptr);
        for (int i = 0; i < 200 && !(GetGUIThreadInfo(panelThread, &info) && (info.flags & GUI_INMOVESIZE)); ++i) {
            Sleep(50);
        }
        ASSERT_TRUE(info.flags & GUI_INMOVESIZE) << "the panel is not being moved";

        if (keys) {
            Xdotool(L"keydown alt sleep 0.15 key Delete sleep 0.15 keyup alt");
        } else {
            PostMessageW(worker, WM_DESTROY, 0, 0);
        }
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process_.hProcess, 2000)) << "did not end";
        DWORD code = 12345;
        GetExitCodeProcess(process_.hProcess, &code);
        EXPECT_EQ(0u, code);
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
        process_ = {};
    }
}

// The overlay output end to end: no window of its own, frames drawn on the
// render thread until the hub's window is destroyed, no question asked.
TEST_F(ProgramRun, RunsTheOverlayOutputAndEndsWithCodeZeroOnDestroy) {
    SetDword(L"HardwareAccelerate", 1);
    ASSERT_TRUE(Launch());
    HWND worker = Worker();
    ASSERT_NE(nullptr, worker);
    Sleep(1000);  // frames
    EXPECT_EQ(nullptr, WaitForProcessWindow(nullptr, L"#32770", L"KOVAX", process_.dwProcessId, 100)) << "asked";
    EXPECT_EQ(nullptr, Output(100));
    EXPECT_EQ(0u, EndThrough(worker));
}

// What keeps the program from running here is told in a box of its own;
// once the box is answered, the program ends with code 2.
class CannotRun : public ProgramRun {
protected:
    static constexpr DWORD kCannotRun = 2;
};

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

TEST_F(CannotRun, MissingHookLibraryIsToldAndEndsWithCodeTwo) {
    // A copy of the program alone in a folder of its own.
    const std::wstring folder = TestsFolder() + L"alone-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring copy = folder + L"\\KOVAX.exe";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(ProgramPath().c_str(), copy.c_str(), FALSE));

    ASSERT_TRUE(Launch(copy));
    const std::wstring text = AnswerBox(IDOK);
    EXPECT_NE(std::wstring::npos, text.find(L"KVHook.dll is missing")) << Narrow(text);
    EXPECT_EQ(kCannotRun, ExitCode());
    // A copy that still runs cannot be deleted.
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 10000);
    DeleteFileW(copy.c_str());
    RemoveDirectoryW(folder.c_str());
}

// The hook library has eight slots, one per magnifier bound at once: eight
// listeners take them all in the program's own KVHook.dll.
TEST_F(CannotRun, NinthMagnifierIsToldTheLimitAndEndsWithCodeTwo) {
    std::wstring library = ProgramPath();
    library.replace(library.find_last_of(L"\\/") + 1, std::wstring::npos, L"KVHook.dll");
    std::vector<std::unique_ptr<HookListenerProcess>> holders;
    for (int i = 0; i < 8; ++i) {
        holders.push_back(std::make_unique<HookListenerProcess>(TestsFolder() + L"e2e\\HookListener.exe", library));
    }
    for (auto& holder : holders) ASSERT_EQ(1, holder->Ask(HookListener::kAskBound)) << "a holder could not bind";

    ASSERT_TRUE(Launch());
    const std::wstring text = AnswerBox(IDOK);
    EXPECT_NE(std::wstring::npos, text.find(L"At most 8 magnifiers")) << Narrow(text);
    EXPECT_EQ(kCannotRun, ExitCode());
}

// Neither output takes a display of fewer than 16 bits per pixel, the window
// output after a Yes to software mode included. Only on such a display
// (scripts/test.sh runs it again on one).
TEST_F(CannotRun, EightBitDisplayIsToldEvenAfterYesToSoftwareMode) {
    HDC screen = GetDC(nullptr);
    const int depth = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    if (depth >= 16) GTEST_SKIP() << "a display of " << depth << " bits per pixel";
    SetDword(L"HardwareAccelerate", 1);
    ASSERT_TRUE(Launch());
    const std::wstring question = AnswerBox(IDYES);
    EXPECT_NE(std::wstring::npos, question.find(L"software simulation mode")) << Narrow(question);
    const std::wstring text = AnswerBox(IDOK);
    EXPECT_NE(std::wstring::npos, text.find(L"16 bits per pixel")) << Narrow(text);
    EXPECT_EQ(kCannotRun, ExitCode());
}

}  // namespace

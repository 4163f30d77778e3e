// Every way the program can end puts the user's system cursors back: a normal
// end, an access violation, an uncaught C++ exception, a fatal stop (before
// its message, if it has one), frames that keep failing; and a run that was
// killed outright is undone by the next start.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/RegistrySandbox.h"

namespace {

std::wstring Folder() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    path.resize(path.find_last_of(L"\\/") + 1);
    return path;
}

class CrashRun : public testing::Test {
protected:
    void SetUp() override {
        marker_ = Folder() + L"crash-marker-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
        DeleteFileW(marker_.c_str());
        key_ = L"Software\\KOVAX-Tests\\crash-" + std::to_wstring(GetCurrentProcessId());
        SetDword(L"", L"FullScreen", 0);
        SetDword(L"", L"MagwinSticky", 1);
        SetDword(L"", L"HideSysCursor", 1);
        // The window output, and never the question of a failed overlay.
        SetDword(L"", L"HardwareAccelerate", 0);
    }
    void TearDown() override {
        DeleteFileW(marker_.c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, key_.c_str());
    }

    // A setting in the probe's registry, under its KOVAX key.
    void SetDword(const std::wstring& subKey, const wchar_t* name, DWORD value) {
        HKEY k = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, (key_ + L"\\Software\\KOVAX" + subKey).c_str(), 0, nullptr, 0, KEY_WRITE,
                        nullptr, &k, nullptr);
        RegSetValueExW(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
        RegCloseKey(k);
    }

    // Starts the probe; returns its process handle.
    HANDLE Start(const wchar_t* mode) {
        PROCESS_INFORMATION pi = {};
        std::wstring arguments = std::wstring(mode) + L" \"" + marker_ + L"\" \"" + key_ + L"\"";
        if (!StartProcess(Folder() + L"kovax_crashprobe.exe", arguments, nullptr, pi)) {
            ADD_FAILURE() << "cannot start the probe: " << GetLastError();
            return nullptr;
        }
        CloseHandle(pi.hThread);
        return pi.hProcess;
    }

    // Waits for the probe to end, and closes its handle; its exit code.
    DWORD End(HANDLE process) {
        if (!process) return 0xFFFFFFFF;
        DWORD code = 0xFFFFFFFF;
        if (WaitForSingleObject(process, 20000) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "the probe did not end";
            TerminateProcess(process, 99);
        }
        GetExitCodeProcess(process, &code);
        CloseHandle(process);
        return code;
    }
    DWORD RunToEnd(const wchar_t* mode) { return End(Start(mode)); }

    std::string Marker() {
        std::ifstream in(std::string(marker_.begin(), marker_.end()), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::wstring marker_;
    std::wstring key_;
};

TEST_F(CrashRun, AccessViolationRestoresTheCursors) {
    DWORD code = RunToEnd(L"fault");
    EXPECT_EQ(static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION), code);
    EXPECT_NE(std::string::npos, Marker().find("start")) << "every start reloads the cursors first";
    EXPECT_NE(std::string::npos, Marker().find("after")) << Marker();
}

TEST_F(CrashRun, UncaughtExceptionRestoresTheCursors) {
    // Depending on how the runtime unwinds, the exception ends in the
    // terminate handler (code 3) or reaches the crash filter as the
    // compiler's own exception code: either way the cursors come back.
    DWORD code = RunToEnd(L"throw");
    EXPECT_TRUE(code == 3 || code == 0x20474343u) << code;
    EXPECT_NE(std::string::npos, Marker().find("after")) << Marker();
}

TEST_F(CrashRun, FatalStopRestoresTheCursors) {
    EXPECT_EQ(1u, RunToEnd(L"fatal"));
    EXPECT_NE(std::string::npos, Marker().find("after")) << Marker();
}

// A picture frozen over the desktop, with the system cursors hidden, must
// not stay: frames that keep failing end the program as a fatal stop does.
TEST_F(CrashRun, FramesThatKeepFailingEndTheProgramLikeAFatalStop) {
    // Without the pointer's ring: Wine's GDI+ crashes inside itself once the
    // process is out of GDI objects ("expect a crash"), where the real one
    // reports a failure; the frame's own failures are what this is about.
    SetDword(L"\\HilightCursor", L"Show", 0);
    EXPECT_EQ(1u, RunToEnd(L"frames"));
    EXPECT_NE(std::string::npos, Marker().find("after")) << Marker();
}

TEST_F(CrashRun, NormalEndRestoresTheCursors) {
    EXPECT_EQ(0u, RunToEnd(L"quit"));
    EXPECT_NE(std::string::npos, Marker().find("after")) << Marker();
}

// The stop's box is system-modal: the user needs a pointer to answer it.
TEST_F(CrashRun, NullWindowStopRestoresTheCursorsBeforeItsMessage) {
    HANDLE process = Start(L"nullwindow");
    ASSERT_NE(nullptr, process);
    HWND box = WaitForProcessWindow(nullptr, L"#32770", nullptr, GetProcessId(process), 20000);
    EXPECT_NE(nullptr, box) << "no message box";
    EXPECT_NE(std::string::npos, Marker().find("after")) << "cursors still replaced under the box: " << Marker();
    if (box) PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(1u, End(process));
}

// A start that fails once the cursors were due to go (the output cannot
// open; the hook library refuses after the output opened) leaves them shown
// under the box that says why: the user needs a pointer to answer it.
TEST_F(CrashRun, AStartThatFailsLeavesTheCursorsShownUnderItsBox) {
    for (const wchar_t* mode : {L"nooutput", L"unbound"}) {
        SCOPED_TRACE(std::string(mode, mode + wcslen(mode)));
        DeleteFileW(marker_.c_str());
        HANDLE process = Start(mode);
        ASSERT_NE(nullptr, process);
        HWND box = WaitForProcessWindow(nullptr, L"#32770", L"KOVAX", GetProcessId(process), 20000);
        EXPECT_NE(nullptr, box) << "no message box";
        const std::string marker = Marker();
        const size_t lastHide = marker.rfind("hide");
        if (!wcscmp(mode, L"unbound")) {
            EXPECT_NE(std::string::npos, lastHide) << "never hidden: " << marker;
        }
        const bool reloadedSince = lastHide == std::string::npos ||
                                   marker.find("start", lastHide) != std::string::npos ||
                                   marker.find("after", lastHide) != std::string::npos;
        EXPECT_TRUE(reloadedSince) << "hidden under the box: " << marker;
        if (box) PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(2u, End(process));
    }
}

TEST_F(CrashRun, StartAfterAKilledRunReloadsTheCursors) {
    HANDLE process = Start(L"run");
    ASSERT_NE(nullptr, process);
    Sleep(1000);
    TerminateProcess(process, 9);  // no handler runs: the cursors stay replaced
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
    EXPECT_EQ("start\r\n", Marker().substr(0, 7));
    size_t before = Marker().size();

    process = Start(L"run");
    ASSERT_NE(nullptr, process);
    Sleep(1000);
    EXPECT_EQ("start\r\n", Marker().substr(before, 7)) << "the next start reloads them at once";
    TerminateProcess(process, 9);
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
}

}  // namespace

// The program with a trigger for each way it can die, for the crash tests:
//   kovax_crashprobe.exe MODE MARKER-FILE REGISTRY-KEY
// MODE is fault (an access violation), throw (an uncaught C++ exception on a
// thread of its own), fatal (a fatal stop), frames (every frame fails from
// then on: the process runs out of GDI objects), nullwindow (the hub's window
// procedure called without a window), quit (a normal end through the hub's
// window), run (nothing: the test kills it), nooutput (the output cannot open:
// its window class is taken) or unbound (the hook library refuses to bind).
// Every reload of the system cursors appends a line to MARKER-FILE: "start"
// before the trigger fired, "after" once it has; every system cursor
// replaced appends "hide".
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cwchar>
#include <stdexcept>

#include "core/Application.h"
#include "core/CrashGuard.h"
#include "core/EventDispatcher.h"
#include "core/ModulePath.h"
#include "magnifier/GDIMagWin.h"
#include "settings/MagSettings.h"

namespace {

volatile LONG g_triggered = 0;
HANDLE g_marker = INVALID_HANDLE_VALUE;
enum Mode { kRun, kFault, kThrow, kFatal, kFrames, kNullWindow, kQuit, kNoOutput, kUnbound } g_mode = kRun;

// Runs inside the crash filter: plain kernel calls only.
void Record(const char* line) {
    DWORD written = 0;
    WriteFile(g_marker, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
    FlushFileBuffers(g_marker);
}

void RecordReload() {
    Record(g_triggered ? "after\r\n" : "start\r\n");
}

// The real cursor calls, with every replacement recorded: the system may
// accept one without showing it.
class RecordingCursors : public CursorSystem {
public:
    HCURSOR LoadSystem(DWORD id) override { return RealCursorSystem().LoadSystem(id); }
    HCURSOR Copy(HCURSOR cursor) override { return RealCursorSystem().Copy(cursor); }
    BOOL SetSystem(HCURSOR cursor, DWORD id) override {
        Record("hide\r\n");
        return RealCursorSystem().SetSystem(cursor, id);
    }
    BOOL Reload() override { return RealCursorSystem().Reload(); }  // recorded by the reload probe
    void Destroy(HCURSOR cursor) override { RealCursorSystem().Destroy(cursor); }
};

HWND OwnWorker() {
    HWND w = nullptr;
    while ((w = FindWindowExW(HWND_MESSAGE, w, Hook::kMsgWindowClass, nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == GetCurrentProcessId()) return w;
    }
    return nullptr;
}

DWORD WINAPI Trigger(LPVOID) {
    Sleep(1500);  // well inside the message loop
    InterlockedExchange(&g_triggered, 1);
    switch (g_mode) {
        case kFault:
            *static_cast<volatile int*>(nullptr) = 1;
            break;
        case kThrow:
            throw std::runtime_error("uncaught");
        case kFatal:
            FatalExit();
        case kFrames:
            // Every frame needs GDI objects of its own. Taking all there are
            // once is not enough: the frame under way gives its own back and
            // the next would succeed. Whatever comes free is taken again.
            // (Wine's GDI+ crashes when it runs short in the middle of a
            // drawing: no highlight is drawn here.)
            g_settings.HilightCursorShow.Assign(0);
            for (;;) {
                while (CreatePen(PS_SOLID, 1, 0)) {
                }
                Sleep(1);
            }
        case kNullWindow:
            Hook::EventDispatcher::MsgWindowProc(nullptr, WM_NULL, 0, 0);
            break;
        case kQuit:
            PostMessageW(OwnWorker(), WM_DESTROY, 0, 0);
            break;
        case kRun:
        case kNoOutput:
        case kUnbound:
            break;
    }
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 4) return 2;
    if (!wcscmp(argv[1], L"fault")) g_mode = kFault;
    if (!wcscmp(argv[1], L"throw")) g_mode = kThrow;
    if (!wcscmp(argv[1], L"fatal")) g_mode = kFatal;
    if (!wcscmp(argv[1], L"frames")) g_mode = kFrames;
    if (!wcscmp(argv[1], L"nullwindow")) g_mode = kNullWindow;
    if (!wcscmp(argv[1], L"quit")) g_mode = kQuit;
    if (!wcscmp(argv[1], L"nooutput")) g_mode = kNoOutput;
    if (!wcscmp(argv[1], L"unbound")) g_mode = kUnbound;
    g_marker = CreateFileW(argv[2], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    g_cursorReloadProbe = RecordReload;

    // The test's own settings key stands in for the user's.
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, argv[3], 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, key);
    g_settings.Load();

    if (g_mode == kNoOutput) {
        WNDCLASSEXW taken = {};
        taken.cbSize = sizeof(taken);
        taken.lpfnWndProc = DefWindowProcW;
        taken.hInstance = GetModuleHandleW(nullptr);
        taken.lpszClassName = kMainWindowClass;
        if (!RegisterClassExW(&taken)) return 3;
    }
    if (g_mode == kUnbound) {
        // The test programs' stand-in library, held by the path the hub binds.
        HMODULE fake = LoadProgramLibrary(L"KVHook.dll");
        auto refuse = fake ? ModuleExport<void (*)(int)>(fake, "FakeHook_SetFailStep") : nullptr;
        if (!refuse) return 3;
        refuse(1);
    }

    CloseHandle(CreateThread(nullptr, 0, Trigger, nullptr, 0, nullptr));
    static RecordingCursors cursors;
    return RunMagnifier(cursors);
}

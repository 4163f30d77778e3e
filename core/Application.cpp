#include "core/Application.h"

#include <windows.h>

#include "core/CpuUsageMeter.h"
#include "core/CrashGuard.h"
#include "core/EventDispatcher.h"
#include "core/HotKeys.h"
#include "magnifier/CMagCommand.h"
#include "magnifier/DDraw/DDrawMagWin.h"
#include "magnifier/GDIMagWin.h"
#include "magnifier/SysCursorManager.h"
#include "resources/resource.h"
#include "settings/MagSettings.h"
#include "tracking/MagTracker.h"

HINSTANCE g_instance = nullptr;

namespace {

// A box of the program's own, its text from the string table in the
// system's language; the user's answer.
int ShowMessage(UINT text, UINT style) {
    wchar_t message[256] = L"";
    LoadStringW(GetModuleHandleW(nullptr), text, message, 256);
    return MessageBoxW(nullptr, message, L"KOVAX", style | MB_SYSTEMMODAL);
}

// The exit code of a start that cannot run here; 1 is the fatal stop's.
constexpr int kExitCannotRun = 2;

// The text that tells the user why the hook library could not be bound; 0
// when it was (or the loop ended before the library was tried).
UINT HookLibraryFailure(Hook::EventDispatcher::HookBinding binding) {
    switch (binding) {
        case Hook::EventDispatcher::HookBinding::kMissing:
            return IDS_HOOK_LIBRARY_MISSING;
        case Hook::EventDispatcher::HookBinding::kRefused:
            return IDS_HOOK_LIBRARY_REFUSED;
        default:
            return 0;
    }
}

}  // namespace

MagWin* CreateOutput(Hook::EventDispatcher* hub) {
    if (g_settings.HardwareAccelerate.Value()) {
        try {
            return new DDrawMagWin(hub);
        } catch (...) {
            // Whatever it was, the hardware path is out: ask for software mode.
        }
        if (ShowMessage(IDS_SOFTWARE_MODE, MB_YESNO | MB_ICONQUESTION) == IDNO) return nullptr;
    }
    return new GDIMagWin(hub);
}

int RunMagnifier(CursorSystem& cursors) {
    HCURSOR own = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_TRANSPARENT));
    g_sysCursorManager = new SysCursorManager(own, cursors);
    // Cursors left replaced by a run that died are put back first.
    RestoreSystemCursors();
    InstallCrashHandlers();
    g_cpuUsageMeter = new CpuUsageMeter();
    g_instance = GetModuleHandleW(nullptr);

    UINT failure = 0;  // the text of what kept the magnifier from running
    auto* hub = new Hook::EventDispatcher();
    if (MagWin* magwin = CreateOutput(hub)) {
        auto* tracker = new MagTracker(hub, magwin);
        auto* hotKeys = new HotKeys(hub, magwin, tracker);

        // The output's command object is always ours: it also keeps the cursors
        // in step with pauses that the panel may ask for while this runs.
        auto* command = static_cast<CMagCommand*>(magwin->Command());
        if (magwin->Start(tracker)) {
            command->HideCursorsForRun();
            hub->RunMessageLoop();
            command->RestoreCursorsForGood();
            magwin->Stop();
            failure = HookLibraryFailure(hub->LastHookBinding());
        } else {
            // Also the window output after a Yes to software mode: it refuses a
            // display of fewer than 16 bits per pixel, as the overlay does.
            failure = IDS_OUTPUT_UNAVAILABLE;
        }

        delete hotKeys;
        delete tracker;
        delete magwin;
    }
    delete hub;
    delete g_cpuUsageMeter;
    g_cpuUsageMeter = nullptr;
    SysCursorManager* manager = g_sysCursorManager;
    g_sysCursorManager = nullptr;
    delete manager;
    if (failure) {
        // Now that the cursors are back and the output is gone: the user
        // needs a pointer to answer, and nothing frozen stays behind the box.
        ShowMessage(failure, MB_OK | MB_ICONERROR);
        return kExitCannotRun;
    }
    return 0;
}

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

MagWin* CreateOutput(Hook::EventDispatcher* hub) {
    if (g_settings.HardwareAccelerate.Value()) {
        try {
            return new DDrawMagWin(hub);
        } catch (...) {
            // Whatever it was, the hardware path is out: ask for software mode.
        }
        wchar_t question[256] = L"";
        LoadStringW(GetModuleHandleW(nullptr), IDS_SOFTWARE_MODE, question, 256);
        if (MessageBoxW(nullptr, question, L"KOVAX", MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL) == IDNO) {
            return nullptr;
        }
    }
    return new GDIMagWin(hub);
}

int RunMagnifier() {
    HCURSOR own = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_TRANSPARENT));
    g_sysCursorManager = new SysCursorManager(own, RealCursorSystem());
    // Cursors left replaced by a run that died are put back first.
    RestoreSystemCursors();
    InstallCrashHandlers();
    g_cpuUsageMeter = new CpuUsageMeter();
    g_instance = GetModuleHandleW(nullptr);

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
    return 0;
}

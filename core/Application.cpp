#include "core/Application.h"

#include <windows.h>

#include "core/CpuUsageMeter.h"
#include "core/CrashGuard.h"
#include "core/EventDispatcher.h"
#include "core/HotKeys.h"
#include "magnifier/GDIMagWin.h"
#include "magnifier/SysCursorManager.h"
#include "resources/resource.h"
#include "settings/MagSettings.h"
#include "tracking/MagTracker.h"

HINSTANCE g_instance = nullptr;

int RunMagnifier() {
    HCURSOR own = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_TRANSPARENT));
    g_sysCursorManager = new SysCursorManager(own, RealCursorSystem());
    // Cursors left replaced by a run that died are put back first.
    RestoreSystemCursors();
    InstallCrashHandlers();
    g_cpuUsageMeter = new CpuUsageMeter();
    g_instance = GetModuleHandleW(nullptr);

    auto* hub = new Hook::EventDispatcher();
    MagWin* magwin = new GDIMagWin(hub);
    auto* tracker = new MagTracker(hub, magwin);
    auto* hotKeys = new HotKeys(hub, magwin, tracker);

    if (magwin->Start(tracker)) {
        if (g_settings.HideSysCursor.Value()) g_sysCursorManager->HideAll();
        hub->RunMessageLoop();
        g_sysCursorManager->RestoreAll();
        magwin->Stop();
    }

    delete hotKeys;
    delete tracker;
    delete magwin;
    delete hub;
    delete g_cpuUsageMeter;
    g_cpuUsageMeter = nullptr;
    SysCursorManager* manager = g_sysCursorManager;
    g_sysCursorManager = nullptr;
    delete manager;
    return 0;
}

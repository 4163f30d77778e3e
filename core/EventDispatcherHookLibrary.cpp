// The binding of the hook library KVHook.dll: it reports focus changes,
// activations and windows created or destroyed anywhere on the desktop to the
// hub's window, and calls the hub back on the main thread for the pointer's
// moves and wheel turns.
#include "core/EventDispatcher.h"
#include "core/ModulePath.h"

namespace Hook {

EventDispatcher::HookBinding EventDispatcher::LoadHookLibrary() {
    hookModule_ = LoadProgramLibrary(L"KVHook.dll");
    if (!hookModule_) return HookBinding::kMissing;
    installHooks_ = ModuleExport<KVInstallHooks>(hookModule_, "InstallHooks");
    uninstallHooks_ = ModuleExport<KVUninstallHooks>(hookModule_, "UninstallHooks");
    hookMouse_ = ModuleExport<KVHookMouse>(hookModule_, "HookMouse");
    unhookMouse_ = ModuleExport<KVUnhookMouse>(hookModule_, "UnhookMouse");
    if (!installHooks_ || !uninstallHooks_ || !hookMouse_ || !unhookMouse_) {
        // Nothing was installed: unbinding only frees the library.
        uninstallHooks_ = nullptr;
        unhookMouse_ = nullptr;
        UnloadHookLibrary();
        return HookBinding::kMissing;
    }
    if (!installHooks_(window_, messages_[0], messages_[1], messages_[2], messages_[3])) {
        uninstallHooks_ = nullptr;  // nothing to uninstall
        unhookMouse_ = nullptr;
        UnloadHookLibrary();
        return HookBinding::kRefused;
    }
    if (!hookMouse_(OnMouse, this)) {
        unhookMouse_ = nullptr;
        UnloadHookLibrary();
        return HookBinding::kRefused;
    }
    return HookBinding::kBound;
}

bool EventDispatcher::UnloadHookLibrary() {
    if (!hookModule_) return true;
    bool result = true;
    if (uninstallHooks_ && !uninstallHooks_(window_)) result = false;
    if (unhookMouse_ && !unhookMouse_()) result = false;
    if (!FreeLibrary(hookModule_)) result = false;
    hookModule_ = nullptr;
    installHooks_ = nullptr;
    uninstallHooks_ = nullptr;
    hookMouse_ = nullptr;
    unhookMouse_ = nullptr;
    return result;
}

bool EventDispatcher::OnMouse(void* context, UINT message, const void* data) {
    auto* hub = static_cast<EventDispatcher*>(context);
    const auto* record = static_cast<const MSLLHOOKSTRUCT*>(data);
    if (message == WM_MOUSEMOVE) {
        POINT point{record->pt.x - GetSystemMetrics(SM_XVIRTUALSCREEN),
                    record->pt.y - GetSystemMetrics(SM_YVIRTUALSCREEN)};
        hub->Dispatch(MouseMove, &point);
    } else if (message == WM_MOUSEWHEEL && GetAsyncKeyState(VK_MENU) < 0) {
        if (!hub->Dispatch(AltWheel, const_cast<void*>(data))) PostQuitMessage(1);
    }
    return true;
}

}  // namespace Hook

#include "magnifier/CMagCommand.h"

#include "core/CrashGuard.h"
#include "core/EventDispatcher.h"
#include "core/ScopedLock.h"
#include "magnifier/MagWin.h"
#include "magnifier/SysCursorManager.h"
#include "settings/MagSettings.h"

CMagCommand::CMagCommand(MagWin* magwin) : magwin_(magwin) {
    InitializeCriticalSection(&cursorLock_);
}

CMagCommand::~CMagCommand() {
    DeleteCriticalSection(&cursorLock_);
}

int CMagCommand::GetSmoothImage() { return g_settings.SmoothImage.Value() == 1 ? 1 : 0; }

void CMagCommand::SetSmoothImage(int value) { g_settings.SmoothImage.Assign(static_cast<DWORD>(value)); }

int CMagCommand::GetHilightCursorShow() { return g_settings.HilightCursorShow.Value() ? 1 : 0; }

void CMagCommand::SetHilightCursorShow(int show) {
    g_settings.HilightCursorShow.Assign(show ? 1 : 0);
    magwin_->NotifyPanel();
}

int CMagCommand::GetHilightFocusShow() { return g_settings.HilightFocusShow.Value() ? 1 : 0; }

void CMagCommand::SetHilightFocusShow(int show) {
    g_settings.HilightFocusShow.Assign(show ? 1 : 0);
    magwin_->NotifyPanel();
}

int CMagCommand::GetHilightCaretShow() { return g_settings.HilightCaretShow.Value() ? 1 : 0; }

void CMagCommand::SetHilightCaretShow(int show) {
    g_settings.HilightCaretShow.Assign(show ? 1 : 0);
    magwin_->NotifyPanel();
}

int CMagCommand::IsRunning() { return magwin_->IsActive() ? 1 : 0; }

void CMagCommand::StartStop() {
    {
        // The cursors come back before the output goes, and go before it
        // returns. Pause and Resume never wait for the main thread, which may
        // be waiting for this lock in a shortcut.
        ScopedLock lock(cursorLock_);
        bool hide = g_settings.HideSysCursor.Value() != 0;
        if (magwin_->IsActive()) {
            if (hide && g_sysCursorManager) g_sysCursorManager->RestoreAll();
            magwin_->Pause();
        } else {
            if (hide && !runEnded_ && g_sysCursorManager) g_sysCursorManager->HideAll();
            magwin_->Resume();
        }
    }
    magwin_->NotifyPanel();
}

void CMagCommand::HideCursorsForRun() {
    ScopedLock lock(cursorLock_);
    if (!runEnded_ && g_settings.HideSysCursor.Value() && magwin_->IsActive() && g_sysCursorManager) {
        g_sysCursorManager->HideAll();
    }
}

void CMagCommand::RestoreCursorsForGood() {
    ScopedLock lock(cursorLock_);
    runEnded_ = true;
    if (g_sysCursorManager) g_sysCursorManager->RestoreAll();
}

int CMagCommand::GetFullScreen() { return static_cast<int>(g_settings.FullScreen.Value()); }

void CMagCommand::ToggleFullScreen() {
    g_settings.FullScreen.Assign(g_settings.FullScreen.Value() == 0 ? 1 : 0);
    magwin_->NotifyPanel();
}

void CMagCommand::ZoomIn() { Zoom(1, +1.0); }

void CMagCommand::ZoomOut() { Zoom(1, -1.0); }

void CMagCommand::SetZoom(double factor) { Zoom(0, factor); }

double CMagCommand::GetZoom() { return magwin_->GetZoom(); }

void CMagCommand::Zoom(int relative, double value) {
    // The zoom belongs to the tracker on the main thread; the panel is told
    // once the new zoom is in place, so it reads the new value.
    magwin_->Hub()->RunOnMainThread(ZoomTask, this, relative, value);
}

void CMagCommand::ZoomTask(void* context, int relative, double value) {
    auto* self = static_cast<CMagCommand*>(context);
    self->magwin_->SetZoom(relative, value);
    self->magwin_->NotifyPanel();
}

void CMagCommand::OnSettingChanged(int kind, int) {
    switch (kind) {
        case kSettingHideSysCursor: {
            ScopedLock lock(cursorLock_);
            g_settings.HideSysCursor.LoadValue();
            if (!g_sysCursorManager) break;
            if (!g_settings.HideSysCursor.Value()) {
                g_sysCursorManager->RestoreAll();
            } else if (magwin_->IsActive() && !runEnded_) {
                // Paused, the output is hidden: hiding the cursors then would
                // leave the user without any pointer. Resuming hides them.
                g_sysCursorManager->HideAll();
            }
            break;
        }
        case kSettingUseMemCache:
            g_settings.UseMemCache.LoadValue();
            break;
        case kSettingMaxFrameRate:
            g_settings.MaxFrameRate.LoadValue();
            // The timer belongs to the main thread; this also works while paused.
            magwin_->Hub()->RunOnMainThread(FrameRateTask, this, 0, 0.0);
            break;
        case kSettingInvertColors:
            g_settings.InvertColors.LoadValue();
            break;
        default:
            break;
    }
}

void CMagCommand::FrameRateTask(void* context, int, double) {
    auto* self = static_cast<CMagCommand*>(context);
    if (!self->magwin_->Hub()->SetFrameRate(g_settings.MaxFrameRate.Value())) FatalExit();
}

void CMagCommand::Exit() { magwin_->Quit(); }

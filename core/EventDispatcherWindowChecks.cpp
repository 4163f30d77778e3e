// The delayed checks that confirm what the hook library reported: whether the
// window that took the focus shows a caret, and whether a reported activation
// took hold. Each asks the window's thread once, and again a little later
// while the answer is not yet there.
#include "core/EventDispatcher.h"

namespace Hook {

bool EventDispatcher::ThreadInfo(DWORD thread, GUITHREADINFO& info) {
    info = {};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(thread, &info) != FALSE;
}

int EventDispatcher::ClassifyFocus(GUITHREADINFO& info) {
    if (!focusWindow_) return 0;
    DWORD thread = GetWindowThreadProcessId(focusWindow_, nullptr);
    // A window that is gone has no thread; asking thread 0 would answer for
    // the foreground thread instead.
    if (!thread || !ThreadInfo(thread, info)) return 0;
    return info.hwndCaret == focusWindow_ ? 2 : 1;
}

bool EventDispatcher::CheckFocus(HWND window) {
    focusWindow_ = window;
    GUITHREADINFO info;
    switch (ClassifyFocus(info)) {
        case 1:
            return ScheduleCheck(CheckFocusCaret, 200);
        case 2:
            return ReportCaretFound(info);
        default:
            // The focus window's thread could not be asked (it may just have
            // ended): nothing to report now.
            return true;
    }
}

int EventDispatcher::ClassifyActivation() {
    if (!activation_.window) return 0;  // nothing awaits confirmation
    DWORD thread = focusWindow_ ? GetWindowThreadProcessId(focusWindow_, nullptr) : 0;
    GUITHREADINFO info;
    if (!ThreadInfo(thread, info)) return 0;
    return reinterpret_cast<WPARAM>(info.hwndActive) == activation_.window ? 2 : 1;
}

bool EventDispatcher::CheckActivation() {
    switch (ClassifyActivation()) {
        case 1:
            return ScheduleCheck(CheckKind::CheckActivation, 200);
        case 2:
            if (!Dispatch(Activated, &activation_)) return false;
            activation_ = {0, 0};
            return true;
        default:
            return true;
    }
}

bool EventDispatcher::OnCheckDue(void* context, void* data) {
    auto* hub = static_cast<EventDispatcher*>(context);
    const auto* check = static_cast<const PendingCheck*>(data);
    GUITHREADINFO info;
    switch (check->kind) {
        case CheckFocusCaret:
            switch (hub->ClassifyFocus(info)) {
                case 1:
                    return hub->ScheduleCheck(CheckFocusCaret, 1000);
                case 2:
                    return hub->ReportCaretFound(info);
                default:
                    return true;  // nothing to report; the check ends
            }
        case CheckCaretPosition:
            switch (hub->CompareCaret(info)) {
                case 2:
                    return hub->ScheduleCheck(CheckCaretPosition, 1000);
                case 3:
                    return hub->Dispatch(CaretChanged, &info);
                default:
                    return true;
            }
        case CheckKind::CheckActivation:
            switch (hub->ClassifyActivation()) {
                case 1:
                    return hub->ScheduleCheck(CheckKind::CheckActivation, 1000);
                case 2:
                    if (!hub->Dispatch(Activated, &hub->activation_)) return false;
                    hub->activation_ = {0, 0};
                    return true;
                default:
                    return true;
            }
        default:
            return true;  // left to the later listeners
    }
}

}  // namespace Hook

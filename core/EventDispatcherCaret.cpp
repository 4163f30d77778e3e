// The caret watch: after a typed key, or once a caret was found after a focus
// change, the caret is snapshotted and looked at again 100 ms later, so that
// where it settles is reported.
#include "core/EventDispatcher.h"
#include "core/KeyEventInfo.h"

namespace Hook {

bool EventDispatcher::OnKeyDownCaret(void* context, void* data) {
    const auto* key = static_cast<const KeyEventInfo*>(data);
    if (key->ctrl || key->alt) return true;
    return static_cast<EventDispatcher*>(context)->SnapshotCaret();
}

bool EventDispatcher::SnapshotCaret() {
    GUITHREADINFO info;
    // No answer (the foreground thread may be going away): nothing to watch.
    if (!ThreadInfo(0, info)) return true;
    if (!info.hwndCaret) return true;
    return WatchCaret(info.rcCaret);
}

bool EventDispatcher::WatchCaret(const RECT& caret) {
    caretSnapshot_ = {caret.left, caret.top, caret.right - caret.left, caret.bottom - caret.top};
    return ScheduleCheck(CheckCaretPosition, 100);
}

bool EventDispatcher::ReportCaretFound(GUITHREADINFO& info) {
    if (!Dispatch(CaretFound, &info)) return false;
    // A caret found right after a focus change may still be on its way: an
    // edit shows it at the start of the field and moves it to the selection a
    // moment later. Watched as after a typed key, its final place is
    // reported as well.
    return WatchCaret(info.rcCaret);
}

int EventDispatcher::CompareCaret(GUITHREADINFO& info) {
    if (caretSnapshot_.width <= 0 || caretSnapshot_.height <= 0) return 0;
    if (!ThreadInfo(0, info)) return 0;
    if (!info.hwndCaret) return 1;
    const RECT& c = info.rcCaret;
    ViewRect now{c.left, c.top, c.right - c.left, c.bottom - c.top};
    if (RectEqual(now, caretSnapshot_)) return 2;
    caretSnapshot_ = {0, 0, 0, 0};
    return 3;
}

}  // namespace Hook

// The pending checks: delays of a few hundred milliseconds (focus, caret and
// activation confirmation, the zoom's auto-repeat, the output's re-raise)
// counted down by the frame timer's ticks, each raised as CheckDue when it
// falls due.
#include <climits>

#include "core/EventDispatcher.h"

namespace Hook {

bool EventDispatcher::ScheduleCheck(int kind, int delay) {
    bool found = false;
    for (PendingCheck& c : pendingChecks_) {
        if (c.kind == kind) {
            c.remaining = delay;
            found = true;
        }
    }
    if (!found) pendingChecks_.push_back({kind, delay});
    return true;
}

void EventDispatcher::TickChecks(DWORD elapsed) {
    int step = elapsed > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(elapsed);
    // Only the checks pending when the tick began are advanced; one armed by a
    // listener during this pass starts counting from the next tick. Each due
    // check is dispatched on its own: one whose chain fails does not drop the
    // others (the window re-check must keep running).
    size_t count = pendingChecks_.size();
    auto it = pendingChecks_.begin();
    for (size_t i = 0; i < count && it != pendingChecks_.end(); ++i) {
        PendingCheck& check = *it;
        check.remaining = check.remaining < INT_MIN + step ? INT_MIN : check.remaining - step;
        if (check.remaining > 0) {
            ++it;
            continue;
        }
        Dispatch(CheckDue, &check);
        // A listener that scheduled this kind again has re-armed this very check.
        if (check.remaining <= 0) {
            it = pendingChecks_.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace Hook

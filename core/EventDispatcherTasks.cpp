// Tasks handed over to the main thread by other threads (the control panel's
// commands): queued in the hub and run by its loop.
#include "core/EventDispatcher.h"
#include "core/ScopedLock.h"

namespace Hook {

bool EventDispatcher::RunOnMainThread(MainThreadTask task, void* context, int i, double d) {
    if (GetCurrentThreadId() == thread_) {
        task(context, i, d);
        return true;
    }
    ScopedLock lock(taskLock_);
    if (!acceptingTasks_) return false;
    tasks_.push_back({task, context, i, d});
    // Before the loop has a window (the panel comes up first) the task
    // waits: the loop runs what was queued once it serves.
    HWND window = window_;
    if (window && !PostMessageW(window, kTaskMessage, 0, 0)) {
        tasks_.pop_back();
        return false;
    }
    return true;
}

void EventDispatcher::AcceptTasks(bool accept) {
    ScopedLock lock(taskLock_);
    acceptingTasks_ = accept;
    if (!accept) tasks_.clear();
}

void EventDispatcher::RunQueuedTasks() {
    // One wake-up may find several tasks, or none (a stray message); each
    // task runs outside the lock, so it may hand over further tasks.
    for (;;) {
        QueuedTask next;
        {
            ScopedLock lock(taskLock_);
            if (tasks_.empty()) return;
            next = tasks_.front();
            tasks_.pop_front();
        }
        next.task(next.context, next.i, next.d);
    }
}

}  // namespace Hook

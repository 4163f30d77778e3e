#include "tracking/WinEventReentrancyFilter.h"

#include <cstdlib>
#include <exception>
#include <new>

#include "framework/CMemoryException.h"
#include "settings/StaticInitOrder.h"
#include "tracking/WinEventTracker.h"

namespace Hook {

WinEventReentrancyFilter* g_winEventFilter = nullptr;

WinEventReentrancyFilter_Impl::~WinEventReentrancyFilter_Impl() {
    while (head_) {
        QueuedCall* call = head_;
        head_ = call->next;
        delete call;
    }
}

void WinEventReentrancyFilter_Impl::Filter(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child,
                                           DWORD thread, DWORD time) {
    if (busy_) {
        auto* call = new (std::nothrow) QueuedCall{nullptr, hook, {event, window, object, child, thread, time}};
        if (!call) AfxThrowMemoryException();
        if (tail_) {
            tail_->next = call;
        } else {
            head_ = call;
        }
        tail_ = call;
        return;
    }
    busy_ = 1;
    std::exception_ptr failure;
    try {
        if (callback_) callback_(hook, event, window, object, child, thread, time);
    } catch (...) {
        failure = std::current_exception();
    }
    Drain();
    busy_ = 0;
    if (failure) std::rethrow_exception(failure);
}

void WinEventReentrancyFilter_Impl::Drain() {
    // Calls that arrive while draining are appended and drained here too.
    while (head_) {
        QueuedCall* call = head_;
        head_ = call->next;
        if (!head_) tail_ = nullptr;
        const WinEventRecord& r = call->record;
        try {
            if (callback_) callback_(call->hook, r.event, r.window, r.object, r.child, r.thread, r.time);
        } catch (...) {
            // One notification lost; the others still count.
        }
        delete call;
    }
}

namespace {

void DeleteWinEventFilter() {
    delete g_winEventFilter;
    g_winEventFilter = nullptr;
}

struct InitWinEventFilter {
    InitWinEventFilter() {
        auto* filter = new WinEventReentrancyFilter_Impl();
        g_winEventFilter = filter;
        filter->SetCallback(WinEventTracker::OnWinEvent);
        atexit(DeleteWinEventFilter);
    }
} g_initWinEventFilter KV_INIT_PRIORITY(KV_INIT_WINEVENT_FILTER);

}  // namespace

}  // namespace Hook

#include "tracking/MagTracker.h"

#include "core/CrashGuard.h"
#include "core/EventDispatcher.h"
#include "magnifier/MagWin.h"
#include "settings/MagSettings.h"
#include "tracking/UserEventCaretCapture.h"
#include "tracking/UserEventFocusCapture.h"
#include "tracking/UserEventMouseCapture.h"
#include "tracking/UserEventPosition.h"
#include "tracking/WinEventTracker.h"

namespace {

struct Subscription {
    int kind;
    Hook::ListenerCallback callback;
};

// Subscribed in this order; after the hub's own Tick listener, so on every tick
// the frame is queued before the view moves.
const Subscription kSubscriptions[] = {
    {Hook::Tick, MagTracker::OnTick},           {Hook::MouseMove, MagTracker::OnMouseMove},
    {Hook::CaretFound, MagTracker::OnCaret},    {Hook::FocusMessage, MagTracker::OnFocusMessage},
    {Hook::CaretChanged, MagTracker::OnCaret},  {Hook::WindowDestroyed, MagTracker::IgnoreEvent},
    {Hook::Activated, MagTracker::IgnoreEvent}, {Hook::CheckDue, MagTracker::IgnoreEvent},
};

}  // namespace

MagTracker::MagTracker(Hook::EventDispatcher* hub, MagWin* magwin)
    : hub_(hub), magwin_(magwin), mainThread_(GetCurrentThreadId()) {
    zoom_ = ZoomFromLevel(g_settings.ZoomLevel_10.Value());
    winEvents_ = new Hook::WinEventTracker(this, magwin_);
    for (const Subscription& s : kSubscriptions) {
        if (!hub_->AddListener(s.kind, s.callback, this)) FatalExit();
    }
}

MagTracker::~MagTracker() {
    for (const Subscription& s : kSubscriptions) hub_->RemoveListener(s.kind, s.callback);
    delete winEvents_;
    for (UserEventBase* e : events_) delete e;
    events_.clear();
}

bool MagTracker::AddEvent(UserEventBase* event) {
    RemoveEventsOfKind(event->Kind(), event->MaxKept() - 1);
    frontChanged_ = false;
    needsUpdate_ = true;
    events_.push_front(event);
    return true;
}

bool MagTracker::RemoveEventsOfKind(int kind, int keep) {
    bool frontDeleted = false;
    for (auto it = events_.begin(); it != events_.end();) {
        if ((*it)->Kind() != kind) {
            ++it;
        } else if (keep > 0) {
            --keep;
            ++it;
        } else {
            if (it == events_.begin()) frontDeleted = true;
            delete *it;
            it = events_.erase(it);
        }
    }
    if (frontDeleted && !events_.empty()) {
        frontChanged_ = true;
        needsUpdate_ = true;
    }
    return true;
}

bool MagTracker::SetZoom(int relative, double value) {
    if (GetCurrentThreadId() == mainThread_) return ApplyZoom(relative, value);
    // The event list and flags belong to the main thread.
    return hub_->RunOnMainThread(ZoomTask, this, relative, value);
}

void MagTracker::ZoomTask(void* context, int relative, double value) {
    static_cast<MagTracker*>(context)->ApplyZoom(relative, value);
}

bool MagTracker::ApplyZoom(int relative, double value) {
    double zoom = NextZoom(zoom_, relative, value);
    zoom_ = zoom;
    g_settings.ZoomLevel_10.Assign(LevelFromZoom(zoom));
    if (!events_.empty()) {
        needsUpdate_ = true;
        return true;
    }
    // Nothing to follow: re-centre at the new size on the old centre.
    return AddEvent(new UserEventPosition(0, 0, this));
}

bool MagTracker::CenteredView(ViewRect& out) const {
    VirtualScreen screen = Screen();
    return CenteredViewRect(magwin_->WindowRect(), magwin_->SourceRect(), zoom_, noScale_, {screen.cx, screen.cy}, out);
}

bool MagTracker::ComputeView(int step, ViewRect& out) const {
    if (events_.empty()) return false;
    ViewRect target{};
    if (!events_.front()->GetRect(target)) return false;
    ViewRect centred{};
    if (!CenteredView(centred)) return false;
    VirtualScreen screen = Screen();
    return StepView(target, centred, magwin_->SourceRect(), step, {screen.cx, screen.cy}, out);
}

void MagTracker::AddFocusEvent(const RECT& rect) {
    AddEvent(new UserEventFocusCapture(FocusRectFromRECT(rect), this));
}

bool MagTracker::OnTick(void* context, void* data) {
    return static_cast<MagTracker*>(context)->Update(*static_cast<DWORD*>(data));
}

bool MagTracker::Update(DWORD elapsed) {
    if (events_.empty() || !needsUpdate_) return true;
    screen_ = VirtualScreen::Read();
    inUpdate_ = true;
    bool result = UpdateView(elapsed);
    inUpdate_ = false;
    return result;
}

bool MagTracker::UpdateView(DWORD elapsed) {
    int mode = frontChanged_ ? 1 : events_.front()->SmoothPan();
    // Computing from the current rectangles and setting the result is one
    // step: the render thread's full-screen switch must not slip in between.
    MagWin::ViewLock lock(*magwin_);
    if (mode == 0) {
        ViewRect view{};
        if (!ComputeView(0, view)) return false;
        magwin_->SetSourceRect(view, true);
        needsUpdate_ = false;
        frontChanged_ = false;
        return true;
    }
    if (mode != 1) return true;
    ViewRect panned{};
    int step = static_cast<int>(elapsed / 2 > 0x7FFFFFFFu ? 0x7FFFFFFFu : elapsed / 2);
    if (!ComputeView(step, panned)) return false;
    if (RectEqual(panned, magwin_->SourceRect())) {
        needsUpdate_ = false;
        frontChanged_ = false;
        return true;
    }
    magwin_->SetSourceRect(panned, true);
    ViewRect final{};
    if (!ComputeView(0, final)) return false;
    if (RectEqual(final, panned)) {
        needsUpdate_ = false;
        frontChanged_ = false;
    }
    return true;
}

bool MagTracker::OnMouseMove(void* context, void* data) {
    auto* self = static_cast<MagTracker*>(context);
    const POINT* p = static_cast<const POINT*>(data);
    return self->AddEvent(new UserEventMouseCapture(self, p->x, p->y));
}

bool MagTracker::OnCaret(void* context, void* data) {
    auto* self = static_cast<MagTracker*>(context);
    const auto* info = static_cast<const GUITHREADINFO*>(data);
    // The caret rectangle is relative to the caret window's client area. A
    // window that is already gone (another program closing) is no reason to
    // stop: the report is dropped.
    POINT origin{0, 0};
    if (!info->hwndCaret || !ClientToScreen(info->hwndCaret, &origin)) return true;
    ViewRect caret = CaretRectFromThreadInfo(info->rcCaret, origin, self->Screen());
    return self->AddEvent(new UserEventCaretCapture(self, caret));
}

bool MagTracker::OnFocusMessage(void* context, void*) {
    return static_cast<MagTracker*>(context)->RemoveEventsOfKind(kCaretEventKind, 0);
}

bool MagTracker::IgnoreEvent(void*, void*) {
    return true;
}

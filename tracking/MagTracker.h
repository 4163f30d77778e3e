#pragma once
// The view tracker: turns user events into the source rectangle of the
// magnifier window and owns the zoom factor. It keeps the newest event of each
// kind, newest first, and on every tick moves the view towards the front
// event's target, at once or panning by elapsed time. It owns the
// accessibility tracker, which reports the focused objects to it.
//
// The event list and the update flags belong to the main thread. SetZoom may
// be called from any thread: from another one it is handed to the main thread.
// The render thread reads the zoom and the no-zoom flag (through
// CenteredView), hence atomics.
#include <windows.h>

#include <atomic>
#include <list>

#include "magnifier/ViewRect.h"
#include "tracking/ViewGeometry.h"

namespace Hook {
class EventDispatcher;
class WinEventTracker;
}  // namespace Hook
class MagWin;
class UserEventBase;

class MagTracker {
public:
    MagTracker(Hook::EventDispatcher* hub, MagWin* magwin);
    ~MagTracker();
    MagTracker(const MagTracker&) = delete;
    MagTracker& operator=(const MagTracker&) = delete;

    // Takes ownership of a new event and puts it at the front.
    bool AddEvent(UserEventBase* event);
    // Deletes the events of kind except the keep newest.
    bool RemoveEventsOfKind(int kind, int keep);
    // relative 0 sets the zoom to value; otherwise one table step up (value >
    // 0) or down. Stores ZoomLevel_10. Safe from any thread.
    bool SetZoom(int relative, double value);
    bool CenteredView(ViewRect& out) const;
    bool ComputeView(int step, ViewRect& out) const;
    // A focused object's rectangle, in screen coordinates.
    void AddFocusEvent(const RECT& rect);

    // The virtual screen as read once at the start of the current update, or
    // anew outside an update. Reading the metrics is cheap on Windows but not
    // everywhere, and one update would otherwise read them a dozen times.
    // Only the main thread runs updates; other threads always read anew.
    VirtualScreen Screen() const {
        return inUpdate_ && GetCurrentThreadId() == mainThread_ ? screen_ : VirtualScreen::Read();
    }

    double Zoom() const { return zoom_; }
    bool NoScale() const { return noScale_; }
    // While set the view has the window's own size. Main thread.
    void SetNoScale(bool noScale) {
        noScale_ = noScale;
        needsUpdate_ = true;
    }
    bool NeedsUpdate() const { return needsUpdate_; }
    const std::list<UserEventBase*>& Events() const { return events_; }

    static bool OnTick(void* context, void* data);
    static bool OnMouseMove(void* context, void* data);
    static bool OnCaret(void* context, void* data);
    static bool OnFocusMessage(void* context, void* data);
    static bool IgnoreEvent(void* context, void* data);

private:
    bool ApplyZoom(int relative, double value);
    static void ZoomTask(void* context, int relative, double value);
    bool Update(DWORD elapsed);
    bool UpdateView(DWORD elapsed);

    Hook::EventDispatcher* hub_;
    MagWin* magwin_;
    bool needsUpdate_ = false;
    bool frontChanged_ = false;
    std::atomic<double> zoom_{kZoomDefault};
    std::atomic<bool> noScale_{false};
    std::list<UserEventBase*> events_;
    Hook::WinEventTracker* winEvents_ = nullptr;
    DWORD mainThread_;
    std::atomic<bool> inUpdate_{false};
    VirtualScreen screen_{};
};

// Following benchmark: how long from a pointer move (the hook library's mouse
// callback) to the first queued frame whose source rectangle contains the
// pointer, in ticks and milliseconds, at MaxFrameRate 30 and 60; and what the
// tracker's update costs per tick. Prints figures; asserts nothing.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "core/EventDispatcher.h"
#include "magnifier/MagWin.h"
#include "settings/MagSettings.h"
#include "tracking/MagTracker.h"
#include "tracking/UserEventMouseCapture.h"

namespace {

// An output that draws nothing: only the queue and the rectangles matter here.
class NullMagWin : public MagWin {
public:
    using MagWin::MagWin;
    bool Render(RenderRequest&) override { return true; }
    bool OnSourceChanged() override { return true; }
    bool OnWindowChanged() override { return true; }
};

struct Run {
    Hook::EventDispatcher* hub = nullptr;
    MagWin* magwin = nullptr;
    std::vector<POINT> targets;
    size_t next = 0;
    bool waiting = false;
    POINT pointer{};
    double movedAt = 0;
    int ticksSinceMove = 0;
    std::vector<double> ms;
    std::vector<int> ticks;
};

// After the output has queued its frame: was the pointer inside it?
bool AfterFrame(void* context, void*) {
    auto* run = static_cast<Run*>(context);
    if (!run->waiting) return true;
    ++run->ticksSinceMove;
    ViewRect s = run->magwin->SourceRect();
    if (run->pointer.x >= s.x && run->pointer.x < s.x + s.width && run->pointer.y >= s.y &&
        run->pointer.y < s.y + s.height) {
        run->ms.push_back(Now() - run->movedAt);
        run->ticks.push_back(run->ticksSinceMove);
        run->waiting = false;
    }
    return true;
}

// Last on every tick: move the pointer once the previous move was followed.
bool MoveOnTick(void* context, void*) {
    auto* run = static_cast<Run*>(context);
    if (run->waiting) return true;
    if (run->next == run->targets.size()) {
        PostMessageW(run->hub->Window(), WM_DESTROY, 0, 0);
        return true;
    }
    run->pointer = run->targets[run->next++];
    MSLLHOOKSTRUCT record = {};
    record.pt = run->pointer;
    run->movedAt = Now();
    run->ticksSinceMove = 0;
    run->waiting = true;
    Hook::EventDispatcher::OnMouse(run->hub, WM_MOUSEMOVE, &record);
    return true;
}

void Latency(unsigned rate) {
    g_settings.MaxFrameRate.Assign(rate);
    Hook::EventDispatcher hub;
    NullMagWin magwin(&hub);
    MagTracker tracker(&hub, &magwin);
    Run run;
    run.hub = &hub;
    run.magwin = &magwin;
    for (int i = 0; i < 20; ++i) run.targets.push_back({i % 2 ? 100 + i * 7 : 1180 - i * 5, i % 2 ? 900 - i * 3 : 80 + i});
    hub.AddListener(Hook::Frame, AfterFrame, &run);
    hub.AddListener(Hook::Tick, MoveOnTick, &run);
    if (!magwin.Start(&tracker) || !hub.RunMessageLoop()) {
        std::printf("MaxFrameRate %u: cannot run the loop (is KVHook.dll next to the program?)\n", rate);
        return;
    }
    magwin.Stop();
    hub.RemoveListener(Hook::Frame, AfterFrame);
    hub.RemoveListener(Hook::Tick, MoveOnTick);
    double sumMs = 0, maxMs = 0;
    int sumTicks = 0, maxTicks = 0;
    for (size_t i = 0; i < run.ms.size(); ++i) {
        sumMs += run.ms[i];
        maxMs = run.ms[i] > maxMs ? run.ms[i] : maxMs;
        sumTicks += run.ticks[i];
        maxTicks = run.ticks[i] > maxTicks ? run.ticks[i] : maxTicks;
    }
    size_t n = run.ms.size() ? run.ms.size() : 1;
    std::printf("MaxFrameRate %3u: %zu moves, frames to reach the pointer: mean %.2f max %d; ms: mean %.1f max %.1f\n",
                rate, run.ms.size(), static_cast<double>(sumTicks) / n, maxTicks, sumMs / n, maxMs);
}

void TrackerCost() {
    Hook::EventDispatcher hub;
    NullMagWin magwin(&hub);
    MagTracker tracker(&hub, &magwin);
    magwin.SetWindowRect({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, false);
    magwin.SetSourceRect({0, 0, 640, 512}, false);
    const int rounds = 20000;
    DWORD elapsed = 33;
    double start = Now();
    for (int i = 0; i < rounds; ++i) {
        tracker.AddEvent(new UserEventMouseCapture(&tracker, (i * 37) % 1280, (i * 53) % 1024));
        MagTracker::OnTick(&tracker, &elapsed);
    }
    double withMove = (Now() - start) * 1000.0 / rounds;
    start = Now();
    for (int i = 0; i < rounds; ++i) MagTracker::OnTick(&tracker, &elapsed);
    double idle = (Now() - start) * 1000.0 / rounds;
    std::printf("tracker per tick: %.2f us after a pointer move, %.3f us with nothing to do\n", withMove, idle);
}

}  // namespace

int main() {
    ScratchSettings settings;

    Latency(30);
    Latency(60);
    TrackerCost();

    return 0;
}

// The frame timer: timer 1 on the hub's window raises Tick, whose first
// listener (the hub's own) counts the pending checks down, adapts the frame
// rate to the processor's load and raises Frame.
#include "core/CpuUsageMeter.h"
#include "core/EventDispatcher.h"
#include "core/FrameRate.h"
#include "magnifier/ViewRect.h"
#include "settings/MagSettings.h"

namespace Hook {

void EventDispatcher::RaiseTick() {
    DWORD elapsed = GetTickCount() - lastTick_;
    bool ok = Dispatch(Tick, &elapsed);
    // The listeners' own time does not count towards the next tick.
    lastTick_ = GetTickCount();
    if (!ok) PostQuitMessage(0);
}

bool EventDispatcher::SetFrameRate(unsigned rate) {
    if (GetCurrentThreadId() != thread_) return false;
    if (timer_) {
        if (!KillTimer(window_, kFrameTimerId)) return false;
        timer_ = 0;
    }
    if (rate == 0) return true;
    unsigned effective = EffectiveFrameRate(rate, g_settings.MaxFrameRate.Value());
    rate_ = effective;
    interval_ = FrameInterval(effective);
    timer_ = SetTimer(window_, kFrameTimerId, interval_, nullptr);
    return timer_ != 0;
}

bool EventDispatcher::OnTick(void* context, void* data) {
    auto* hub = static_cast<EventDispatcher*>(context);
    DWORD elapsed = *static_cast<DWORD*>(data);
    hub->TickChecks(elapsed);

    int load = g_cpuUsageMeter ? g_cpuUsageMeter->GetUsage() : 0;
    unsigned rate = hub->rate_;
    unsigned next = AdaptFrameRate(rate, g_settings.MaxFrameRate.Value(), load, elapsed, hub->rateAccumulator_);
    if (next != rate && !hub->SetFrameRate(next)) return false;

    ViewRect none{0, 0, 0, 0};
    return hub->Dispatch(Frame, &none);
}

}  // namespace Hook

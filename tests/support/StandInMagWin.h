#pragma once
// A magnifier output without a back end, for tests of what sits around it:
// draws nothing, and counts the source and window changes it is told of.
// Its virtual screen may be moved to begin elsewhere. Tests that need more
// record it in a subclass.
#include "core/EventDispatcher.h"
#include "magnifier/MagWin.h"

class StandInMagWin : public MagWin {
public:
    explicit StandInMagWin(Hook::EventDispatcher* hub) : MagWin(hub) {}
    // Stopped here, while the overrides the render thread calls still exist.
    ~StandInMagWin() override { Stop(); }

    bool Render(RenderRequest&) override { return true; }
    bool OnSourceChanged() override {
        ++sourceChanges;
        return true;
    }
    bool OnWindowChanged() override {
        ++windowChanges;
        return true;
    }

    POINT VirtualOrigin() const override { return origin; }

    POINT origin = MagWin::VirtualOrigin();
    volatile int sourceChanges = 0;
    volatile int windowChanges = 0;
};

#include "core/FrameRate.h"

namespace Hook {

unsigned EffectiveFrameRate(unsigned requested, unsigned upper) {
    unsigned rate = requested < upper ? requested : upper;
    return rate > kLowestRate ? rate : kLowestRate;
}

unsigned FrameInterval(unsigned effectiveRate) {
    if (effectiveRate == 0) return 1000;
    unsigned interval = 1000 / effectiveRate;
    return interval < kShortestInterval ? kShortestInterval : interval;
}

unsigned AdaptFrameRate(unsigned rate, unsigned upper, int load, unsigned elapsed, int& accumulator) {
    // Elapsed times beyond a day only come from a stalled clock; keep the sum sane.
    int step = elapsed > 86400000u ? 86400000 : static_cast<int>(elapsed);
    if (load > kLoadHigh) {
        accumulator += step;
        if (accumulator >= kRateWindow) {
            accumulator = 0;
            if (rate > kLowestRate) return rate - 1;
        }
    } else if (load < kLoadLow) {
        accumulator -= step;
        if (accumulator <= 0) {
            accumulator = kRateWindow;
            if (rate < upper) return rate + 1;
        }
    }
    return rate;
}

}  // namespace Hook

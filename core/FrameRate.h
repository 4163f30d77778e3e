#pragma once
// The frame timer's arithmetic: rate limits, the timer interval, and the
// load-driven step of the rate. Plain functions, so they can be checked
// without a window or a clock.

namespace Hook {

constexpr unsigned kLowestRate = 3;
constexpr unsigned kShortestInterval = 10;  // ms
constexpr int kLoadHigh = 50;               // %
constexpr int kLoadLow = 10;                // %
constexpr int kRateWindow = 1000;           // ms of load per rate step
constexpr int kRateAccumulatorStart = kRateWindow / 2;

// The rate that is actually set for a requested rate under the upper bound
// MaxFrameRate: never above the bound, never below 3 (a bound under 3 gives 3).
unsigned EffectiveFrameRate(unsigned requested, unsigned upper);

// Timer interval of an effective rate, in ms: 1000 / rate, at least 10.
unsigned FrameInterval(unsigned effectiveRate);

// One tick of the rate controller. A second of summed tick time above 50 %
// load lowers the rate by one, a second below 10 % raises it by one (up to
// upper); the accumulator carries the partial second. Returns the rate to
// set, which equals rate when nothing changes.
unsigned AdaptFrameRate(unsigned rate, unsigned upper, int load, unsigned elapsed, int& accumulator);

}  // namespace Hook

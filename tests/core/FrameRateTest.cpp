// The frame timer's arithmetic: the bounded rate, its timer interval and the
// load-driven rate controller, fed with chosen loads and tick lengths.
#include <gtest/gtest.h>

#include "core/FrameRate.h"

using namespace Hook;

namespace {

TEST(FrameRateLimits, EffectiveRateLiesBetweenThreeAndTheUpperBound) {
    const struct {
        unsigned requested, upper, effective;
    } cases[] = {
        {30, 30, 30}, {60, 30, 30}, {10, 30, 10}, {4, 100, 4}, {3, 100, 3},  {2, 100, 3},
        {1, 30, 3},   {0, 30, 3},   {30, 2, 3},   {30, 1, 3},  {30, 0, 3},   {200, 200, 200},
        {1000, 200, 200},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.effective, EffectiveFrameRate(c.requested, c.upper))
            << "requested " << c.requested << ", upper " << c.upper;
    }
}

TEST(FrameRateLimits, IntervalIsOneSecondOverTheRateButAtLeastTenMs) {
    const struct {
        unsigned rate, interval;
    } cases[] = {
        {30, 33}, {20, 50}, {10, 100}, {3, 333}, {90, 11}, {99, 10}, {100, 10}, {101, 10}, {200, 10}, {1000, 10},
    };
    for (const auto& c : cases) EXPECT_EQ(c.interval, FrameInterval(c.rate)) << "rate " << c.rate;
}

// One controller step; the result and the accumulator after it.
struct Step {
    unsigned rate;
    int accumulator;
};

Step Adapt(unsigned rate, unsigned upper, int load, unsigned elapsed, int accumulator) {
    unsigned next = AdaptFrameRate(rate, upper, load, elapsed, accumulator);
    return {next, accumulator};
}

#define EXPECT_STEP(expectedRate, expectedAccumulator, step)    \
    do {                                                        \
        Step s_ = (step);                                       \
        EXPECT_EQ(static_cast<unsigned>(expectedRate), s_.rate); \
        EXPECT_EQ(expectedAccumulator, s_.accumulator);         \
    } while (0)

TEST(FrameRateAdapt, HighLoadForASecondStepsDownAndStartsOver) {
    EXPECT_EQ(500, kRateAccumulatorStart);
    int acc = kRateAccumulatorStart;
    EXPECT_EQ(30u, AdaptFrameRate(30, 30, 80, 400, acc));
    EXPECT_EQ(900, acc);
    EXPECT_EQ(29u, AdaptFrameRate(30, 30, 80, 100, acc));
    EXPECT_EQ(0, acc);
    // One low-load tick from 0, however short, is at once a step back up.
    EXPECT_EQ(30u, AdaptFrameRate(29, 30, 5, 1, acc));
    EXPECT_EQ(1000, acc);

    // Overshooting the second counts as reaching it; the excess is dropped.
    EXPECT_STEP(19, 0, Adapt(20, 30, 51, 2500, 900));
    EXPECT_STEP(20, 999, Adapt(20, 30, 100, 999, 0));
}

TEST(FrameRateAdapt, LowLoadForASecondStepsUpToTheBoundOnly) {
    int acc = kRateAccumulatorStart;
    EXPECT_EQ(20u, AdaptFrameRate(20, 30, 0, 300, acc));
    EXPECT_EQ(200, acc);
    EXPECT_EQ(21u, AdaptFrameRate(20, 30, 9, 200, acc));
    EXPECT_EQ(1000, acc);
    EXPECT_EQ(21u, AdaptFrameRate(21, 30, 0, 999, acc));
    EXPECT_EQ(1, acc);
    EXPECT_EQ(22u, AdaptFrameRate(21, 30, 0, 1, acc));
    EXPECT_EQ(1000, acc);

    // At the bound the second still starts over, without a step.
    EXPECT_STEP(30, 1000, Adapt(30, 30, 0, 50, 10));
    EXPECT_STEP(3, 1000, Adapt(3, 3, 0, 5000, 500));
}

TEST(FrameRateAdapt, LowestRateStaysButTheSecondStartsOver) {
    EXPECT_STEP(3, 0, Adapt(3, 30, 90, 200, 900));
    EXPECT_STEP(4, 0, Adapt(5, 30, 90, 200, 900));
}

TEST(FrameRateAdapt, LoadsOfExactlyFiftyOrTenChangeNothing) {
    for (int load : {10, 30, 50}) {
        for (int acc : {0, 500, 1000}) {
            SCOPED_TRACE(testing::Message() << "load " << load << ", accumulator " << acc);
            EXPECT_STEP(20, acc, Adapt(20, 30, load, 5000, acc));
        }
    }
    // Just outside the band the controller acts.
    EXPECT_STEP(20, 501, Adapt(20, 30, 51, 1, 500));
    EXPECT_STEP(20, 499, Adapt(20, 30, 9, 1, 500));
}

TEST(FrameRateAdapt, ElapsedBeyondTheSignedRangeStillCountsForward) {
    // A stalled or wrapped clock gives huge tick lengths: they must still
    // count as a long time, never as a negative one.
    EXPECT_STEP(19, 0, Adapt(20, 30, 90, 0xFFFFFFF0u, 500));
    EXPECT_STEP(21, 1000, Adapt(20, 30, 0, 0xFFFFFFF0u, 500));
}

}  // namespace

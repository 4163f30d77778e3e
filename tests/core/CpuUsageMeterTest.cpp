// The processor load meter against a fake clock whose system times and tick
// count the tests set, plus one run against the real system.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "core/CpuUsageMeter.h"
#include "tests/support/FileTimes.h"

namespace {

// Above 2^32 with the low word's top bit set, so a reading that drops the high
// word or converts the low one as signed is off by far.
constexpr uint64_t kBoot = 0x00000005F0000000ull;

struct FakeSystem {
    uint64_t idle, kernel, user;
    DWORD tick;
    bool fail;
    int reads;  // calls of getSystemTimes
};
FakeSystem fake;

BOOL FakeSystemTimes(FILETIME* idle, FILETIME* kernel, FILETIME* user) {
    ++fake.reads;
    if (fake.fail) {
        // A failing call may still scribble on its outputs.
        *idle = *kernel = *user = ToFileTime(0xDEADBEEFDEADBEEFull);
        return FALSE;
    }
    *idle = ToFileTime(fake.idle);
    *kernel = ToFileTime(fake.kernel);
    *user = ToFileTime(fake.user);
    return TRUE;
}

DWORD FakeTickCount() {
    return fake.tick;
}

constexpr CpuUsageMeter::Clock kFakeClock{FakeSystemTimes, FakeTickCount};

class CpuUsageMeterTest : public ::testing::Test {
protected:
    void SetUp() override { fake = FakeSystem{kBoot, kBoot + 3000000, kBoot / 2, 5000, false, 0}; }

    // Moves the system times on; kernel includes idle, as on the real system.
    static void Run(int64_t idle, int64_t kernelBusy, int64_t user) {
        fake.idle += static_cast<uint64_t>(idle);
        fake.kernel += static_cast<uint64_t>(idle + kernelBusy);
        fake.user += static_cast<uint64_t>(user);
    }
};

TEST_F(CpuUsageMeterTest, FirstCallAlwaysReadsAgainstTheConstructionReading) {
    fake.tick = 5;  // within a second of "never": must not count as cached
    CpuUsageMeter meter(kFakeClock);
    EXPECT_EQ(1, fake.reads) << "construction takes the first reading";
    Run(0, 400, 600);
    EXPECT_EQ(100, meter.GetUsage());
    EXPECT_EQ(2, fake.reads);
}

TEST_F(CpuUsageMeterTest, AnswersFromTheCacheForASecond) {
    CpuUsageMeter meter(kFakeClock);
    Run(500, 250, 250);
    EXPECT_EQ(50, meter.GetUsage());

    Run(0, 1000, 0);
    fake.tick += 10;
    EXPECT_EQ(50, meter.GetUsage());
    fake.tick += 989;
    EXPECT_EQ(50, meter.GetUsage()) << "999 ms after the reading";
    EXPECT_EQ(2, fake.reads);

    fake.tick += 1;
    EXPECT_EQ(100, meter.GetUsage()) << "a full second after the reading";
    EXPECT_EQ(3, fake.reads);
    fake.tick += 500;
    EXPECT_EQ(100, meter.GetUsage()) << "the cache restarts at the new reading";
    EXPECT_EQ(3, fake.reads);
}

TEST_F(CpuUsageMeterTest, LoadIsTheShareOfTimeNotIdle) {
    CpuUsageMeter meter(kFakeClock);
    struct Case {
        int64_t idle, kernelBusy, user;
        int expected;
    } cases[] = {
        {1000, 0, 0, 0},      // fully idle
        {0, 300, 700, 100},   // fully busy
        {0, 1000, 0, 100},    // busy in the kernel only
        {600, 0, 600, 50},    // half busy, all of it user time
        {400, 200, 200, 50},  // half busy, shared
        {1, 0, 2, 66},        // 66.7 truncates
        {999, 1, 0, 0},       // 0.1 truncates
    };
    for (const Case& c : cases) {
        fake.tick += 1000;
        Run(c.idle, c.kernelBusy, c.user);
        EXPECT_EQ(c.expected, meter.GetUsage())
            << "idle " << c.idle << ", kernel busy " << c.kernelBusy << ", user " << c.user;
    }
}

TEST_F(CpuUsageMeterTest, TimesAreReadWithTheirHighWord) {
    fake = FakeSystem{0xFFFFFF00ull, 0xFFFFFF00ull, 0x1FFFFFF00ull, 5000, false, 0};
    CpuUsageMeter meter(kFakeClock);
    Run(0x100, 0x100, 0x200);  // every low word wraps
    EXPECT_EQ(75, meter.GetUsage());
}

TEST_F(CpuUsageMeterTest, TickCountWrapKeepsTheOneSecondRhythm) {
    fake.tick = 0xFFFFFFF0u;
    CpuUsageMeter meter(kFakeClock);
    Run(1000, 0, 0);
    EXPECT_EQ(0, meter.GetUsage());

    Run(0, 1000, 0);
    fake.tick = 0x10;  // 32 ms later, past the wrap
    EXPECT_EQ(0, meter.GetUsage()) << "still within the second";
    EXPECT_EQ(2, fake.reads);
    fake.tick = 0x3E0;  // 1008 ms after the reading
    EXPECT_EQ(100, meter.GetUsage()) << "a small tick after the wrap must read again";
    EXPECT_EQ(3, fake.reads);
}

TEST_F(CpuUsageMeterTest, FailedReadGivesZeroThenTheOldLoad) {
    CpuUsageMeter meter(kFakeClock);
    Run(500, 0, 500);
    EXPECT_EQ(50, meter.GetUsage());

    fake.tick += 1000;
    Run(1000, 0, 0);
    fake.fail = true;
    EXPECT_EQ(0, meter.GetUsage());
    EXPECT_EQ(3, fake.reads);
    fake.tick += 999;
    EXPECT_EQ(50, meter.GetUsage()) << "the failed read counts as a reading for the cache";
    EXPECT_EQ(3, fake.reads);

    // The next load covers the whole time since the last good reading.
    fake.fail = false;
    fake.tick += 1;
    Run(0, 1000, 1000);
    EXPECT_EQ(66, meter.GetUsage());
}

TEST_F(CpuUsageMeterTest, OddCountersStayWithinZeroToHundred) {
    CpuUsageMeter meter(kFakeClock);
    auto next = [&](int64_t idle, int64_t kernel, int64_t user) {
        fake.tick += 1000;
        fake.idle += static_cast<uint64_t>(idle);
        fake.kernel += static_cast<uint64_t>(kernel);
        fake.user += static_cast<uint64_t>(user);
        return static_cast<int>(meter.GetUsage());
    };
    EXPECT_EQ(0, next(5000, 1000, 1000)) << "idle beyond the total";
    EXPECT_EQ(100, next(-500, 500, 500)) << "idle running backwards";
    EXPECT_EQ(0, next(0, -2000, 1000)) << "kernel running backwards past the user time";
    EXPECT_EQ(100, next(0, -500, 1000)) << "kernel backwards, total still positive";
}

TEST_F(CpuUsageMeterTest, NoTimeElapsedGivesZero) {
    CpuUsageMeter meter(kFakeClock);
    Run(0, 1000, 0);
    ASSERT_EQ(100, meter.GetUsage());
    fake.tick += 1000;
    EXPECT_EQ(0, meter.GetUsage());
    fake.tick += 10;
    EXPECT_EQ(0, meter.GetUsage()) << "the zero is what is cached";
}

// Every call reads (the tick moves a second per call) and every interval
// between consecutive readings is exactly half busy, so any load other than
// 50 means two callers mixed up each other's stored times.
std::atomic<DWORD> hammerTick{1000};
std::atomic<uint64_t> hammerReads{0};

BOOL HammerSystemTimes(FILETIME* idle, FILETIME* kernel, FILETIME* user) {
    uint64_t n = hammerReads.fetch_add(1) + 1;
    *idle = ToFileTime(kBoot + n * 100);
    *kernel = ToFileTime(kBoot + n * 150);
    *user = ToFileTime(kBoot + n * 50);
    return TRUE;
}

DWORD HammerTickCount() {
    return hammerTick.fetch_add(1000);
}

TEST(CpuUsageMeterThreads, ConcurrentCallersSeeConsistentReadings) {
    hammerTick = 1000;
    hammerReads = 0;
    CpuUsageMeter meter(CpuUsageMeter::Clock{HammerSystemTimes, HammerTickCount});
    constexpr int kCalls = 200000;
    std::atomic<int> wrong{0};
    auto caller = [&] {
        for (int i = 0; i < kCalls; ++i) {
            if (meter.GetUsage() != 50) ++wrong;
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t) threads.emplace_back(caller);
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(0, wrong.load());
    EXPECT_EQ(1u + 2u * kCalls, hammerReads.load());
}

TEST(CpuUsageMeterSystem, RealSystemGivesAPercentage) {
    CpuUsageMeter meter;
    for (int i = 0; i < 3; ++i) {
        EXPECT_LE(meter.GetUsage(), 100);
    }
}

}  // namespace

// Built natively and for Windows: the due times must come out the same in both builds.
#include "process/responsive_delay.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>

namespace {
constexpr std::nullopt_t kLeftOut = std::nullopt;

TEST(PumpingDelayDueTime, FollowsTheUnitTable) {
    EXPECT_EQ(PumpingDelayDueTime(1, kLeftOut), -10000);  // the runner's 1 ms pause
    EXPECT_EQ(PumpingDelayDueTime(1, 0), -10000);
    EXPECT_EQ(PumpingDelayDueTime(2, 1), -20000000);
    EXPECT_EQ(PumpingDelayDueTime(3, 2), -1800000000);
    EXPECT_EQ(PumpingDelayDueTime(1, 3), -36000000000);
}

TEST(PumpingDelayDueTime, TakesAnyOtherUnitLiterallyAsMillisecondsPerStep) {
    EXPECT_EQ(PumpingDelayDueTime(5, 4), -200000);   // 20 ms
    EXPECT_EQ(PumpingDelayDueTime(-2, -3), -60000);  // 6 ms
    EXPECT_EQ(PumpingDelayDueTime(7, 1000000), -70000000000);
}

TEST(PumpingDelayDueTime, NoPositiveProductIsAnAbsoluteTimeLongPast) {
    EXPECT_EQ(PumpingDelayDueTime(0, kLeftOut), 0);
    EXPECT_EQ(PumpingDelayDueTime(0, 2), 0);
    EXPECT_EQ(PumpingDelayDueTime(kLeftOut, 1), 0);  // a left-out interval with a unit is 0 steps
    EXPECT_EQ(PumpingDelayDueTime(kLeftOut, 3), 0);
    EXPECT_EQ(PumpingDelayDueTime(-5, kLeftOut), 50000);
    EXPECT_EQ(PumpingDelayDueTime(2, -3), 60000);
}

TEST(PumpingDelayDueTime, BothLeftOutWaitsTenThousandYears) {
    constexpr int64_t kEndless = -3240000000000000000;  // 18000000 x 18000000 ms
    EXPECT_EQ(PumpingDelayDueTime(kLeftOut, kLeftOut), kEndless);
    EXPECT_EQ(PumpingDelayDueTime(kLeftOut, 0), kEndless);
    EXPECT_EQ(PumpingDelayDueTime(0, kLeftOut), 0);  // a given 0 is no left-out interval
}

TEST(PumpingDelayDueTime, RoundsTheProductToDoublePrecision) {
    // Exactly -1219325914830060000; a double holds it only to the nearest 256. A wider
    // intermediate (the x87 unit's registers) would give the exact value instead.
    EXPECT_EQ(PumpingDelayDueTime(123456789, 987654), -1219325914830060032);
}

TEST(PumpingDelayDueTime, HoldsProductsBeyondTheRangeAtItsEnds) {
    constexpr int32_t kMaxInterval = std::numeric_limits<int32_t>::max();
    constexpr int64_t kMaxUnit = std::numeric_limits<int64_t>::max();
    EXPECT_EQ(PumpingDelayDueTime(kMaxInterval, kMaxUnit), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(PumpingDelayDueTime(-kMaxInterval, kMaxUnit), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(PumpingDelayDueTime(kMaxInterval, 2), -1288490188200000000);  // still in range
}

TEST(TickDelayOver, EndsOnceTheTickCountPassesTheDeadline) {
    EXPECT_FALSE(TickDelayOver(1000, 1000, 50));
    EXPECT_FALSE(TickDelayOver(1000, 1050, 50));
    EXPECT_TRUE(TickDelayOver(1000, 1051, 50));
}

TEST(TickDelayOver, EndsAtOnceWhenTheDeadlineWraps) {
    EXPECT_TRUE(TickDelayOver(0xFFFFFFF0u, 0xFFFFFFF0u, 50));
}

TEST(TickDelayOver, EndsWhenTheTickCountWrapsPastTheDeadlineUnseen) {
    // Deadline 0xFFFFFF32; the clock moves in steps of several milliseconds and was last seen
    // before the deadline, next after the wrap.
    EXPECT_FALSE(TickDelayOver(0xFFFFFF00u, 0xFFFFFF20u, 50));
    EXPECT_TRUE(TickDelayOver(0xFFFFFF00u, 0x00000010u, 50));
    // A deadline of 0xFFFFFFFF that no tick count can pass.
    EXPECT_TRUE(TickDelayOver(0xFFFFFFFFu - 50, 0x00000001u, 50));
}
}  // namespace

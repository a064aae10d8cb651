#include "process/responsive_delay.h"

#include <limits>

namespace {
constexpr int64_t kEndlessStep = 18000000;
constexpr double kHundredNanosecondsPerMillisecond = 10000.0;
}  // namespace

int64_t PumpingDelayMultiplier(int64_t unit) {
    switch (unit) {
        case 0:
            return 1;
        case 1:
            return 1000;
        case 2:
            return 60000;
        case 3:
            return 3600000;
        default:
            return unit;
    }
}

int64_t PumpingDelayDueTime(std::optional<int32_t> interval, std::optional<int64_t> unit) {
    double steps = interval.value_or(0);
    double multiplier;
    if (!interval && unit.value_or(0) == 0) {
        steps = kEndlessStep;
        multiplier = kEndlessStep;
    } else {
        multiplier = static_cast<double>(PumpingDelayMultiplier(unit.value_or(0)));
    }
    // Both factors are doubles and the product is held as one (this file is built with SSE maths
    // on 32-bit x86, so no wider intermediate changes the rounding).
    double dueTime = steps * multiplier * -kHundredNanosecondsPerMillisecond;
    constexpr double kTwoToThe63 = 9223372036854775808.0;
    if (dueTime >= kTwoToThe63) {
        return std::numeric_limits<int64_t>::max();
    }
    if (dueTime < -kTwoToThe63) {
        return std::numeric_limits<int64_t>::min();
    }
    return static_cast<int64_t>(dueTime);
}

bool TickDelayOver(uint32_t start, uint32_t now, uint32_t milliseconds) {
    uint32_t deadline = start + milliseconds;
    return now > deadline || now - start > milliseconds;
}

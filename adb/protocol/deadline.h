// Timeouts given in milliseconds, kept as deadlines so that loops of waits share one budget.
#pragma once

#include <chrono>

namespace adb {

using Clock = std::chrono::steady_clock;

Clock::time_point DeadlineAfter(int timeoutMs);

// What is left of the wait: 0 once the deadline has passed.
int RemainingMs(Clock::time_point deadline);

}  // namespace adb

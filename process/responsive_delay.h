// Arithmetic of the responsive waits (the pure half of responsive_delay_win.cpp), tested natively.
#pragma once

#include <cstdint>
#include <optional>

// Milliseconds per interval step for a pause unit: 0 ms, 1 s, 2 min, 3 h; any other code is taken
// literally as milliseconds per step, negative values included.
int64_t PumpingDelayMultiplier(int64_t unit);

// Due time of a PumpingDelay in the waitable timer's convention: 100 ns units, negative for a time
// relative to now, zero or positive for an absolute time (long past, so the wait ends at once).
// Worked out as interval x multiplier x -10000 in double precision and truncated toward zero; a
// product beyond the 64-bit range is held at the nearest end. With the interval left out and unit 0
// both become 18000000: a pause of about ten thousand years.
int64_t PumpingDelayDueTime(std::optional<int32_t> interval, std::optional<int64_t> unit);

// Whether a TickPumpingDelay of `milliseconds` started at tick `start` is over at tick `now`: the
// tick count has passed start + milliseconds (unsigned, so a deadline that wraps ends the wait at
// once), or more than `milliseconds` have elapsed since start, so a tick count that wraps past the
// deadline between two looks cannot hold the wait for 49 days.
bool TickDelayOver(uint32_t start, uint32_t now, uint32_t milliseconds);

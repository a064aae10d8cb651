// Waits that keep the window responsive, and the message dispatching they share.
#pragma once

#include <cstdint>
#include <optional>

void DispatchPendingMessages();
void ProcessPendingInput();
bool PumpingDelay(std::optional<int32_t> interval = std::nullopt, std::optional<int64_t> unit = std::nullopt);
void TickPumpingDelay(int32_t milliseconds);

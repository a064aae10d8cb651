// Waits that keep the window responsive, and the message dispatching they share. All of them run on
// the window's thread; window handlers run inside them and may start nested waits or commands.
#pragma once

#include <cstdint>
#include <optional>

// Hands every message already queued for the thread to its window, then returns. A WM_QUIT at the
// head of the queue stops it and stays queued for the main message loop.
void DispatchPendingMessages();

// DispatchPendingMessages, but only when keyboard or mouse-button input is waiting.
void ProcessPendingInput();

// Waits interval x unit on a waitable timer, dispatching messages whenever any arrive and spending
// no processor time otherwise. Units: 0 or left out milliseconds, 1 seconds, 2 minutes, 3 hours, any
// other value milliseconds per step. A product of 0 or less returns at once; both arguments left out
// wait in effect for ever. Returns at once, too, when the timer cannot be made or set or the wait
// fails. Always true.
bool PumpingDelay(std::optional<int32_t> interval = std::nullopt, std::optional<int64_t> unit = std::nullopt);

// Waits until the tick count has passed its start by more than `milliseconds`, dispatching messages
// all the time (a busy wait). 0 or less returns at once without dispatching.
void TickPumpingDelay(int32_t milliseconds);

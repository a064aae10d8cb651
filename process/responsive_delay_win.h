// Waits that keep the window responsive, and the message dispatching they share. All of them run on
// the window's thread; window handlers run inside them and may start nested waits or commands.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

// The application's pre-translation of a queued message (keyboard navigation between the controls):
// true when it consumed the message. Every message pump of the program gives it the first chance.
using PreTranslateHook = bool (*)(MSG& message);
void SetPreTranslateHook(PreTranslateHook hook);

// One step of the program's message pump, shared by the main message loop and the responsive waits:
// takes the next message of the thread's queue (waiting for one), gives the pre-translation hook the
// first chance at it and, unless that consumed it, translates and dispatches it. False when the
// message taken is WM_QUIT (left in `message`, wParam holding the exit code) or the queue cannot be
// read.
bool PumpOneMessage(MSG& message);

// Hands every message already queued for the thread to its window, then returns. A WM_QUIT at the
// head of the queue stops it and stays queued for the main message loop.
void DispatchPendingMessages();

// DispatchPendingMessages, but only when keyboard or mouse-button input is waiting.
void ProcessPendingInput();

// Waits until `timer` is signalled, dispatching messages whenever any arrive. Returns when the
// timer has expired, and also when the wait itself fails (a bad handle), never looping on it.
void WaitForTimerDispatchingMessages(HANDLE timer);

// Waits interval x unit on a waitable timer, dispatching messages whenever any arrive and spending
// no processor time otherwise. Units: 0 or left out milliseconds, 1 seconds, 2 minutes, 3 hours, any
// other value milliseconds per step. A product of 0 or less returns at once; both arguments left out
// wait in effect for ever. Returns at once, too, when the timer cannot be made or set or the wait
// fails. Always true.
bool PumpingDelay(std::optional<int32_t> interval = std::nullopt, std::optional<int64_t> unit = std::nullopt);

// Waits until the tick count has passed its start by more than `milliseconds`, dispatching messages
// all the time (a busy wait). 0 or less returns at once without dispatching.
void TickPumpingDelay(int32_t milliseconds);

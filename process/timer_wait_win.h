// The waiting half of PumpingDelay, apart so that its end on a failed wait can be tested.
#pragma once

#include <windows.h>

// Waits until `timer` is signalled, dispatching messages whenever any arrive. Returns when the
// timer has expired, and also when the wait itself fails (a bad handle), never looping on it.
void WaitForTimerDispatchingMessages(HANDLE timer);

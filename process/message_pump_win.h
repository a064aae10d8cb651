// One step of the program's message pump, shared by the main message loop and the responsive waits.
#pragma once

#include <windows.h>

// Takes the next message of the thread's queue (waiting for one), gives the application's
// pre-translation the first chance at it and, unless that consumed it, translates and dispatches
// it. False when the message taken is WM_QUIT (left in `message`, wParam holding the exit code)
// or the queue cannot be read.
bool PumpOneMessage(MSG& message);

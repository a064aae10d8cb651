// From window messages to the bound routines of the window description.
#pragma once

#include <windows.h>

#include "ui/window_description.h"

// Runs one routine of the program, synchronously.
void RunRoutine(ui::Routine routine);

// Runs the routine bound to this event of this control, if any.
void RunControlEvent(int controlId, ui::Event event);

// A WM_COMMAND notification from a control: BN_CLICKED is the clicked event, EN_CHANGE the
// content-changed event (unless the program itself is writing the box, see SetEditText).
void HandleControlCommand(int controlId, int notificationCode);

// Lets a test see every routine the window is about to run, and keep it from running by returning
// false (null: nobody watches, everything runs).
using RoutineObserver = bool (*)(ui::Routine routine);
void SetRoutineObserver(RoutineObserver observer);

// The controls of the main window by id, filled as they are created and emptied when it is gone.
void RegisterControl(int controlId, HWND window);
void ForgetControls();

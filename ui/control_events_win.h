// From window messages to the bound routines of the window description.
#pragma once

#include <windows.h>

#include <string>

#include "ui/window_description.h"

// What runs a routine of the window description. The window knows the routines only by name; the
// program binds them to its features (app/) and tests to what they watch.
using RoutineRunner = void (*)(ui::Routine routine);
void SetRoutineRunner(RoutineRunner runner);

// Runs one routine of the program through the runner, synchronously; None, or no runner, does nothing.
void RunRoutine(ui::Routine routine);

// Runs the routine bound to this event of this control, if any.
void RunControlEvent(int controlId, ui::Event event);

// A WM_COMMAND notification from a control: BN_CLICKED is the clicked event, EN_CHANGE the
// content-changed event (unless the program itself is writing the box, see SetEditText).
void HandleControlCommand(int controlId, int notificationCode);

// Replaces the whole content of an edit box. Its content-changed routine runs exactly once.
void SetEditText(int controlId, const std::string& text);

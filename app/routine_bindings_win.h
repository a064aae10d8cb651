// The binding table: which routine of the program each named routine of the window runs.
#pragma once

#include "ui/window_description.h"

// Runs the program's routine for `routine`; None runs nothing. The main window is handed this at
// start-up (SetRoutineRunner).
void RunBoundRoutine(ui::Routine routine);

// Realising one control of the window description as a child window.
#pragma once

#include <windows.h>

#include "ui/window_description.h"

// Creates the control as a child of parent (the main window, or the tab control for a page's
// control), with its font and initial content. Null when it cannot be created.
HWND CreateControl(const ui::ControlDescription& control, HWND parent, HINSTANCE instance, bool visible);

// Reading a window's text.
#pragma once

#include <windows.h>

#include <string>

// The whole text of a window (an edit box's content, a label's caption) as ANSI bytes.
std::string WindowText(HWND window);

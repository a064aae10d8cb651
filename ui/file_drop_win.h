// Files dropped on the window from the shell (or from an X11 drag under Wine).
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

// A drop of more is cut there: no one drops that many packages on purpose.
inline constexpr UINT kMaxDroppedFiles = 1000;

// The full paths of a WM_DROPFILES drop, in their wide form (a name outside the ANSI code page stays
// whole), in the order the drop lists them. Frees the drop.
std::vector<std::wstring> TakeDroppedFiles(HDROP drop);

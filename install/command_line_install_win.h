// Installing the package named by the first command-line argument.
#pragma once

#include <string>

// Installs `package` (the first argument, in its wide form) and whatever other instances hand over
// meanwhile, one after another, then shows one box saying how it went; what is handed over while the box
// is open is installed after it, with a box of its own. Then runs `finish` (which stops further handoffs)
// and asks the main window to close.
void RunCommandLineInstall(const std::wstring& package, void (*finish)());

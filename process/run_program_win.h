// Starting a program with a chosen window state, optionally waiting for it to end.
#pragma once

#include <optional>
#include <string>

// Starts a command line (the program found by the system's usual search) in the caller's current
// directory and environment, inheriting no handles. Show mode 1..6 (clamped; 2 when left out) means
// hidden, normal, minimised, maximised, shown without activation, minimised and not active. Waits
// for the program to end, or at most 1000 ms for it to become input-idle; false when it cannot start.
bool RunProgram(const std::string& commandLine, bool waitForExit, std::optional<int> showMode = std::nullopt);

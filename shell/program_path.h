// The program's own full path as the open command names it.
#pragma once

#include <string>

// The run directory, a backslash and the file name of the module path (after its last backslash;
// a backslash that is the second byte of a GBK character does not count).
std::string ProgramPath(const std::string& runDirectory, const std::string& modulePath);

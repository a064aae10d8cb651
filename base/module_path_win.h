// Where the running executable lies.
#pragma once

#include <string>

// The executable's full path as the system names it; read once, at the first call.
const std::string& ModuleFilePath();

// The folder of ModuleFilePath, cut before its last backslash (no trailing backslash); "" when
// the path has no separator.
std::string ModuleFolder();

// The pure half of the console command runner: the interpreter a command runs under, chosen from
// the system's platform id.
#pragma once

#include <cstdint>
#include <string>

// "cmd.exe /c " on the NT family (platform id 2), "command.com /c " for every other id.
// The command follows the prefix directly.
std::string InterpreterPrefix(uint32_t platformId);

// The pure half of the console command runner: the interpreter a command runs under, chosen from
// the system's platform id.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// "cmd.exe /c " on the NT family (platform id 2), "command.com /c " for every other id.
// The command follows the prefix directly.
std::string InterpreterPrefix(uint32_t platformId);

// The interpreter takes command lines of at most 8191 characters; a longer one would not run as written.
inline constexpr size_t kInterpreterLineLimit = 8191;

// Whether `command`, after the NT interpreter's prefix, fits that limit (counted in bytes, so a line of
// double-byte characters is judged on the safe side).
bool FitsInterpreterLine(std::string_view command);

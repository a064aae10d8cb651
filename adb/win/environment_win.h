// The process environment, in the ANSI code page.
#pragma once

#include <optional>
#include <string>

namespace adb {

// Nothing when the variable is unset, empty or longer than 1023 bytes.
std::optional<std::string> EnvironmentVariable(const char* name);

}  // namespace adb

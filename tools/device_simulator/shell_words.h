// Splits a command line the way the device's shell would for the few commands the simulator knows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace simulator {

// Single quotes (no escapes inside), double quotes, backslash escapes; redirections such as
// "</dev/null" are dropped.
std::vector<std::string> SplitShellWords(std::string_view command);

}  // namespace simulator

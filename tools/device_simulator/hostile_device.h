// Devices and servers that break the rules on purpose, for the client's robustness tests.
#pragma once

#include <string>

#include "tools/device_simulator/simulator_options.h"

namespace simulator {

// The modes --hostile takes, with a line each for --help.
extern const char* const kHostileModes;
bool IsHostileMode(const std::string& mode);

// Serves one connection in `options.hostile` mode; closes the socket at the end.
void RunHostileSession(int socket, const Options& options);

}  // namespace simulator

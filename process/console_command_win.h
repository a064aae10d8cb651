// Running one command line through the command interpreter with its output captured.
#pragma once

#include <cstdint>
#include <string>

// Told each chunk of output as it arrives; a non-zero result stops the run.
using ChunkObserver = int32_t (*)(const char* chunk);

// Runs "cmd.exe /c " + command in a hidden console with standard output and standard error on one
// pipe, keeping the window responsive, and returns everything written once the interpreter has
// ended and the pipe is empty. Commands start in the run directory.
std::string RunConsoleCommand(const std::string& command, ChunkObserver observer = nullptr, bool notify = false);

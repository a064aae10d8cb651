// Running one command line through the command interpreter with its output captured.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Told each chunk of output as it arrives (NUL-terminated bytes); a non-zero result stops the run.
using ChunkObserver = int32_t (*)(const char* chunk);

// Runs the interpreter prefix ("cmd.exe /c " on the NT family) followed directly by `command` in a
// hidden console, standard output and standard error on one pipe, and returns every byte written,
// in the order written, once the interpreter has ended and the pipe is empty. The end does not wait
// for programs that inherited the pipe and outlive the interpreter. Between polls of the pipe the
// window stays responsive (queued input is dispatched, then a 1 ms pause that dispatches messages).
// No time limit. A command that cannot be started gives empty text.
//
// With `notify` each chunk is first shown to `observer`; a non-zero answer ends the run at once,
// without that chunk, and leaves the command running on its own.
//
// Commands start in the working folder set by SetCommandWorkingFolder (the program sets its run
// directory at start, so ".\adb.exe" is found there even after a file dialog moved the current
// directory); while none is set they start in the caller's current directory. Zero bytes in the output are dropped; the bytes around them are kept.
std::string RunConsoleCommand(const std::string& command, ChunkObserver observer = nullptr, bool notify = false);

// What RunConsoleCommand returns, and the interpreter's exit status beside it: none when nothing
// could be started or the observer stopped the run.
struct ConsoleResult {
    std::string output;
    std::optional<uint32_t> exitStatus;
};
ConsoleResult RunConsoleCommandWithStatus(const std::string& command, ChunkObserver observer = nullptr,
                                          bool notify = false);

// Test seam: runs commands under `prefix` instead of the prefix chosen from the platform (a prefix
// naming a missing program shows what an interpreter that cannot start does). Empty restores it.
void OverrideInterpreterPrefix(const std::string& prefix);

// The folder every later command starts in; empty: the caller's current directory.
void SetCommandWorkingFolder(const std::string& folder);

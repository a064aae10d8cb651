// The driver's commands. Each answers one JSON object; the dispatcher adds "ok" and "cmd".
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/driver/json_value.h"
#include "tests/e2e/driver/request.h"
#include "tests/e2e/driver/session_win.h"

struct Command {
    const char* name;
    size_t required;       // positional arguments that must be given
    size_t maxPositional;  // positional arguments accepted
    const char* options;   // accepted option names, blank-separated
    bool needsTarget;      // attaches to the default window first when nothing is attached
    const char* usage;
    JsonValue (*run)(Session& session, const Arguments& arguments);
};

void AddSessionCommands(std::vector<Command>& commands);
void AddControlCommands(std::vector<Command>& commands);
void AddInputCommands(std::vector<Command>& commands);
void AddTabAndIpCommands(std::vector<Command>& commands);
void AddDialogCommands(std::vector<Command>& commands);
void AddWaitCommands(std::vector<Command>& commands);
void AddProcessCommands(std::vector<Command>& commands);

const std::vector<Command>& AllCommands();

// Runs one request; never throws. Sets quit when the request asks the server to end.
std::string RunRequest(Session& session, const std::vector<std::string>& words, bool& quit);

// Option helpers shared by the commands.
DWORD TimeoutOption(const Arguments& arguments, DWORD fallback, const char* key = "timeout");
int IntArgument(const Arguments& arguments, size_t index, const char* what);
bool FlagOption(const Arguments& arguments, const char* key, bool fallback);

constexpr DWORD kDefaultTimeoutMs = 5000;
constexpr DWORD kDefaultSettleMs = 2000;

#include "process/console_command_win.h"

std::string RunConsoleCommand(const std::string&, ChunkObserver, bool) {
    return {};
}

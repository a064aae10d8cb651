#include "process/console_command.h"

namespace {
constexpr uint32_t kNtPlatformId = 2;
}  // namespace

std::string InterpreterPrefix(uint32_t platformId) {
    return platformId == kNtPlatformId ? "cmd.exe /c " : "command.com /c ";
}

bool FitsInterpreterLine(std::string_view command) {
    return InterpreterPrefix(kNtPlatformId).size() + command.size() <= kInterpreterLineLimit;
}

#include "adb/win/environment_win.h"

#include <windows.h>

namespace adb {

std::optional<std::string> EnvironmentVariable(const char* name) {
    char value[1024];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    if (length == 0 || length >= sizeof value) {
        return std::nullopt;
    }
    return std::string(value, length);
}

}  // namespace adb

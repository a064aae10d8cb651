#include "base/module_path_win.h"

#include <windows.h>

#include "base/path_text.h"

const std::string& ModuleFilePath() {
    static const std::string path = [] {
        char buffer[MAX_PATH + 1] = {};
        const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
        return std::string(buffer, length);
    }();
    return path;
}

std::string ModuleFolder() {
    const std::string& module = ModuleFilePath();
    const size_t separator = LastPathSeparator(module);
    return separator == std::string::npos ? std::string() : module.substr(0, separator);
}

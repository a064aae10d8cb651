#include "shell/program_path.h"

#include "app/file_paths.h"

std::string ProgramPath(const std::string& runDirectory, const std::string& modulePath) {
    const size_t separator = LastPathSeparator(modulePath);
    const size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
    return runDirectory + "\\" + modulePath.substr(nameStart);
}

#include "shell/program_path.h"

std::string ProgramPath(const std::string& runDirectory, const std::string& modulePath) {
    size_t nameStart = 0;
    for (size_t i = 0; i < modulePath.size(); ++i) {
        const auto byte = static_cast<unsigned char>(modulePath[i]);
        if (byte >= 0x81 && byte <= 0xFE && i + 1 < modulePath.size()) {
            ++i;  // its trail byte may be 0x5C
        } else if (byte == '\\') {
            nameStart = i + 1;
        }
    }
    return runDirectory + "\\" + modulePath.substr(nameStart);
}

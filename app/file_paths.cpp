#include "app/file_paths.h"

size_t LastPathSeparator(std::string_view path) {
    size_t separator = std::string_view::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (c >= 0x81 && c <= 0xFE && i + 1 < path.size()) {
            ++i;  // GBK lead byte: its trail byte may be 0x5C
        } else if (c == '\\' || c == '/') {
            separator = i;
        }
    }
    return separator;
}

std::string FolderOf(const std::string& path) {
    const size_t separator = LastPathSeparator(path);
    if (separator == std::string::npos) {
        return ".";
    }
    if (separator == 0 || (separator == 2 && path[1] == ':')) {
        return path.substr(0, separator + 1);
    }
    return path.substr(0, separator);
}

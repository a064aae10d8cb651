#include "base/path_text.h"

#include "base/ansi_text.h"

size_t LastPathSeparator(std::string_view path) {
    size_t separator = std::string_view::npos;
    ForEachCharacter(path, LeadBytes::Gbk, [&](size_t at, size_t length) {
        if (length == 1 && (path[at] == '\\' || path[at] == '/')) {
            separator = at;
        }
    });
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

std::string FileNameOf(const std::string& path) {
    const size_t separator = LastPathSeparator(path);
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

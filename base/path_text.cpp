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

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) {
        return false;
    }
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    for (size_t i = 0; i < suffix.size(); ++i) {
        if (lower(text[text.size() - suffix.size() + i]) != lower(suffix[i])) {
            return false;
        }
    }
    return true;
}

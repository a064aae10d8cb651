// Small path helpers over ANSI/GBK texts.
#pragma once

#include <string>
#include <string_view>

// Index of the last backslash or slash of a path, or npos. A 0x5C that is the trail byte of a
// double-byte GBK character (as in 乗) is part of that character, not a separator.
size_t LastPathSeparator(std::string_view path);

// The folder part of a path (before its last separator), "." when it has none; a root keeps its
// backslash ("C:\", "\").
std::string FolderOf(const std::string& path);

// The part after the last separator: the whole path when it has none.
std::string FileNameOf(const std::string& path);

// Whether a text ends with an ASCII suffix, ignoring the case of ASCII letters ("X.APK" ends in ".apk").
bool EndsWithNoCase(std::string_view text, std::string_view suffix);

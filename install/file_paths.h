// Small path helpers over ANSI/GBK texts.
#pragma once

#include <string>

// The folder part of a path (before its last backslash or slash), "." when it has none.
// A backslash that is the trail byte of a double-byte character does not count.
std::string FolderOf(const std::string& path);

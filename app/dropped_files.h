// What a file dropped on the window is, as far as its name tells.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum class DroppedKind {
    kPackage,     // .apk and the bundle kinds: installed
    kWsaPackage,  // the WSA platform's packages: named on the WSA page
    kOther,       // the content decides (a package by another name), else it is refused
};

DroppedKind DroppedKindByName(std::string_view fileName);

// The message for files that are neither: it names each of them (at most `kMaxNamedFiles`).
inline constexpr size_t kMaxNamedFiles = 10;
std::string RefusedDropMessage(const std::vector<std::string>& fileNames);

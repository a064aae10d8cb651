// The parts of a local package's ANSI path that need no system.
#pragma once

#include <string_view>

namespace adb {

// The file's own name: what follows the last '\', '/' or ':'. GBK characters are walked whole,
// so a trail byte 0x5C is no separator.
std::string_view PackageFileName(std::string_view ansiPath);

}  // namespace adb

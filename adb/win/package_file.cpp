#include "adb/win/package_file.h"

#include "base/ansi_text.h"

namespace adb {

std::string_view PackageFileName(std::string_view ansiPath) {
    size_t nameStart = 0;
    ForEachCharacter(ansiPath, LeadBytes::Gbk, [&](size_t at, size_t length) {
        if (length == 1 && (ansiPath[at] == '\\' || ansiPath[at] == '/' || ansiPath[at] == ':')) {
            nameStart = at + 1;
        }
    });
    return ansiPath.substr(nameStart);
}

}  // namespace adb

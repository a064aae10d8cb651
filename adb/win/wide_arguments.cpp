#include "adb/win/wide_arguments.h"

namespace adb {

std::vector<std::wstring> SplitWideCommandLine(std::wstring_view line) {
    std::vector<std::wstring> arguments;
    size_t at = 0;
    std::wstring program;
    if (at < line.size() && line[at] == L'"') {
        size_t end = line.find(L'"', at + 1);
        program = line.substr(at + 1, end == std::wstring_view::npos ? std::wstring_view::npos : end - at - 1);
        at = end == std::wstring_view::npos ? line.size() : end + 1;
    }
    while (at < line.size() && line[at] != L' ' && line[at] != L'\t') {
        program += line[at++];
    }
    arguments.push_back(program);
    while (true) {
        while (at < line.size() && (line[at] == L' ' || line[at] == L'\t')) {
            ++at;
        }
        if (at >= line.size()) {
            return arguments;
        }
        std::wstring argument;
        bool quoted = false;
        while (at < line.size() && (quoted || (line[at] != L' ' && line[at] != L'\t'))) {
            size_t backslashes = 0;
            while (at < line.size() && line[at] == L'\\') {
                ++backslashes;
                ++at;
            }
            if (at < line.size() && line[at] == L'"') {
                argument.append(backslashes / 2, L'\\');
                if (backslashes % 2 == 1) {
                    argument += L'"';
                } else if (quoted && at + 1 < line.size() && line[at + 1] == L'"') {
                    argument += L'"';
                    ++at;
                } else {
                    quoted = !quoted;
                }
                ++at;
            } else {
                argument.append(backslashes, L'\\');
                if (at < line.size() && backslashes == 0) {
                    argument += line[at++];
                }
            }
        }
        arguments.push_back(argument);
    }
}

}  // namespace adb

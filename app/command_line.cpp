#include "app/command_line.h"

#include <type_traits>

#include "base/ansi_text.h"

namespace {

constexpr char kQuote = '"';

template <typename Char>
bool IsSeparator(Char c) {
    return static_cast<std::make_unsigned_t<Char>>(c) <= 0x20;
}

// Index just past the program name (and one blank after a quoted one).
template <typename Char>
size_t SkipProgramName(std::basic_string_view<Char> line) {
    if (line.empty()) {
        return 0;
    }
    if (line[0] == kQuote) {
        size_t closing = line.find(kQuote, 1);
        if (closing == std::basic_string_view<Char>::npos) {
            return line.size();
        }
        size_t next = closing + 1;
        return (next < line.size() && line[next] == ' ') ? next + 1 : next;
    }
    size_t blank = line.find(' ');
    return blank == std::basic_string_view<Char>::npos ? line.size() : blank + 1;
}

// Copies bytes from line[i] until stop(byte) holds or the line ends; a lead byte takes its
// trail byte along, and a lead byte with nothing after it is dropped.
template <typename Stop>
std::string TakeUntil(std::string_view line, size_t& i, Stop stop) {
    std::string argument;
    while (i < line.size() && !stop(line[i])) {
        const size_t length = CharacterLength(line, i, LeadBytes::AnyHighByte);
        if (length == 1 && IsLeadByte(line[i], LeadBytes::AnyHighByte)) {
            ++i;
            break;
        }
        argument.append(line.substr(i, length));
        i += length;
    }
    return argument;
}

}  // namespace

std::vector<std::string> SplitArguments(std::string_view line) {
    std::vector<std::string> arguments;
    size_t i = SkipProgramName(line);
    while (i < line.size()) {
        char c = line[i];
        if (c == kQuote) {
            ++i;
            arguments.push_back(TakeUntil(line, i, [](char b) { return b == kQuote; }));
            if (i < line.size()) {
                ++i;  // the closing quote
            }
        } else if (IsSeparator(c)) {
            ++i;
        } else {
            arguments.push_back(TakeUntil(line, i, [](char b) { return b == kQuote || IsSeparator(b); }));
        }
    }
    return arguments;
}

std::vector<std::wstring> SplitWideArguments(std::wstring_view line) {
    std::vector<std::wstring> arguments;
    size_t i = SkipProgramName(line);
    while (i < line.size()) {
        if (line[i] == kQuote) {
            const size_t closing = line.find(kQuote, i + 1);
            const size_t end = closing == std::wstring_view::npos ? line.size() : closing;
            arguments.emplace_back(line.substr(i + 1, end - i - 1));
            i = end == line.size() ? end : end + 1;
        } else if (IsSeparator(line[i])) {
            ++i;
        } else {
            const size_t start = i;
            while (i < line.size() && line[i] != kQuote && !IsSeparator(line[i])) {
                ++i;
            }
            arguments.emplace_back(line.substr(start, i - start));
        }
    }
    return arguments;
}

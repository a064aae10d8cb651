#include "app/command_line.h"

#include "base/ansi_text.h"

namespace {

constexpr char kQuote = '"';

bool IsSeparator(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

// Index just past the program name (and one blank after a quoted one).
size_t SkipProgramName(std::string_view line) {
    if (line.empty()) {
        return 0;
    }
    if (line[0] == kQuote) {
        size_t closing = line.find(kQuote, 1);
        if (closing == std::string_view::npos) {
            return line.size();
        }
        size_t next = closing + 1;
        return (next < line.size() && line[next] == ' ') ? next + 1 : next;
    }
    size_t blank = line.find(' ');
    return blank == std::string_view::npos ? line.size() : blank + 1;
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

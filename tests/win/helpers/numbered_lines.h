// The helper program's "lines" output, also built by the tests that check it.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// "0000000000\n0000000001\n..." cut at `bytes`.
inline std::string NumberedLines(size_t bytes) {
    std::string text;
    text.reserve(bytes + 11);
    char line[16];
    for (unsigned number = 0; text.size() < bytes; ++number) {
        std::snprintf(line, sizeof(line), "%010u\n", number);
        text += line;
    }
    text.resize(bytes);
    return text;
}

// Walking ANSI text that may hold double-byte characters (GBK on the target systems).
#pragma once

#include <cstddef>
#include <string_view>

// Which bytes start a double-byte character.
enum class LeadBytes {
    // Any byte of 0x80 or more: how the command line is split, byte by byte.
    AnyHighByte,
    // 0x81 to 0xFE, the GBK lead bytes: file names, filters, registry lists.
    Gbk,
};

bool IsLeadByte(char byte, LeadBytes rule);

// The length of the character that starts at text[at]: 2 for a lead byte with a byte after it,
// else 1. A trail byte (which may be 0x5C '\' or 0x7C '|') is part of its character.
size_t CharacterLength(std::string_view text, size_t at, LeadBytes rule);

// Calls visit(at, length) for each character of the text, in order.
template <typename Visit>
void ForEachCharacter(std::string_view text, LeadBytes rule, Visit visit) {
    for (size_t at = 0; at < text.size();) {
        const size_t length = CharacterLength(text, at, rule);
        visit(at, length);
        at += length;
    }
}

#include "base/ansi_text.h"

bool IsLeadByte(char byte, LeadBytes rule) {
    const auto value = static_cast<unsigned char>(byte);
    if (rule == LeadBytes::AnyHighByte) {
        return value >= 0x80;
    }
    return value >= 0x81 && value <= 0xFE;
}

size_t CharacterLength(std::string_view text, size_t at, LeadBytes rule) {
    return IsLeadByte(text[at], rule) && at + 1 < text.size() ? 2 : 1;
}

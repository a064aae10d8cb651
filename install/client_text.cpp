#include "install/client_text.h"

namespace {

// How many continuation bytes follow a lead byte, and the smallest value its sequence may encode.
bool SequenceOf(unsigned char lead, int& continuation, unsigned& minimum) {
    if (lead < 0x80) {
        continuation = 0;
        minimum = 0;
    } else if ((lead & 0xE0) == 0xC0) {
        continuation = 1;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        continuation = 2;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        continuation = 3;
        minimum = 0x10000;
    } else {
        return false;
    }
    return true;
}

}  // namespace

bool IsUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int continuation = 0;
        unsigned minimum = 0;
        if (!SequenceOf(lead, continuation, minimum) || text.size() - i <= static_cast<size_t>(continuation)) {
            return false;
        }
        unsigned value = continuation == 0 ? lead : lead & (0x3F >> continuation);
        for (int k = 1; k <= continuation; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            value = (value << 6) | (next & 0x3F);
        }
        if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            return false;
        }
        i += continuation + 1;
    }
    return true;
}

bool IsUtf8Beyond7Bit(std::string_view line) {
    for (char c : line) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return IsUtf8(line);
        }
    }
    return false;
}

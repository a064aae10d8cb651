#include "tests/e2e/driver/utf8.h"

namespace {
constexpr char32_t kReplacement = 0xfffd;
}

std::u32string DecodeUtf8(const std::string& utf8) {
    std::u32string out;
    size_t n = 0;
    while (n < utf8.size()) {
        const unsigned char lead = static_cast<unsigned char>(utf8[n]);
        int length = 0;
        char32_t c = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            out += lead;
            ++n;
            continue;
        } else if ((lead & 0xe0) == 0xc0) {
            length = 2, c = lead & 0x1f, minimum = 0x80;
        } else if ((lead & 0xf0) == 0xe0) {
            length = 3, c = lead & 0x0f, minimum = 0x800;
        } else if ((lead & 0xf8) == 0xf0) {
            length = 4, c = lead & 0x07, minimum = 0x10000;
        } else {
            out += kReplacement;
            ++n;
            continue;
        }
        int taken = 1;
        for (; taken < length && n + taken < utf8.size(); ++taken) {
            const unsigned char next = static_cast<unsigned char>(utf8[n + taken]);
            if ((next & 0xc0) != 0x80) {
                break;
            }
            c = (c << 6) | (next & 0x3f);
        }
        if (taken < length || c < minimum || c > 0x10ffff || (c >= 0xd800 && c <= 0xdfff)) {
            out += kReplacement;
            n += taken;
            continue;
        }
        out += c;
        n += length;
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xc0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3f));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xe0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (c & 0x3f));
    } else {
        out += static_cast<char>(0xf0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3f));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (c & 0x3f));
    }
}

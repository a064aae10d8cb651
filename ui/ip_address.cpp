#include "ui/ip_address.h"

#include <charconv>
#include <cstdio>

namespace ui {

std::optional<IpFields> ParseIpAddress(std::string_view text) {
    IpFields fields{};
    const char* position = text.data();
    const char* end = text.data() + text.size();
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            if (position == end || *position != '.') {
                return std::nullopt;
            }
            ++position;
        }
        if (position == end || *position < '0' || *position > '9') {
            return std::nullopt;
        }
        unsigned value = 0;
        auto [next, error] = std::from_chars(position, end, value);
        if (error != std::errc() || value > 255) {
            return std::nullopt;
        }
        fields[i] = static_cast<uint8_t>(value);
        position = next;
    }
    if (position != end) {
        return std::nullopt;
    }
    return fields;
}

std::string FormatIpAddress(const IpFields& fields) {
    char text[16];
    (void)std::snprintf(text, sizeof(text), "%d.%d.%d.%d", fields[0], fields[1], fields[2], fields[3]);
    return text;
}

}  // namespace ui

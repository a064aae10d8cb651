// IP addresses as the IP box holds them: four fields of 0..255.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ui {

using IpFields = std::array<uint8_t, 4>;

// "a.b.c.d" with four decimal fields of 0..255; empty for anything else.
std::optional<IpFields> ParseIpAddress(std::string_view text);

// "%d.%d.%d.%d".
std::string FormatIpAddress(const IpFields& fields);

}  // namespace ui

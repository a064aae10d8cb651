// "HOST[:PORT]" as `connect` takes it, and the list of remembered devices.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace adb {

struct ConnectTarget {
    std::string host;  // without the brackets of "[::1]:5555"
    uint16_t port = 0;
    std::string serial;  // "host:port" as the device is named in texts and in the device list
};

// The port defaults to `defaultPort` when left out; nothing when the port is not 1..65535.
std::optional<ConnectTarget> ParseConnectTarget(std::string_view text, uint16_t defaultPort);

// One serial per line; blank lines and surrounding blanks ignored, duplicates dropped.
std::vector<std::string> ParseDeviceList(std::string_view text);
std::string FormatDeviceList(const std::vector<std::string>& serials);

}  // namespace adb

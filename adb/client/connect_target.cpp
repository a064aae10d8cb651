#include "adb/client/connect_target.h"

#include <algorithm>

namespace adb {
namespace {

std::optional<uint16_t> ParsePort(std::string_view text) {
    if (text.empty() || text.size() > 5) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) {
        return std::nullopt;
    }
    return static_cast<uint16_t>(value);
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

std::optional<ConnectTarget> ParseConnectTarget(std::string_view text, uint16_t defaultPort) {
    ConnectTarget target;
    std::string_view portText;
    bool hasPort = false;
    if (!text.empty() && text.front() == '[') {
        size_t close = text.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        target.host = std::string(text.substr(1, close - 1));
        std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') {
                return std::nullopt;
            }
            portText = rest.substr(1);
            hasPort = true;
        }
    } else {
        size_t colon = text.rfind(':');
        // A bare IPv6 address has several colons and no port.
        if (colon != std::string_view::npos && text.find(':') == colon) {
            target.host = std::string(text.substr(0, colon));
            portText = text.substr(colon + 1);
            hasPort = true;
        } else {
            target.host = std::string(text);
        }
    }
    if (hasPort) {
        std::optional<uint16_t> port = ParsePort(portText);
        if (!port) {
            return std::nullopt;
        }
        target.port = *port;
    } else {
        target.port = defaultPort;
    }
    bool bracketed = target.host.find(':') != std::string::npos;
    target.serial = (bracketed ? "[" + target.host + "]" : target.host) + ":" + std::to_string(target.port);
    return target;
}

std::vector<std::string> ParseDeviceList(std::string_view text) {
    std::vector<std::string> serials;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && std::find(serials.begin(), serials.end(), line) == serials.end()) {
            serials.emplace_back(line);
        }
    }
    return serials;
}

std::string FormatDeviceList(const std::vector<std::string>& serials) {
    std::string text;
    for (const std::string& serial : serials) {
        text += serial;
        text += '\n';
    }
    return text;
}

}  // namespace adb

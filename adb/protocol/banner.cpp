#include "adb/protocol/banner.h"

#include <vector>

namespace adb {
namespace {

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    size_t start = 0;
    while (true) {
        size_t end = text.find(separator, start);
        pieces.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) {
            return pieces;
        }
        start = end + 1;
    }
}

}  // namespace

Banner ParseBanner(std::string_view text) {
    Banner banner;
    if (size_t nul = text.find('\0'); nul != std::string_view::npos) {
        text = text.substr(0, nul);
    }
    std::vector<std::string_view> pieces = Split(text, ':');
    banner.systemType = std::string(pieces[0]);
    if (pieces.size() < 3) {
        return banner;
    }
    // Properties never contain ':', but be lenient and keep anything after the second one.
    std::string_view properties = text.substr(pieces[0].size() + pieces[1].size() + 2);
    for (std::string_view item : Split(properties, ';')) {
        if (item.empty()) {
            continue;
        }
        size_t equals = item.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        std::string key(item.substr(0, equals));
        std::string_view value = item.substr(equals + 1);
        if (key == "features") {
            for (std::string_view feature : Split(value, ',')) {
                if (!feature.empty()) {
                    banner.features.emplace(feature);
                }
            }
        } else {
            banner.properties[key] = std::string(value);
        }
    }
    return banner;
}

std::string HostBanner(const std::set<std::string>& features) {
    std::string text = "host::features=";
    bool first = true;
    for (const std::string& feature : features) {
        if (!first) {
            text += ',';
        }
        text += feature;
        first = false;
    }
    return text;
}

const std::set<std::string>& ClientFeatures() {
    // No delayed_ack: this client keeps one write in flight per stream.
    static const std::set<std::string> features = {"shell_v2", "cmd", "stat_v2", "abb_exec"};
    return features;
}

}  // namespace adb

// The CNXN payload: "systemtype:serial:prop=value;prop=value;features=a,b,c".
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>

namespace adb {

struct Banner {
    std::string systemType;  // "device", "recovery", "host", ...
    std::map<std::string, std::string> properties;
    std::set<std::string> features;

    bool Has(std::string_view feature) const { return features.count(std::string(feature)) != 0; }
};

// Takes both today's form and the old one (every property ending in ';', a trailing NUL).
Banner ParseBanner(std::string_view text);

// What this client says of itself: "host::features=a,b,c".
std::string HostBanner(const std::set<std::string>& features);

// The features this client asks for; a feature counts only when the device lists it too.
const std::set<std::string>& ClientFeatures();

}  // namespace adb

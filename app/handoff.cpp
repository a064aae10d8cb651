#include "app/handoff.h"

namespace {

constexpr std::string_view kMagic = "MGH1";

void PutU32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

bool TakeU32(std::string_view& data, uint32_t* value) {
    if (data.size() < 4) {
        return false;
    }
    *value = 0;
    for (int i = 0; i < 4; ++i) {
        *value |= static_cast<uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
    }
    data.remove_prefix(4);
    return true;
}

}  // namespace

std::string EncodeHandoff(const std::vector<std::u16string>& paths) {
    std::string out(kMagic);
    PutU32(out, static_cast<uint32_t>(paths.size()));
    for (const std::u16string& path : paths) {
        PutU32(out, static_cast<uint32_t>(path.size()));
        for (const char16_t unit : path) {
            out += static_cast<char>(unit & 0xFF);
            out += static_cast<char>(unit >> 8);
        }
    }
    return out;
}

std::optional<std::vector<std::u16string>> DecodeHandoff(std::string_view data) {
    if (!data.starts_with(kMagic)) {
        return std::nullopt;
    }
    data.remove_prefix(kMagic.size());
    uint32_t count = 0;
    if (!TakeU32(data, &count) || count == 0 || count > kMaxHandoffPaths) {
        return std::nullopt;
    }
    std::vector<std::u16string> paths;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t length = 0;
        if (!TakeU32(data, &length) || length > kMaxHandoffPathUnits || data.size() / 2 < length) {
            return std::nullopt;
        }
        std::u16string path(length, u'\0');
        for (uint32_t unit = 0; unit < length; ++unit) {
            path[unit] = static_cast<char16_t>(static_cast<unsigned char>(data[2 * unit]) |
                                               (static_cast<unsigned char>(data[2 * unit + 1]) << 8));
            if (path[unit] == u'\0') {
                return std::nullopt;
            }
        }
        data.remove_prefix(2 * static_cast<size_t>(length));
        paths.push_back(std::move(path));
    }
    if (!data.empty()) {
        return std::nullopt;
    }
    return paths;
}

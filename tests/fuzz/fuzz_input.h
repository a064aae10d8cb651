// Helpers shared by the fuzz targets: cutting one input into fields, and a byte stream that hands
// the input out in pieces of the sizes the input itself chooses.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "adb/protocol/byte_stream.h"

namespace fuzz {

inline std::string_view AsText(const uint8_t* data, size_t size) {
    return std::string_view(reinterpret_cast<const char*>(data), size);
}

// The input split at NUL bytes into exactly `count` fields (missing ones empty).
inline std::vector<std::string> Fields(std::string_view text, size_t count) {
    std::vector<std::string> fields(count);
    for (size_t i = 0; i < count; ++i) {
        size_t end = i + 1 == count ? text.size() : std::min(text.find('\0'), text.size());
        fields[i] = std::string(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return fields;
}

// The first byte of the input sets the piece size; every send succeeds; the end is a close.
class InputStream : public adb::ByteStream {
  public:
    explicit InputStream(std::string_view input)
        : piece_(input.empty() ? 1 : 1 + static_cast<uint8_t>(input[0]) * 64),
          input_(input.empty() ? input : input.substr(1)) {}
    bool Send(std::string_view, std::string_view, int) override { return true; }
    adb::ReceiveStatus Receive(char* data, size_t size, int, size_t* received) override {
        if (input_.empty()) {
            return adb::ReceiveStatus::kClosed;
        }
        size_t n = std::min({size, piece_, input_.size()});
        std::memcpy(data, input_.data(), n);
        input_.remove_prefix(n);
        *received = n;
        return adb::ReceiveStatus::kData;
    }

  private:
    size_t piece_;
    std::string_view input_;
};

}  // namespace fuzz

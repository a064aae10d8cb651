// What a device says, kept up to a bound: a verdict or a command's output may be endless.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace adb {

constexpr size_t kMaxKeptOutput = 64 * 1024;

struct BoundedText {
    std::string text;      // the first kMaxKeptOutput bytes
    uint64_t dropped = 0;  // how many came after them

    void Append(std::string_view bytes);
    // The kept text, with a marker saying how much was left out.
    std::string Shown() const;
};

}  // namespace adb

#include "adb/protocol/little_endian.h"

namespace adb {

void PutLe32(void* out, uint32_t value) {
    auto* bytes = static_cast<unsigned char*>(out);
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

uint32_t GetLe32(const void* in) {
    const auto* bytes = static_cast<const unsigned char*>(in);
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

void AppendLe32(std::string& out, uint32_t value) {
    char bytes[4];
    PutLe32(bytes, value);
    out.append(bytes, sizeof bytes);
}

void AppendLe64(std::string& out, uint64_t value) {
    AppendLe32(out, static_cast<uint32_t>(value));
    AppendLe32(out, static_cast<uint32_t>(value >> 32));
}

}  // namespace adb

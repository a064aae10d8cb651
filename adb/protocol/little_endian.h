// Little-endian words, as the transport, the sync protocol and the public key struct store them.
#pragma once

#include <cstdint>
#include <string>

namespace adb {

void PutLe32(void* out, uint32_t value);
uint32_t GetLe32(const void* in);
void AppendLe32(std::string& out, uint32_t value);
void AppendLe64(std::string& out, uint64_t value);

}  // namespace adb

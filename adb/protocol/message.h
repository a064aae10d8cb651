// The device transport's message: a 24-byte little-endian header and an optional payload.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace adb {

// Commands are four ASCII letters read as a little-endian word, so the wire spells the name.
constexpr uint32_t kCommandCnxn = 0x4E584E43;
constexpr uint32_t kCommandAuth = 0x48545541;
constexpr uint32_t kCommandOpen = 0x4E45504F;
constexpr uint32_t kCommandOkay = 0x59414B4F;
constexpr uint32_t kCommandClse = 0x45534C43;
constexpr uint32_t kCommandWrte = 0x45545257;
constexpr uint32_t kCommandStls = 0x534C5453;

// AUTH arg0.
constexpr uint32_t kAuthToken = 1;
constexpr uint32_t kAuthSignature = 2;
constexpr uint32_t kAuthRsaPublicKey = 3;

// The original version, whose peers sum every payload; from the next one on the sum is left 0.
constexpr uint32_t kVersionMin = 0x01000000;
constexpr uint32_t kVersionSkipChecksum = 0x01000001;
// What every device accepts before it has told its own limit (CNXN and AUTH payloads).
constexpr uint32_t kMaxPayloadV1 = 4096;
constexpr uint32_t kMaxPayload = 1024 * 1024;

constexpr size_t kHeaderSize = 24;
using HeaderBytes = std::array<uint8_t, kHeaderSize>;

struct MessageHeader {
    uint32_t command = 0;
    uint32_t arg0 = 0;
    uint32_t arg1 = 0;
    uint32_t dataLength = 0;
    uint32_t dataCheck = 0;
    uint32_t magic = 0;
};

// The "data_crc32" field is in fact the unsigned 32-bit sum of the payload bytes.
uint32_t PayloadChecksum(std::string_view payload);

// A header for the payload, with the byte sum filled in when `withChecksum`.
MessageHeader MakeHeader(uint32_t command, uint32_t arg0, uint32_t arg1, std::string_view payload, bool withChecksum);

HeaderBytes EncodeHeader(const MessageHeader& header);

// Nothing when the magic is not the command's complement.
std::optional<MessageHeader> DecodeHeader(const uint8_t* bytes);

// Whether a sender fills the checksum at this negotiated version.
inline bool SendsChecksum(uint32_t negotiatedVersion) {
    return negotiatedVersion < kVersionSkipChecksum;
}

// "CNXN", "WRTE", ... for logs; "????" for an unknown command.
std::string_view CommandName(uint32_t command);

}  // namespace adb

// The device's form of an RSA public key: a 524-byte little-endian struct, base64-encoded in
// adbkey.pub and in AUTH(RSAPUBLICKEY) as "<base64> <user>@<host>".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace adb {

constexpr size_t kPublicKeyBlobSize = 524;
constexpr size_t kModulusBytes = 256;

// From the big-endian modulus (256 bytes) and the exponent; empty when the modulus is not a
// 2048-bit odd number. n0inv and rr are computed for verifiers that still use them.
std::string EncodePublicKeyBlob(std::string_view modulusBigEndian, uint32_t exponent);

struct PublicKeyNumbers {
    std::string modulusBigEndian;
    uint32_t exponent = 0;
    bool montgomeryValuesCorrect = false;  // n0inv and rr agree with the modulus
};
std::optional<PublicKeyNumbers> DecodePublicKeyBlob(std::string_view blob);

// "<base64(blob)> <comment>", no newline.
std::string FormatPublicKeyLine(std::string_view blob, std::string_view comment);

// The blob of a key line (split on the first space or tab); nothing when it is not one.
std::optional<std::string> ParsePublicKeyLine(std::string_view line);

std::string Base64Encode(std::string_view bytes);
std::optional<std::string> Base64Decode(std::string_view text);

}  // namespace adb

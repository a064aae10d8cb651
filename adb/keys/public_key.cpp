#include "adb/keys/public_key.h"

#include <mbedtls/base64.h>
#include <mbedtls/bignum.h>

#include "adb/protocol/little_endian.h"

namespace adb {
namespace {

constexpr uint32_t kModulusWords = kModulusBytes / 4;

// Owns an mbedtls_mpi for the length of a scope.
struct Mpi {
    mbedtls_mpi value;
    Mpi() { mbedtls_mpi_init(&value); }
    ~Mpi() { mbedtls_mpi_free(&value); }
    Mpi(const Mpi&) = delete;
    Mpi& operator=(const Mpi&) = delete;
    mbedtls_mpi* operator&() { return &value; }
};

struct MontgomeryValues {
    uint32_t n0inv = 0;
    std::string rrLittleEndian;
};

// n0inv = -1/n mod 2^32 and rr = (2^2048)^2 mod n.
std::optional<MontgomeryValues> ComputeMontgomeryValues(mbedtls_mpi* n) {
    Mpi r32, inverse, rr;
    MontgomeryValues values;
    values.rrLittleEndian.assign(kModulusBytes, '\0');
    if (mbedtls_mpi_lset(&r32, 1) != 0 || mbedtls_mpi_shift_l(&r32, 32) != 0 ||
        mbedtls_mpi_inv_mod(&inverse, n, &r32) != 0 || mbedtls_mpi_lset(&rr, 1) != 0 ||
        mbedtls_mpi_shift_l(&rr, 2 * kModulusBytes * 8) != 0 || mbedtls_mpi_mod_mpi(&rr, &rr, n) != 0 ||
        mbedtls_mpi_write_binary_le(&rr, reinterpret_cast<unsigned char*>(values.rrLittleEndian.data()),
                                    kModulusBytes) != 0) {
        return std::nullopt;
    }
    unsigned char inverseBytes[4];
    if (mbedtls_mpi_write_binary_le(&inverse, inverseBytes, sizeof inverseBytes) != 0) {
        return std::nullopt;
    }
    values.n0inv = 0u - GetLe32(inverseBytes);
    return values;
}

}  // namespace

std::string EncodePublicKeyBlob(std::string_view modulusBigEndian, uint32_t exponent) {
    Mpi n;
    if (modulusBigEndian.size() != kModulusBytes ||
        mbedtls_mpi_read_binary(&n, reinterpret_cast<const unsigned char*>(modulusBigEndian.data()),
                                modulusBigEndian.size()) != 0 ||
        mbedtls_mpi_bitlen(&n) != kModulusBytes * 8 || mbedtls_mpi_get_bit(&n, 0) != 1) {
        return {};
    }
    std::optional<MontgomeryValues> montgomery = ComputeMontgomeryValues(&n);
    if (!montgomery) {
        return {};
    }
    std::string blob(kPublicKeyBlobSize, '\0');
    PutLe32(&blob[0], kModulusWords);
    PutLe32(&blob[4], montgomery->n0inv);
    if (mbedtls_mpi_write_binary_le(&n, reinterpret_cast<unsigned char*>(&blob[8]), kModulusBytes) != 0) {
        return {};
    }
    blob.replace(8 + kModulusBytes, kModulusBytes, montgomery->rrLittleEndian);
    PutLe32(&blob[8 + 2 * kModulusBytes], exponent);
    return blob;
}

std::optional<PublicKeyNumbers> DecodePublicKeyBlob(std::string_view blob) {
    if (blob.size() != kPublicKeyBlobSize || GetLe32(&blob[0]) != kModulusWords) {
        return std::nullopt;
    }
    Mpi n;
    if (mbedtls_mpi_read_binary_le(&n, reinterpret_cast<const unsigned char*>(&blob[8]), kModulusBytes) != 0 ||
        mbedtls_mpi_get_bit(&n, 0) != 1) {
        return std::nullopt;
    }
    PublicKeyNumbers numbers;
    numbers.modulusBigEndian.assign(kModulusBytes, '\0');
    if (mbedtls_mpi_write_binary(&n, reinterpret_cast<unsigned char*>(numbers.modulusBigEndian.data()),
                                 kModulusBytes) != 0) {
        return std::nullopt;
    }
    numbers.exponent = GetLe32(&blob[8 + 2 * kModulusBytes]);
    std::optional<MontgomeryValues> montgomery = ComputeMontgomeryValues(&n);
    numbers.montgomeryValuesCorrect = montgomery && montgomery->n0inv == GetLe32(&blob[4]) &&
                                      montgomery->rrLittleEndian == blob.substr(8 + kModulusBytes, kModulusBytes);
    return numbers;
}

std::string Base64Encode(std::string_view bytes) {
    size_t needed = 0;
    (void)mbedtls_base64_encode(nullptr, 0, &needed, reinterpret_cast<const unsigned char*>(bytes.data()),
                                bytes.size());
    std::string text(needed, '\0');
    size_t written = 0;
    if (mbedtls_base64_encode(reinterpret_cast<unsigned char*>(text.data()), text.size(), &written,
                              reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()) != 0) {
        return {};
    }
    text.resize(written);
    return text;
}

std::optional<std::string> Base64Decode(std::string_view text) {
    size_t needed = 0;
    int status =
        mbedtls_base64_decode(nullptr, 0, &needed, reinterpret_cast<const unsigned char*>(text.data()), text.size());
    if (status == MBEDTLS_ERR_BASE64_INVALID_CHARACTER) {
        return std::nullopt;
    }
    std::string bytes(needed, '\0');
    size_t written = 0;
    if (mbedtls_base64_decode(reinterpret_cast<unsigned char*>(bytes.data()), bytes.size(), &written,
                              reinterpret_cast<const unsigned char*>(text.data()), text.size()) != 0) {
        return std::nullopt;
    }
    bytes.resize(written);
    return bytes;
}

std::string FormatPublicKeyLine(std::string_view blob, std::string_view comment) {
    std::string line = Base64Encode(blob);
    line += ' ';
    line += comment;
    return line;
}

std::optional<std::string> ParsePublicKeyLine(std::string_view line) {
    size_t end = line.find_first_of(" \t\r\n");
    std::optional<std::string> blob = Base64Decode(line.substr(0, end));
    if (!blob || blob->size() != kPublicKeyBlobSize) {
        return std::nullopt;
    }
    return blob;
}

}  // namespace adb

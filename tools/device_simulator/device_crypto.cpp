#include "tools/device_simulator/device_crypto.h"

#include <mbedtls/rsa.h>
#include <unistd.h>

#include <optional>

#include "adb/keys/public_key.h"
#include "adb/keys/rsa_key.h"

namespace simulator {

std::string RandomToken() {
    std::string token(adb::kAuthTokenSize, '\0');
    if (getentropy(token.data(), token.size()) != 0) {
        return {};
    }
    return token;
}

bool VerifyTokenSignature(std::string_view publicKeyBlob, std::string_view token, std::string_view signature) {
    std::optional<adb::PublicKeyNumbers> numbers = adb::DecodePublicKeyBlob(publicKeyBlob);
    if (!numbers || token.size() != adb::kAuthTokenSize || signature.size() != adb::kSignatureSize) {
        return false;
    }
    mbedtls_rsa_context rsa;
    mbedtls_rsa_init(&rsa, MBEDTLS_RSA_PKCS_V15, 0);
    unsigned char exponent[4] = {
        static_cast<unsigned char>(numbers->exponent >> 24), static_cast<unsigned char>(numbers->exponent >> 16),
        static_cast<unsigned char>(numbers->exponent >> 8), static_cast<unsigned char>(numbers->exponent)};
    bool ok = mbedtls_rsa_import_raw(&rsa, reinterpret_cast<const unsigned char*>(numbers->modulusBigEndian.data()),
                                     numbers->modulusBigEndian.size(), nullptr, 0, nullptr, 0, nullptr, 0, exponent,
                                     sizeof exponent) == 0 &&
              mbedtls_rsa_complete(&rsa) == 0 &&
              mbedtls_rsa_pkcs1_verify(&rsa, nullptr, nullptr, MBEDTLS_RSA_PUBLIC, MBEDTLS_MD_SHA1,
                                       static_cast<unsigned>(token.size()),
                                       reinterpret_cast<const unsigned char*>(token.data()),
                                       reinterpret_cast<const unsigned char*>(signature.data())) == 0;
    mbedtls_rsa_free(&rsa);
    return ok;
}

}  // namespace simulator

// The device's half of authentication: the random token and the check of its signature.
#pragma once

#include <string>
#include <string_view>

namespace simulator {

// kAuthTokenSize random bytes; empty when the system has no randomness to give.
std::string RandomToken();

// Whether `signature` is the PKCS#1 v1.5 signature of the token (taken as a SHA-1 digest) by the
// key of one public key struct.
bool VerifyTokenSignature(std::string_view publicKeyBlob, std::string_view token, std::string_view signature);

}  // namespace simulator

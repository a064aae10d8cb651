// The user's RSA-2048 key: generated, read from and written to PEM, signing AUTH tokens.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace adb {

constexpr size_t kAuthTokenSize = 20;
constexpr size_t kSignatureSize = 256;

class RsaKey {
  public:
    // A new 2048-bit key with exponent 65537.
    static std::unique_ptr<RsaKey> Generate(std::string* error);
    // PEM PKCS#8 ("PRIVATE KEY") or PKCS#1 ("RSA PRIVATE KEY"); only 2048-bit RSA keys.
    static std::unique_ptr<RsaKey> FromPem(std::string_view pem, std::string* error);
    ~RsaKey();

    // PEM PKCS#8, the form adbkey is written in.
    std::string ToPkcs8Pem() const;
    // The 524-byte public key struct.
    std::string PublicKeyBlob() const;
    // RSASSA-PKCS1-v1_5 over the 20-byte token taken as a SHA-1 digest (it is not hashed again).
    std::optional<std::string> SignToken(std::string_view token) const;

  private:
    struct State;
    explicit RsaKey(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

}  // namespace adb

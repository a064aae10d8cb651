// The user's key pair in the key folder: adbkey (PEM PKCS#8, private to the user) and adbkey.pub.
#pragma once

#include <memory>
#include <string>

#include "adb/keys/rsa_key.h"
#include "adb/keys/user_files.h"

namespace adb {

constexpr const char* kPrivateKeyFile = "adbkey";
constexpr const char* kPublicKeyFile = "adbkey.pub";

struct UserKey {
    std::unique_ptr<RsaKey> key;  // none when adbkey exists and cannot be read
    std::string publicKeyLine;
    std::string problems;  // lines for stderr
};

// Reuses adbkey when present (so a device that trusts the user's key trusts us); otherwise
// creates it. adbkey.pub is written when missing.
UserKey LoadOrCreateUserKey(UserFiles& files);

}  // namespace adb

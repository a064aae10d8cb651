// The key files a user may hand us (adbkey, adbkey.pub) and the public key struct inside the line.
#include "adb/keys/public_key.h"
#include "adb/keys/rsa_key.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text = fuzz::AsText(data, size);
    if (std::optional<std::string> blob = adb::ParsePublicKeyLine(text)) {
        (void)adb::DecodePublicKeyBlob(*blob);
    }
    (void)adb::DecodePublicKeyBlob(text);
    (void)adb::Base64Decode(text);
    std::string error;
    if (std::unique_ptr<adb::RsaKey> key = adb::RsaKey::FromPem(text, &error)) {
        // A key we accept must give a public key line.
        if (key->PublicKeyBlob().size() != adb::kPublicKeyBlobSize) {
            __builtin_trap();
        }
    } else if (error.empty()) {
        __builtin_trap();  // every refusal says why
    }
    return 0;
}

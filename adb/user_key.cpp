#include "adb/user_key.h"

#include "adb/public_key.h"

namespace adb {

UserKey LoadOrCreateUserKey(ClientPlatform& platform) {
    UserKey result;
    std::string error;
    if (std::optional<std::string> pem = platform.ReadUserFile(kPrivateKeyFile)) {
        result.key = RsaKey::FromPem(*pem, &error);
        if (!result.key) {
            // Never overwrite a key the user may rely on elsewhere.
            platform.Print(OutputStream::kStderr, "adb: cannot use the private key " +
                                                      platform.UserFilePath(kPrivateKeyFile) + ": " + error + "\n");
            return result;
        }
    } else {
        result.key = RsaKey::Generate(&error);
        if (!result.key) {
            platform.Print(OutputStream::kStderr, "adb: " + error + "\n");
            return result;
        }
        if (!platform.WriteUserFile(kPrivateKeyFile, result.key->ToPkcs8Pem(), true, &error)) {
            platform.Print(OutputStream::kStderr,
                           "adb: cannot write " + platform.UserFilePath(kPrivateKeyFile) + ": " + error + "\n");
        }
    }
    result.publicKeyLine = FormatPublicKeyLine(result.key->PublicKeyBlob(), platform.KeyComment());
    if (!platform.ReadUserFile(kPublicKeyFile) &&
        !platform.WriteUserFile(kPublicKeyFile, result.publicKeyLine, false, &error)) {
        platform.Print(OutputStream::kStderr,
                       "adb: cannot write " + platform.UserFilePath(kPublicKeyFile) + ": " + error + "\n");
    }
    return result;
}

}  // namespace adb

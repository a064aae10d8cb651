#include "adb/keys/user_key.h"

#include "adb/keys/public_key.h"

namespace adb {

UserKey LoadOrCreateUserKey(UserFiles& files) {
    UserKey result;
    std::string error;
    if (std::optional<std::string> pem = files.ReadUserFile(kPrivateKeyFile)) {
        result.key = RsaKey::FromPem(*pem, &error);
        if (!result.key) {
            // Never overwrite a key the user may rely on elsewhere.
            result.problems +=
                "adb: cannot use the private key " + files.UserFilePath(kPrivateKeyFile) + ": " + error + "\n";
            return result;
        }
    } else if (files.UserFileExists(kPrivateKeyFile)) {
        result.problems += "adb: cannot use the private key " + files.UserFilePath(kPrivateKeyFile) +
                           ": it cannot be read, or it is larger than a key file can be\n";
        return result;
    } else {
        result.key = RsaKey::Generate(&error);
        if (!result.key) {
            result.problems += "adb: " + error + "\n";
            return result;
        }
        if (!files.WriteUserFile(kPrivateKeyFile, result.key->ToPkcs8Pem(), true, &error)) {
            result.problems += "adb: cannot write " + files.UserFilePath(kPrivateKeyFile) + ": " + error + "\n";
        }
    }
    result.publicKeyLine = FormatPublicKeyLine(result.key->PublicKeyBlob(), files.KeyComment());
    if (!files.UserFileExists(kPublicKeyFile) &&
        !files.WriteUserFile(kPublicKeyFile, result.publicKeyLine, false, &error)) {
        result.problems += "adb: cannot write " + files.UserFilePath(kPublicKeyFile) + ": " + error + "\n";
    }
    return result;
}

}  // namespace adb

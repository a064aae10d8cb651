// A whole install against a device whose every byte is the input: handshake, authentication,
// streamed or pushed install, sync replies, shell output and the verdict.
#include "adb/client/bounded_text.h"
#include "adb/client/package_installer.h"
#include "adb/keys/rsa_key.h"
#include "tests/fuzz/fake_platform.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

const adb::RsaKey& Key() {
    static std::unique_ptr<adb::RsaKey> key = [] {
        std::string error;
        return adb::RsaKey::Generate(&error);
    }();
    return *key;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto stream = std::make_unique<fuzz::InputStream>(fuzz::AsText(data, size));
    adb::DeviceConnection device(std::move(stream));
    adb::HandshakeSettings settings;
    settings.key = &Key();
    settings.publicKeyLine = "AAAA fuzz@host";
    settings.handshakeTimeoutMs = 2000;
    settings.authWaitMs = 2000;
    if (device.Handshake(settings) != adb::HandshakeOutcome::kOnline) {
        return 0;
    }
    fuzz::Platform platform;
    adb::InstallTimeouts timeouts;
    timeouts.replyMs = 2000;
    timeouts.resultMs = 2000;
    int code = adb::InstallPackage(device, platform, {"-r"}, "a.apk", timeouts);
    if (code != 0 && platform.printed == 0) {
        __builtin_trap();  // every failure has a line of text
    }
    if (platform.printed > 4 * adb::kMaxKeptOutput + 4096) {
        __builtin_trap();  // nothing the device sends is passed on without a bound
    }
    return 0;
}

// An install session against a device whose every byte is the input: the create answer and its
// session id, the writes' and the commit's answers, the shell's commit, the abandon after a failure.
// The input is also read as one answer for the session-id rule, and as a file name for the name rule.
#include "adb/client/split_installer.h"
#include "adb/protocol/install_service.h"
#include "tests/fuzz/fake_platform.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

bool SafeName(std::string_view name) {
    for (char c : name) {
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
              c == '-')) {
            return false;
        }
    }
    return name.size() <= adb::kSplitNameMax;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text = fuzz::AsText(data, size);
    if (std::optional<uint32_t> id = adb::ParseSessionId(text)) {
        if (text.compare(0, 7, "Success") != 0 || *id > 0x7fffffffu) {
            __builtin_trap();
        }
    }
    if (!SafeName(adb::SplitName(size % 1000, text))) {
        __builtin_trap();
    }

    adb::DeviceConnection device(std::make_unique<fuzz::InputStream>(text));
    adb::HandshakeSettings settings;
    settings.handshakeTimeoutMs = 2000;
    if (device.Handshake(settings) != adb::HandshakeOutcome::kOnline) {
        return 0;
    }
    fuzz::Platform platform;
    bool opened = false;
    std::vector<adb::SplitFile> files = adb::OpenSplitFiles(platform, {"a.apk", "b.apk"}, &opened);
    adb::InstallTimeouts timeouts;
    timeouts.replyMs = 2000;
    timeouts.resultMs = 2000;
    adb::Reconnect gone = [](std::string* problem) -> std::unique_ptr<adb::DeviceConnection> {
        *problem = "gone";
        return nullptr;
    };
    int code = adb::InstallSplits(device, platform, {"-r"}, files, timeouts, gone);
    if (code != 0 && platform.printed == 0) {
        __builtin_trap();  // every failure has a line of text
    }
    if (code == 0 && platform.stdoutText.find("Success") == std::string::npos) {
        __builtin_trap();  // never a success without the device's word
    }
    if (platform.printed > 4 * adb::kMaxKeptOutput + 4096) {
        __builtin_trap();  // nothing the device sends is passed on without a bound
    }
    return 0;
}

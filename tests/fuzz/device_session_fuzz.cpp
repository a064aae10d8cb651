// A whole install against a device whose every byte is the input: handshake, authentication,
// streamed or pushed install, sync replies, shell output and the verdict.
#include "adb/client/bounded_text.h"
#include "adb/client/package_installer.h"
#include "adb/keys/rsa_key.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

class MemoryFile : public adb::PackageFile {
  public:
    uint64_t Size() const override { return 3000; }
    bool Read(char* data, size_t size, size_t* got) override {
        *got = std::min<size_t>(size, 3000 - at_);
        std::memset(data, 'p', *got);
        at_ += *got;
        return true;
    }

  private:
    size_t at_ = 0;
};

class NoFiles : public adb::UserFiles {
  public:
    std::string UserFilePath(std::string_view name) override { return std::string(name); }
    std::optional<std::string> ReadUserFile(std::string_view) override { return std::nullopt; }
    bool UserFileExists(std::string_view) override { return false; }
    bool WriteUserFile(std::string_view, std::string_view, bool, std::string*) override { return true; }
    void RemoveUserFile(std::string_view) override {}
    std::string KeyComment() override { return "fuzz@host"; }
};

class Platform : public adb::ClientPlatform {
  public:
    size_t printed = 0;
    void Print(adb::OutputStream, std::string_view text) override { printed += text.size(); }
    adb::TcpConnectResult ConnectTcp(const std::string&, uint16_t, int) override { return {}; }
    std::optional<std::string> Environment(const char*) override { return std::nullopt; }
    adb::UserFiles& Files() override { return files_; }
    std::unique_ptr<adb::PackageFile> OpenPackage(const std::string&, std::string*) override {
        return std::make_unique<MemoryFile>();
    }
    std::string DeviceFileName(const std::string&) override { return "a.apk"; }

  private:
    NoFiles files_;
};

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
    Platform platform;
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

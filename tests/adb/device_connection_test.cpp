#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <vector>

#include "adb/client/device_connection.h"
#include "adb/client/split_installer.h"
#include "adb/keys/public_key.h"
#include "adb/keys/rsa_key.h"
#include "tools/device_simulator/device_crypto.h"

namespace adb {
namespace {

struct Sent {
    MessageHeader header;
    std::string payload;
};

// A scripted device. Replies to a message are queued by `react`; a WRTE is acknowledged only
// when the host next waits for input, so a host that sends two WRTEs without waiting is caught.
class FakeDevice : public ByteStream {
  public:
    std::function<void(const Sent&, FakeDevice&)> react;
    std::vector<Sent> sent;
    bool autoOkay = true;
    bool closed = false;
    int flowViolations = 0;

    void Queue(uint32_t command, uint32_t arg0, uint32_t arg1, std::string_view payload, bool checksum = false) {
        HeaderBytes header = EncodeHeader(MakeHeader(command, arg0, arg1, payload, checksum));
        input_.append(reinterpret_cast<const char*>(header.data()), header.size());
        input_.append(payload);
    }
    void QueueRaw(std::string_view bytes) { input_.append(bytes); }

    bool Send(std::string_view first, std::string_view second, int) override {
        std::string bytes = std::string(first) + std::string(second);
        Sent message{*DecodeHeader(reinterpret_cast<const uint8_t*>(bytes.data())), bytes.substr(kHeaderSize)};
        EXPECT_EQ(message.payload.size(), message.header.dataLength);
        if (message.header.command == kCommandWrte) {
            flowViolations += unacknowledged_ ? 1 : 0;
            unacknowledged_ = true;
            lastWrite_ = message.header;
        }
        sent.push_back(message);
        if (react) {
            react(sent.back(), *this);
        }
        return !closed;
    }

    ReceiveStatus Receive(char* data, size_t size, int, size_t* received) override {
        if (unacknowledged_ && autoOkay) {
            unacknowledged_ = false;
            Queue(kCommandOkay, lastWrite_.arg1, lastWrite_.arg0, {});
        }
        if (input_.empty()) {
            return closed ? ReceiveStatus::kClosed : ReceiveStatus::kTimeout;
        }
        *received = std::min(size, input_.size());
        input_.copy(data, *received);
        input_.erase(0, *received);
        return ReceiveStatus::kData;
    }

  private:
    std::string input_;
    bool unacknowledged_ = false;
    MessageHeader lastWrite_;
};

struct Rig {
    FakeDevice* device;
    DeviceConnection connection;
    explicit Rig(std::unique_ptr<FakeDevice> fake) : device(fake.get()), connection(std::move(fake)) {}
};

std::unique_ptr<RsaKey> NewKey() {
    std::string error;
    static std::unique_ptr<RsaKey> key = RsaKey::Generate(&error);
    return RsaKey::FromPem(key->ToPkcs8Pem(), &error);
}

HandshakeSettings Settings(const RsaKey* key) {
    HandshakeSettings settings;
    settings.key = key;
    settings.publicKeyLine = key ? FormatPublicKeyLine(key->PublicKeyBlob(), "me@pc") : "";
    return settings;
}

// Online at once: no authentication.
std::unique_ptr<FakeDevice> OpenDevice(uint32_t version, uint32_t maxPayload, std::string banner) {
    auto device = std::make_unique<FakeDevice>();
    device->react = [=](const Sent& message, FakeDevice& self) {
        if (message.header.command == kCommandCnxn) {
            self.Queue(kCommandCnxn, version, maxPayload, banner, version < kVersionSkipChecksum);
        } else if (message.header.command == kCommandOpen) {
            self.Queue(kCommandOkay, 77, message.header.arg0, {});
        }
    };
    return device;
}

TEST(Handshake, OffersThePublicKeyAfterARefusedSignatureAndWaitsForTheUser) {
    std::unique_ptr<RsaKey> key = NewKey();
    auto device = std::make_unique<FakeDevice>();
    int tokens = 0;
    device->react = [&](const Sent& message, FakeDevice& self) {
        if (message.header.command == kCommandCnxn ||
            (message.header.command == kCommandAuth && message.header.arg0 == kAuthSignature)) {
            ++tokens;
            self.Queue(kCommandAuth, kAuthToken, 0, std::string(20, static_cast<char>('a' + tokens)));
        } else if (message.header.command == kCommandAuth && message.header.arg0 == kAuthRsaPublicKey) {
            self.Queue(kCommandCnxn, kVersionSkipChecksum, 256 * 1024, "device::features=cmd");
        }
    };
    Rig rig(std::move(device));
    EXPECT_EQ(rig.connection.Handshake(Settings(key.get())), HandshakeOutcome::kOnline);
    EXPECT_EQ(rig.connection.MaxPayload(), 256u * 1024);
    EXPECT_TRUE(rig.connection.Device().Has("cmd"));
    const std::vector<Sent>& sent = rig.device->sent;
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].header.arg0, kVersionSkipChecksum);
    EXPECT_EQ(sent[0].header.arg1, kMaxPayload);
    EXPECT_EQ(sent[0].payload, HostBanner(ClientFeatures()));
    EXPECT_TRUE(simulator::VerifyTokenSignature(key->PublicKeyBlob(), std::string(20, 'b'), sent[1].payload));
    EXPECT_EQ(sent[2].payload, FormatPublicKeyLine(key->PublicKeyBlob(), "me@pc") + '\0');
    for (const Sent& message : sent) {
        EXPECT_EQ(message.header.dataCheck, PayloadChecksum(message.payload));  // sent before the device's CNXN
    }
}

TEST(Handshake, ReportsEachWayItCanFail) {
    std::unique_ptr<RsaKey> key = NewKey();
    {
        Rig rig(std::make_unique<FakeDevice>());  // says nothing
        EXPECT_EQ(rig.connection.Handshake(Settings(key.get())), HandshakeOutcome::kNoHandshake);
    }
    {
        auto device = std::make_unique<FakeDevice>();
        device->closed = true;
        Rig rig(std::move(device));
        EXPECT_EQ(rig.connection.Handshake(Settings(key.get())), HandshakeOutcome::kConnectionLost);
    }
    auto tokenDevice = [] {
        auto device = std::make_unique<FakeDevice>();
        device->react = [](const Sent& message, FakeDevice& self) {
            if (message.header.command == kCommandCnxn || message.header.arg0 == kAuthSignature) {
                self.Queue(kCommandAuth, kAuthToken, 0, std::string(20, 't'));
            }
        };
        return device;
    };
    {
        Rig rig(tokenDevice());  // never allowed
        EXPECT_EQ(rig.connection.Handshake(Settings(key.get())), HandshakeOutcome::kUnauthorized);
        EXPECT_EQ(rig.device->sent.back().header.arg0, kAuthRsaPublicKey);
    }
    {
        Rig rig(tokenDevice());  // no key to sign with
        EXPECT_EQ(rig.connection.Handshake(Settings(nullptr)), HandshakeOutcome::kUnauthorized);
    }
    {
        auto device = std::make_unique<FakeDevice>();
        device->react = [](const Sent&, FakeDevice& self) { self.Queue(kCommandStls, 1, kVersionMin, {}); };
        Rig rig(std::move(device));
        EXPECT_EQ(rig.connection.Handshake(Settings(key.get())), HandshakeOutcome::kTlsRequested);
    }
    {
        auto device = std::make_unique<FakeDevice>();
        device->react = [](const Sent&, FakeDevice& self) { self.QueueRaw(std::string(24, 'x')); };
        Rig rig(std::move(device));
        EXPECT_EQ(rig.connection.Handshake(Settings(key.get())), HandshakeOutcome::kConnectionLost);
    }
}

TEST(StreamWrite, KeepsOneWriteInFlightWithinTheOldPayloadLimitAndChecksums) {
    Rig rig(OpenDevice(kVersionMin, 4096, "device::"));
    ASSERT_EQ(rig.connection.Handshake(Settings(nullptr)), HandshakeOutcome::kOnline);
    EXPECT_EQ(rig.connection.MaxPayload(), 4096u);
    ASSERT_EQ(rig.connection.Open("sync:", 1000), StreamStatus::kOk);
    std::string data(10000, 'z');
    ASSERT_EQ(rig.connection.Write(data, 1000), StreamStatus::kOk);
    EXPECT_EQ(rig.device->flowViolations, 0);
    std::vector<size_t> sizes;
    for (const Sent& message : rig.device->sent) {
        if (message.header.command == kCommandWrte) {
            sizes.push_back(message.payload.size());
            EXPECT_EQ(message.header.arg1, 77u);
        }
        if (message.header.command != kCommandCnxn) {
            EXPECT_EQ(message.header.dataCheck, PayloadChecksum(message.payload))
                << CommandName(message.header.command);
        }
    }
    EXPECT_EQ(sizes, (std::vector<size_t>{4096, 4096, 1808}));
    EXPECT_EQ(rig.device->sent[1].payload, std::string("sync:\0", 6));
}

TEST(StreamWrite, StopsWhenTheDeviceAnswersEarlyAndKeepsItsAnswer) {
    Rig rig(OpenDevice(kVersionSkipChecksum, 1024, "device::"));
    ASSERT_EQ(rig.connection.Handshake(Settings(nullptr)), HandshakeOutcome::kOnline);
    ASSERT_EQ(rig.connection.Open("exec:cmd package 'install' -S 5000", 1000), StreamStatus::kOk);
    rig.device->autoOkay = false;
    rig.device->react = [](const Sent& message, FakeDevice& self) {
        if (message.header.command == kCommandWrte) {
            self.Queue(kCommandWrte, 77, message.header.arg0, "Failure [INSTALL_FAILED_INSUFFICIENT_STORAGE]\n");
            self.Queue(kCommandClse, 77, message.header.arg0, {});
        }
    };
    EXPECT_EQ(rig.connection.Write(std::string(5000, 'a'), 1000), StreamStatus::kEnded);
    std::string answer;
    EXPECT_EQ(rig.connection.Read(&answer, 1000), StreamStatus::kOk);
    EXPECT_EQ(answer, "Failure [INSTALL_FAILED_INSUFFICIENT_STORAGE]\n");
    EXPECT_EQ(rig.connection.Read(&answer, 1000), StreamStatus::kEnded);
    size_t writes = 0;
    for (const Sent& message : rig.device->sent) {
        writes += message.header.command == kCommandWrte;
    }
    EXPECT_EQ(writes, 1u);
    // The device's WRTE was acknowledged, and its CLSE is answered once we close.
    EXPECT_EQ(rig.device->sent.back().header.command, kCommandOkay);
    rig.connection.Close();
    EXPECT_EQ(rig.device->sent.back().header.command, kCommandClse);
}

TEST(StreamOpen, ReportsARefusedServiceAndALostConnection) {
    auto device = OpenDevice(kVersionSkipChecksum, 4096, "device::");
    device->react = [](const Sent& message, FakeDevice& self) {
        if (message.header.command == kCommandCnxn) {
            self.Queue(kCommandCnxn, kVersionSkipChecksum, 4096, "device::");
        } else if (message.header.command == kCommandOpen) {
            self.Queue(kCommandClse, 0, message.header.arg0, {});
        }
    };
    Rig rig(std::move(device));
    ASSERT_EQ(rig.connection.Handshake(Settings(nullptr)), HandshakeOutcome::kOnline);
    EXPECT_EQ(rig.connection.Open("abb_exec:package", 1000), StreamStatus::kRefused);
    rig.device->closed = true;
    EXPECT_EQ(rig.connection.Open("sync:", 1000), StreamStatus::kConnectionLost);
}

// The package manager behind a fake device: install-create, one install-write per file (answered
// once its bytes are in), install-commit with `commitAnswer`, install-abandon.
class FakePackageManager {
  public:
    std::string commitAnswer = "Success\n";
    std::vector<std::string> services;  // the verbs opened, in order

    std::unique_ptr<FakeDevice> Device() {
        auto device = std::make_unique<FakeDevice>();
        device->react = [this](const Sent& message, FakeDevice& self) { React(message, self); };
        return device;
    }

  private:
    void React(const Sent& message, FakeDevice& self) {
        const MessageHeader& header = message.header;
        if (header.command == kCommandCnxn) {
            self.Queue(kCommandCnxn, kVersionSkipChecksum, 4096, "device::features=cmd,abb_exec");
        } else if (header.command == kCommandOpen) {
            std::vector<std::string> words;
            std::string service = message.payload.substr(0, message.payload.size() - 1);
            for (size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
                end = service.find('\0', start);
                words.push_back(service.substr(start, end == std::string::npos ? end : end - start));
            }
            services.push_back(words.at(1));
            uint32_t id = 100 + static_cast<uint32_t>(services.size());
            self.Queue(kCommandOkay, id, header.arg0, {});
            if (words[1] == "install-write") {
                expected_ = std::stoull(words.at(3));
                received_ = 0;
            } else {
                Answer(self, id, header.arg0,
                       words[1] == "install-create"   ? "Success: created install session [42]\n"
                       : words[1] == "install-commit" ? commitAnswer
                                                      : "Success\n");
            }
        } else if (header.command == kCommandWrte) {
            received_ += message.payload.size();
            if (received_ == expected_) {
                Answer(self, header.arg1, header.arg0, "Success: streamed " + std::to_string(received_) + " bytes\n");
            }
        }
    }
    static void Answer(FakeDevice& self, uint32_t id, uint32_t host, const std::string& text) {
        self.Queue(kCommandWrte, id, host, text);
        self.Queue(kCommandClse, id, host, {});
    }
    uint64_t expected_ = 0;
    uint64_t received_ = 0;
};

class MemoryFile : public PackageFile {
  public:
    explicit MemoryFile(size_t size) : size_(size) {}
    uint64_t Size() const override { return size_; }
    bool Read(char* data, size_t size, size_t* got) override {
        *got = std::min(size, size_ - at_);
        std::fill(data, data + *got, 'p');
        at_ += *got;
        return true;
    }

  private:
    size_t size_;
    size_t at_ = 0;
};

class TextPlatform : public ClientPlatform {
  public:
    std::string out, err;
    void Print(OutputStream stream, std::string_view text) override {
        (stream == OutputStream::kStdout ? out : err) += text;
    }
    TcpConnectResult ConnectTcp(const std::string&, uint16_t, int) override { return {}; }
    std::optional<std::string> Environment(const char*) override { return std::nullopt; }
    UserFiles& Files() override { std::abort(); }
    std::unique_ptr<PackageFile> OpenPackage(const std::string& path, std::string*) override {
        return std::make_unique<MemoryFile>(path.size() * 1000);
    }
    std::string DeviceFileName(const std::string& path) override { return path; }
};

int InstallTwoSplits(FakePackageManager& pm, TextPlatform& platform, const Reconnect& reconnect = {}) {
    Rig rig(pm.Device());
    EXPECT_EQ(rig.connection.Handshake(Settings(nullptr)), HandshakeOutcome::kOnline);
    bool opened = false;
    std::vector<SplitFile> files = OpenSplitFiles(platform, {"base.apk", "split_config.xxhdpi.apk"}, &opened);
    EXPECT_TRUE(opened);
    InstallTimeouts timeouts;
    timeouts.replyMs = timeouts.resultMs = 1000;
    int code = InstallSplits(rig.connection, platform, {}, files, timeouts, reconnect);
    EXPECT_EQ(rig.device->flowViolations, 0);
    return code;
}

TEST(SplitInstall, ACommitThatWarnsBeforeItsSuccessSucceeds) {
    FakePackageManager pm;
    pm.commitAnswer = "Warning [Could not validate the dex paths: x]\nSuccess\n";
    TextPlatform platform;
    EXPECT_EQ(InstallTwoSplits(pm, platform), 0);
    EXPECT_EQ(platform.out, pm.commitAnswer);
    EXPECT_EQ(pm.services,
              (std::vector<std::string>{"install-create", "install-write", "install-write", "install-commit"}));
}

TEST(SplitInstall, ARefusedCommitIsShownAndTheSessionAbandoned) {
    FakePackageManager pm;
    pm.commitAnswer = "Failure [INSTALL_FAILED_MISSING_SPLIT: Missing split for p]";
    TextPlatform platform;
    EXPECT_EQ(InstallTwoSplits(pm, platform), 1);
    EXPECT_EQ(platform.out, "");
    EXPECT_EQ(platform.err,
              "adb: failed to finalize session\nFailure [INSTALL_FAILED_MISSING_SPLIT: Missing split "
              "for p]\n");
    EXPECT_EQ(pm.services.back(), "install-abandon");
}

// The device goes away when `verb` is opened and cannot be reached for the abandon.
std::string GoneAt(const std::string& verb, int* reconnects) {
    FakePackageManager pm;
    TextPlatform platform;
    Rig rig(pm.Device());
    EXPECT_EQ(rig.connection.Handshake(Settings(nullptr)), HandshakeOutcome::kOnline);
    bool opened = false;
    std::vector<SplitFile> files = OpenSplitFiles(platform, {"base.apk"}, &opened);
    rig.device->react = [&, react = rig.device->react](const Sent& message, FakeDevice& self) {
        self.closed =
            self.closed || (message.header.command == kCommandOpen && message.payload.find(verb) != std::string::npos);
        if (!self.closed) {
            react(message, self);
        }
    };
    Reconnect gone = [&](std::string* problem) -> std::unique_ptr<DeviceConnection> {
        ++*reconnects;
        *problem = "cannot connect to 127.0.0.1:5555: refused";
        return nullptr;
    };
    InstallTimeouts timeouts;
    timeouts.replyMs = timeouts.resultMs = 1000;
    EXPECT_EQ(InstallSplits(rig.connection, platform, {}, files, timeouts, gone), 1);
    EXPECT_EQ(platform.out, "");
    return platform.err;
}

TEST(SplitInstall, ADeviceThatCannotBeReachedForTheAbandonIsSaidOnce) {
    int reconnects = 0;
    EXPECT_EQ(GoneAt("install-write", &reconnects),
              "adb: connect error for write: the connection to the device was lost after 0 of 8000 bytes\n"
              "adb: connect error for finalize: cannot connect to 127.0.0.1:5555: refused\n");
    EXPECT_EQ(GoneAt("install-commit", &reconnects),
              "adb: connect error for finalize: the connection to the device was lost\n");
    EXPECT_EQ(reconnects, 2);
}

}  // namespace
}  // namespace adb

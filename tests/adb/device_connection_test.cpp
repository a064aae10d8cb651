#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <vector>

#include "adb/client/device_connection.h"
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

}  // namespace
}  // namespace adb

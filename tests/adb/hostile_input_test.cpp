// What a hostile device or server sends, at the layer that must bound it: waits end at their
// deadline however much arrives, lengths are checked before anything is kept, texts are cut.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>

#include "adb/client/bounded_text.h"
#include "adb/client/device_connection.h"
#include "adb/keys/rsa_key.h"
#include "adb/protocol/little_endian.h"
#include "adb/protocol/smart_socket.h"
#include "adb/protocol/sync_framing.h"

namespace adb {
namespace {

std::string Message(uint32_t command, uint32_t arg0, uint32_t arg1, std::string_view payload) {
    HeaderBytes header = EncodeHeader(MakeHeader(command, arg0, arg1, payload, false));
    return std::string(reinterpret_cast<const char*>(header.data()), header.size()) + std::string(payload);
}

// Sends `script` once, then `endless` forever: there are always bytes to receive.
class FloodingStream : public ByteStream {
  public:
    FloodingStream(std::string script, std::string endless)
        : script_(std::move(script)), endless_(std::move(endless)) {}
    bool Send(std::string_view, std::string_view, int) override { return true; }
    ReceiveStatus Receive(char* data, size_t size, int, size_t* received) override {
        if (script_.empty()) {
            script_ = endless_;
        }
        *received = std::min(size, script_.size());
        script_.copy(data, *received);
        script_.erase(0, *received);
        return ReceiveStatus::kData;
    }

  private:
    std::string script_;
    std::string endless_;
};

double SecondsOf(const std::function<void()>& work) {
    auto started = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

const std::string kDeviceConnect = Message(kCommandCnxn, kVersionSkipChecksum, kMaxPayload, "device::features=cmd");

TEST(HostileDevice, BackToBackTokensEndTheHandshakeAtItsLimit) {
    DeviceConnection connection(std::make_unique<FloodingStream>("", Message(kCommandAuth, kAuthToken, 0, "t")));
    HandshakeSettings settings;
    std::string error;
    std::unique_ptr<RsaKey> key = RsaKey::Generate(&error);
    settings.key = key.get();
    settings.handshakeTimeoutMs = 200;
    settings.authWaitMs = 200;
    HandshakeOutcome outcome = HandshakeOutcome::kOnline;
    EXPECT_LT(SecondsOf([&] { outcome = connection.Handshake(settings); }), 2.0);
    EXPECT_EQ(outcome, HandshakeOutcome::kUnauthorized);
}

TEST(HostileDevice, MessagesForAnotherStreamNeverExtendTheOpenWait) {
    DeviceConnection connection(std::make_unique<FloodingStream>(kDeviceConnect, Message(kCommandOkay, 5, 999, "")));
    ASSERT_EQ(connection.Handshake(HandshakeSettings{}), HandshakeOutcome::kOnline);
    StreamStatus status = StreamStatus::kOk;
    EXPECT_LT(SecondsOf([&] { status = connection.Open("exec:cmd package 'install' -S 1", 200); }), 2.0);
    EXPECT_EQ(status, StreamStatus::kTimeout);
}

TEST(HostileDevice, OutputInsteadOfAcknowledgementsStopsTheWriteAtItsBound) {
    DeviceConnection connection(std::make_unique<FloodingStream>(kDeviceConnect + Message(kCommandOkay, 5, 1, ""),
                                                                 Message(kCommandWrte, 5, 1, std::string(4096, 'o'))));
    ASSERT_EQ(connection.Handshake(HandshakeSettings{}), HandshakeOutcome::kOnline);
    ASSERT_EQ(connection.Open("exec:x", 1000), StreamStatus::kOk);
    EXPECT_EQ(connection.Write(std::string(10, 'p'), 5000), StreamStatus::kOk);
    EXPECT_EQ(connection.WaitForOkay(5000), StreamStatus::kTooMuchOutput);
}

TEST(HostileDevice, EndlessOutputEndsAReadAtItsDeadline) {
    DeviceConnection connection(std::make_unique<FloodingStream>(kDeviceConnect + Message(kCommandOkay, 5, 1, ""),
                                                                 Message(kCommandWrte, 7, 1, "for someone else")));
    ASSERT_EQ(connection.Handshake(HandshakeSettings{}), HandshakeOutcome::kOnline);
    ASSERT_EQ(connection.Open("exec:x", 1000), StreamStatus::kOk);
    std::string data;
    StreamStatus status = StreamStatus::kOk;
    EXPECT_LT(SecondsOf([&] { status = connection.Read(&data, DeadlineAfter(200)); }), 2.0);
    EXPECT_EQ(status, StreamStatus::kTimeout);
}

TEST(HostileServer, ATalkingServerIsGivenUpOnAtTheDeadline) {
    FloodingStream stream("OKAY", "more");
    EXPECT_EQ(SmartSocketRequest(stream, "host:kill", 1000).status, SmartSocketReply::Status::kOkay);
    bool closed = true;
    EXPECT_LT(SecondsOf([&] { closed = WaitForClose(stream, 200); }), 2.0);
    EXPECT_FALSE(closed);
}

class ShortStream : public ByteStream {
  public:
    explicit ShortStream(std::string bytes) : bytes_(std::move(bytes)) {}
    bool Send(std::string_view, std::string_view, int) override { return true; }
    ReceiveStatus Receive(char* data, size_t size, int, size_t* received) override {
        if (bytes_.empty()) {
            return ReceiveStatus::kClosed;
        }
        *received = std::min(size, bytes_.size());
        bytes_.copy(data, *received);
        bytes_.erase(0, *received);
        return ReceiveStatus::kData;
    }

  private:
    std::string bytes_;
};

TEST(HostileServer, AShortFailKeepsOnlyWhatArrived) {
    ShortStream stream("FAIL0040short");
    SmartSocketReply reply = SmartSocketRequest(stream, "host:kill", 1000);
    EXPECT_EQ(reply.status, SmartSocketReply::Status::kFail);
    EXPECT_EQ(reply.message, "short");
    ShortStream garbled("FAILzz12abc");
    EXPECT_EQ(SmartSocketRequest(garbled, "host:kill", 1000).message, "malformed reply length 'zz12'");
    EXPECT_EQ(ParseHexLength("00Ff"), 255u);
    EXPECT_FALSE(ParseHexLength("-001"));
}

std::string SyncBytes(std::string_view id, uint32_t value, std::string_view rest) {
    return SyncPacket(id, value) + std::string(rest);
}

TEST(SyncReply, IsCheckedBeforeItsReasonIsKept) {
    EXPECT_EQ(ParseSyncReply("OKA").status, SyncReply::Status::kIncomplete);
    EXPECT_EQ(ParseSyncReply(SyncBytes("OKAY", 0, "")).status, SyncReply::Status::kOkay);
    EXPECT_EQ(ParseSyncReply(SyncBytes("FAIL", 6, "den")).status, SyncReply::Status::kIncomplete);
    SyncReply fail = ParseSyncReply(SyncBytes("FAIL", 6, "denied"));
    EXPECT_EQ(fail.status, SyncReply::Status::kFail);
    EXPECT_EQ(fail.reason, "denied");
    SyncReply huge = ParseSyncReply(SyncBytes("FAIL", 0x7fffffff, "x"));
    EXPECT_EQ(huge.status, SyncReply::Status::kMalformed);
    EXPECT_EQ(huge.reason, "the device's failure reason claims 2147483647 bytes");
    EXPECT_EQ(ParseSyncReply(SyncBytes("DATA", 1, "x")).status, SyncReply::Status::kMalformed);
}

TEST(ShellPackets, AClaimedLengthAboveTheLimitMakesTheStreamMalformed) {
    ShellPacketReader reader;
    reader.Append(ShellPacket(ShellPacketId::kStdout, "ok"));
    std::string huge(1, '\1');
    AppendLe32(huge, kShellPacketMax + 1);
    reader.Append(huge);
    reader.Append(std::string(100, 'x'));
    ASSERT_TRUE(reader.Next());
    EXPECT_FALSE(reader.Next());
    EXPECT_TRUE(reader.Malformed());
    reader.Append(ShellPacket(ShellPacketId::kStdout, "later"));
    EXPECT_FALSE(reader.Next());
}

TEST(BoundedText, KeepsTheBeginningAndSaysHowMuchWasLeftOut) {
    BoundedText text;
    text.Append("Failure [");
    text.Append(std::string(kMaxKeptOutput, 'r'));
    EXPECT_EQ(text.text.size(), kMaxKeptOutput);
    EXPECT_EQ(text.dropped, 9u);
    std::string shown = text.Shown();
    EXPECT_EQ(shown.substr(0, 10), "Failure [r");
    EXPECT_TRUE(shown.ends_with("r... [9 more bytes not shown]")) << shown.substr(shown.size() - 40);
    BoundedText small;
    small.Append("Success\n");
    EXPECT_EQ(small.Shown(), "Success\n");
}

TEST(UserKey, AnExponentWiderThanThePublicKeyFormatIsRefused) {
    std::ifstream file(std::string(ADB_TEST_DATA) + "/wide_exponent_adbkey");
    std::stringstream pem;
    pem << file.rdbuf();
    std::string error;
    EXPECT_EQ(RsaKey::FromPem(pem.str(), &error), nullptr);
    EXPECT_EQ(error, "its public exponent does not fit the device's public key format (32 bits)");
}

}  // namespace
}  // namespace adb

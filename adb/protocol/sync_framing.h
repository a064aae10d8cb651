// Framing inside streams: the file sync protocol and the shell protocol v2.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace adb {

// Sync requests and replies: 4 ASCII letters and a little-endian 32-bit word.
constexpr size_t kSyncDataMax = 64 * 1024;
constexpr size_t kSyncPathMax = 1024;
std::string SyncPacket(std::string_view id, uint32_t value);
// "SEND" + length + "<remote path>,<decimal mode>".
std::string SyncSendRequest(std::string_view remotePath, uint32_t mode);

struct SyncHeader {
    std::string id;
    uint32_t value = 0;
};
// From the first 8 bytes.
SyncHeader ParseSyncHeader(std::string_view bytes);

// The device's one answer to a whole SEND: OKAY, or FAIL with its reason.
struct SyncReply {
    enum class Status { kIncomplete, kOkay, kFail, kMalformed } status = Status::kIncomplete;
    std::string reason;  // FAIL's text, or what was wrong with the reply
};
// A FAIL's reason is a short text; nothing above this length is believed.
constexpr uint32_t kSyncFailMax = 64 * 1024;
// From the bytes received so far; kIncomplete asks for more.
SyncReply ParseSyncReply(std::string_view bytes);

// Shell protocol v2: [id:1][length:4 LE][data].
enum class ShellPacketId : uint8_t {
    kStdin = 0,
    kStdout = 1,
    kStderr = 2,
    kExit = 3,
    kCloseStdin = 4,
    kWindowSize = 5
};
std::string ShellPacket(ShellPacketId id, std::string_view data);
constexpr uint32_t kShellPacketMax = 1024 * 1024;

// Cuts a byte stream into shell v2 packets as they complete.
class ShellPacketReader {
  public:
    void Append(std::string_view bytes) {
        if (!malformed_) {
            buffer_.append(bytes);
        }
    }
    struct Packet {
        ShellPacketId id;
        std::string data;
    };
    // Nothing until a packet is whole, or once the stream is Malformed().
    std::optional<Packet> Next();
    // A packet longer than any device sends: the stream cannot be read on.
    bool Malformed() const { return malformed_; }

  private:
    std::string buffer_;
    bool malformed_ = false;
};

}  // namespace adb

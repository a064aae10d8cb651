// One connection to a device's daemon: handshake, authentication and one stream at a time with
// the classic flow control (one WRTE in flight, each acknowledged by OKAY).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "adb/protocol/banner.h"
#include "adb/protocol/byte_stream.h"
#include "adb/protocol/deadline.h"
#include "adb/protocol/message.h"
#include "adb/protocol/message_reader.h"

namespace adb {

class RsaKey;

enum class HandshakeOutcome {
    kOnline,
    kUnauthorized,    // the key was offered and not accepted in time, or there is no key
    kNoHandshake,     // the device said nothing in time
    kConnectionLost,  // closed or broken before the handshake ended
    kTlsRequested,    // a wireless-debugging port that wants TLS
};

struct HandshakeSettings {
    const RsaKey* key = nullptr;     // none: unauthorized as soon as the device asks
    std::string publicKeyLine;       // "<base64> user@host", sent when the signature is refused
    int handshakeTimeoutMs = 10000;  // until the device answers at all
    int authWaitMs = 60000;          // for the user to allow debugging once the public key is sent
    // False when the key was offered before and the user was asked already: a device that refuses the
    // signature is then unauthorized at once, without a second prompt.
    bool offerPublicKey = true;
};

enum class StreamStatus {
    kOk,
    kEnded,           // the device closed the stream (normal end of a service's output)
    kRefused,         // OPEN answered with CLSE
    kConnectionLost,  // the connection closed or broke
    kTimeout,
    kTooMuchOutput,  // the device sent more than kMaxUnreadOutput while we were writing
};

// Output the device may send while it should be acknowledging our writes.
constexpr size_t kMaxUnreadOutput = 64 * 1024;

class DeviceConnection {
  public:
    explicit DeviceConnection(std::unique_ptr<ByteStream> stream);

    HandshakeOutcome Handshake(const HandshakeSettings& settings);
    const Banner& Device() const { return device_; }
    // How long a message may take to leave when the device takes nothing (60 s unless set).
    void SetSendTimeout(int timeoutMs) { sendTimeoutMs_ = timeoutMs; }
    uint32_t MaxPayload() const { return maxPayload_; }

    // Opens a service; the NUL terminator is added here.
    StreamStatus Open(std::string_view service, int timeoutMs);
    // Sends `data` in WRTEs of at most MaxPayload(), each after the OKAY of the one before (the
    // last one's OKAY is awaited by the next Write, WaitForOkay or Read). Output the device sends
    // meanwhile is kept for Read(). kEnded: the device closed the stream.
    StreamStatus Write(std::string_view data, int timeoutMs);
    // Until the last WRTE is acknowledged; kTooMuchOutput stops a device that talks instead.
    StreamStatus WaitForOkay(int timeoutMs);
    // The next piece of the device's output (kept output first); kEnded at the end of the stream.
    StreamStatus Read(std::string* data, int timeoutMs);
    StreamStatus Read(std::string* data, Clock::time_point deadline);
    // Closes the open stream, if any.
    void Close();
    // A wait on this connection timed out or the connection broke: the device may never answer on
    // it again, and a new connection is the way to reach it.
    bool Broken() const { return broken_; }

  private:
    using ReadResult = MessageReader::Result;
    ReadResult ReadMessage(ReceivedMessage* message, int timeoutMs);
    bool SendMessage(uint32_t command, uint32_t arg0, uint32_t arg1, std::string_view payload, bool forceChecksum);
    // Handles a message of the open stream while waiting for something else.
    void HandleStreamMessage(const ReceivedMessage& message);
    StreamStatus FromReadResult(ReadResult result);

    std::unique_ptr<ByteStream> stream_;
    MessageReader reader_;
    Banner device_;
    uint32_t version_ = kVersionMin;
    uint32_t maxPayload_ = kMaxPayloadV1;
    int sendTimeoutMs_ = 60000;
    bool broken_ = false;

    uint32_t nextLocalId_ = 1;
    uint32_t localId_ = 0;  // 0: no stream open
    uint32_t remoteId_ = 0;
    bool awaitingOkay_ = false;
    bool remoteClosed_ = false;
    std::string pendingOutput_;
};

}  // namespace adb

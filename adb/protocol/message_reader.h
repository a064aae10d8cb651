// Cuts what a stream receives into transport messages; bytes wait in the reader until their
// message is whole. The client and the simulated device read through it alike.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "adb/protocol/byte_stream.h"
#include "adb/protocol/deadline.h"
#include "adb/protocol/message.h"

namespace adb {

struct ReceivedMessage {
    MessageHeader header;
    std::string payload;
};

class MessageReader {
  public:
    explicit MessageReader(ByteStream& stream) : stream_(stream) {}

    enum class Result {
        kMessage,
        kClosed,  // the stream closed or broke, now or before
        kTimeout,
        // The stream cannot be resynchronised after these; later reads are kClosed.
        kBadMagic,
        kTooLarge,  // a payload above `maxPayload`; `message->header` says which
    };
    Result Read(ReceivedMessage* message, uint32_t maxPayload, int timeoutMs);
    // The stream closed, broke or cannot be read on.
    bool Failed() const { return failed_; }

    // Takes what has arrived already, without waiting.
    void ReceiveAvailable();
    // The headers of what is received and not yet read, in order; the last one's payload may be incomplete.
    std::vector<MessageHeader> BufferedHeaders() const;

  private:
    bool Fill(size_t needed, Clock::time_point deadline);
    ReceiveStatus ReceiveMore(size_t atLeast, int timeoutMs);

    ByteStream& stream_;
    std::string input_;
    size_t inputStart_ = 0;
    bool failed_ = false;
};

}  // namespace adb

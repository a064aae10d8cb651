// A connected byte stream (a TCP socket), as the protocol engine needs it.
#pragma once

#include <cstddef>
#include <string_view>

namespace adb {

enum class ReceiveStatus { kData, kClosed, kTimeout, kError };

class ByteStream {
  public:
    virtual ~ByteStream() = default;
    // Sends both parts completely, in order, within `timeoutMs`; false when the connection is gone
    // or the peer takes nothing for that long.
    virtual bool Send(std::string_view first, std::string_view second, int timeoutMs) = 0;
    // Waits at most `timeoutMs` for some bytes; on kData, `*received` is between 1 and `size`.
    virtual ReceiveStatus Receive(char* data, size_t size, int timeoutMs, size_t* received) = 0;
};

}  // namespace adb

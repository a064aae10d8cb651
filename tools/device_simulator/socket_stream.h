// A connected POSIX socket as the protocol's byte stream; the socket is closed with the stream.
#pragma once

#include "adb/protocol/byte_stream.h"

namespace simulator {

class SocketStream : public adb::ByteStream {
  public:
    explicit SocketStream(int socket) : socket_(socket) {}
    ~SocketStream() override;
    SocketStream(const SocketStream&) = delete;
    SocketStream& operator=(const SocketStream&) = delete;

    bool Send(std::string_view first, std::string_view second, int timeoutMs) override;
    adb::ReceiveStatus Receive(char* data, size_t size, int timeoutMs, size_t* received) override;

    int socket() const { return socket_; }

  private:
    int socket_;
};

}  // namespace simulator

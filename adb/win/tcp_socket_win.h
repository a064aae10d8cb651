// TCP connections through Winsock, as the byte streams the protocol engine reads and writes.
#pragma once

#include <cstdint>
#include <string>

#include "adb/client/client_platform.h"

namespace adb {

// Winsock for the lifetime of the object.
class WinsockSession {
  public:
    WinsockSession();
    ~WinsockSession();
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;

  private:
    bool started_ = false;
};

// Tries each address of `host` until one answers, within `timeoutMs` for all of them.
TcpConnectResult ConnectTcpStream(const std::string& host, uint16_t port, int timeoutMs);

}  // namespace adb

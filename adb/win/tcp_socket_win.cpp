#include "adb/win/tcp_socket_win.h"

// Winsock before <windows.h>, and <windows.h> before the headers that build on it.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <algorithm>

#include "adb/protocol/deadline.h"
#include "adb/win/error_text_win.h"
#include "base/owned_handle_win.h"

namespace adb {
namespace {

// INVALID_SOCKET, not zero, means none.
struct SocketTraits {
    using Type = SOCKET;
    static Type Invalid() { return INVALID_SOCKET; }
    static bool IsValid(Type socket) { return socket != INVALID_SOCKET; }
    static void Release(Type socket) { (void)closesocket(socket); }
};
using OwnedSocket = Owned<SocketTraits>;

// Waits up to timeoutMs until the socket can be written or has failed: select's result (0 on
// timeout), with `failed` telling whether it was a failure.
int SelectWritable(SOCKET socket, int timeoutMs, bool* failed) {
    fd_set writable, failing;
    FD_ZERO(&writable);
    FD_ZERO(&failing);
    FD_SET(socket, &writable);
    FD_SET(socket, &failing);
    timeval timeout = {timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    int ready = select(0, nullptr, &writable, &failing, &timeout);
    *failed = ready > 0 && FD_ISSET(socket, &failing);
    return ready;
}

// Waits until the socket can be written or has failed; false on timeout or failure.
bool WaitWritable(SOCKET socket, Clock::time_point deadline) {
    int left = RemainingMs(deadline);
    if (left <= 0) {
        return false;
    }
    bool failed = false;
    return SelectWritable(socket, left, &failed) > 0 && !failed;
}

// The socket stays non-blocking: every wait is a select with a deadline. (A blocking send also
// never returns under Wine when the device resets the connection while the send waits.)
class SocketStream : public ByteStream {
  public:
    explicit SocketStream(OwnedSocket socket) : socket_(std::move(socket)) {}

    bool Send(std::string_view first, std::string_view second, int timeoutMs) override {
        WSABUF buffers[2] = {{static_cast<ULONG>(first.size()), const_cast<char*>(first.data())},
                             {static_cast<ULONG>(second.size()), const_cast<char*>(second.data())}};
        DWORD count = second.empty() ? 1 : 2;
        WSABUF* next = buffers;
        Clock::time_point deadline = DeadlineAfter(timeoutMs);
        while (count > 0) {
            DWORD sent = 0;
            if (WSASend(socket_.get(), next, count, &sent, 0, nullptr, nullptr) != 0) {
                if (WSAGetLastError() != WSAEWOULDBLOCK || !WaitWritable(socket_.get(), deadline)) {
                    return false;
                }
                continue;
            }
            // A partial send leaves the rest of the buffers to go.
            while (count > 0 && sent >= next->len) {
                sent -= next->len;
                ++next;
                --count;
            }
            if (count > 0) {
                next->buf += sent;
                next->len -= sent;
            }
        }
        return true;
    }

    ReceiveStatus Receive(char* data, size_t size, int timeoutMs, size_t* received) override {
        Clock::time_point deadline = DeadlineAfter(timeoutMs);
        while (true) {
            int left = RemainingMs(deadline);
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(socket_.get(), &readable);
            timeval timeout = {left / 1000, (left % 1000) * 1000};
            int ready = select(0, &readable, nullptr, nullptr, &timeout);
            if (ready == 0) {
                return ReceiveStatus::kTimeout;
            }
            if (ready < 0) {
                return ReceiveStatus::kError;
            }
            int got = recv(socket_.get(), data, static_cast<int>(std::min<size_t>(size, 1 << 30)), 0);
            if (got > 0) {
                *received = static_cast<size_t>(got);
                return ReceiveStatus::kData;
            }
            if (got == 0) {
                return ReceiveStatus::kClosed;
            }
            if (WSAGetLastError() != WSAEWOULDBLOCK) {
                return ReceiveStatus::kError;
            }
        }
    }

  private:
    OwnedSocket socket_;
};

// Connects with a bounded wait: a non-blocking connect watched by select. The socket stays non-blocking.
int ConnectWithin(SOCKET socket, const sockaddr* address, int length, int timeoutMs) {
    u_long nonBlocking = 1;
    (void)ioctlsocket(socket, FIONBIO, &nonBlocking);
    if (connect(socket, address, length) != 0) {
        int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK) {
            return error;
        }
        bool failed = false;
        int ready = SelectWritable(socket, timeoutMs, &failed);
        if (ready == 0) {
            return WSAETIMEDOUT;
        }
        if (ready < 0) {
            return WSAGetLastError();
        }
        int soError = 0;
        int soLength = sizeof soError;
        (void)getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &soLength);
        if (soError != 0 || failed) {
            return soError != 0 ? soError : WSAECONNREFUSED;
        }
    }
    return 0;
}

}  // namespace

WinsockSession::WinsockSession() {
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

WinsockSession::~WinsockSession() {
    if (started_) {
        (void)WSACleanup();
    }
}

TcpConnectResult ConnectTcpStream(const std::string& host, uint16_t port, int timeoutMs) {
    TcpConnectResult result;
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* addresses = nullptr;
    int status =
        host.empty() ? WSAHOST_NOT_FOUND : getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &addresses);
    if (status != 0) {
        result.status = TcpConnectResult::Status::kResolveFailed;
        result.reason = SocketErrorText(status);
        return result;
    }
    int lastError = WSAECONNREFUSED;
    Clock::time_point deadline = DeadlineAfter(timeoutMs);
    for (addrinfo* address = addresses; address != nullptr; address = address->ai_next) {
        int left = RemainingMs(deadline);
        if (left <= 0) {
            lastError = WSAETIMEDOUT;
            break;
        }
        OwnedSocket socket(::socket(address->ai_family, address->ai_socktype, address->ai_protocol));
        if (!socket.valid()) {
            lastError = WSAGetLastError();
            continue;
        }
        lastError = ConnectWithin(socket.get(), address->ai_addr, static_cast<int>(address->ai_addrlen), left);
        if (lastError == 0) {
            BOOL noDelay = TRUE;
            (void)setsockopt(socket.get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
                             sizeof noDelay);
            result.status = TcpConnectResult::Status::kConnected;
            result.stream = std::make_unique<SocketStream>(std::move(socket));
            break;
        }
    }
    freeaddrinfo(addresses);
    if (result.status != TcpConnectResult::Status::kConnected) {
        result.reason = SocketErrorText(lastError);
    }
    return result;
}

}  // namespace adb

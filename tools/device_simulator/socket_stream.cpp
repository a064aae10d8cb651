#include "tools/device_simulator/socket_stream.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "adb/protocol/deadline.h"

namespace simulator {

SocketStream::~SocketStream() {
    if (socket_ >= 0) {
        close(socket_);
    }
}

bool SocketStream::Send(std::string_view first, std::string_view second, int timeoutMs) {
    adb::Clock::time_point deadline = adb::DeadlineAfter(timeoutMs);
    iovec parts[2] = {{const_cast<char*>(first.data()), first.size()},
                      {const_cast<char*>(second.data()), second.size()}};
    iovec* next = parts;
    size_t count = second.empty() ? 1 : 2;
    while (count > 0) {
        struct pollfd poller = {socket_, POLLOUT, 0};
        if (poll(&poller, 1, adb::RemainingMs(deadline)) <= 0) {
            return false;
        }
        msghdr message = {};
        message.msg_iov = next;
        message.msg_iovlen = count;
        ssize_t sent = sendmsg(socket_, &message, MSG_NOSIGNAL);
        if (sent <= 0) {
            return false;
        }
        size_t left = static_cast<size_t>(sent);
        while (count > 0 && left >= next->iov_len) {
            left -= next->iov_len;
            ++next;
            --count;
        }
        if (count > 0) {
            next->iov_base = static_cast<char*>(next->iov_base) + left;
            next->iov_len -= left;
        }
    }
    return true;
}

adb::ReceiveStatus SocketStream::Receive(char* data, size_t size, int timeoutMs, size_t* received) {
    struct pollfd poller = {socket_, POLLIN, 0};
    // A signal that cuts the wait short ends it like the timeout.
    if (poll(&poller, 1, timeoutMs) <= 0) {
        return adb::ReceiveStatus::kTimeout;
    }
    ssize_t got = recv(socket_, data, size, 0);
    if (got > 0) {
        *received = static_cast<size_t>(got);
        return adb::ReceiveStatus::kData;
    }
    return got == 0 ? adb::ReceiveStatus::kClosed : adb::ReceiveStatus::kError;
}

}  // namespace simulator

#include "adb/protocol/smart_socket.h"

#include <cstdio>
#include <cstdlib>

#include "adb/protocol/deadline.h"

namespace adb {
namespace {

bool ReadExactly(ByteStream& stream, std::string* out, size_t size, Clock::time_point deadline) {
    out->assign(size, '\0');
    size_t have = 0;
    while (have < size) {
        size_t got = 0;
        if (stream.Receive(&(*out)[have], size - have, RemainingMs(deadline), &got) != ReceiveStatus::kData) {
            return false;
        }
        have += got;
    }
    return true;
}

}  // namespace

std::string FormatSmartSocketRequest(std::string_view request) {
    char length[8];
    snprintf(length, sizeof length, "%04x", static_cast<unsigned>(request.size() & 0xFFFF));
    return length + std::string(request);
}

SmartSocketReply SmartSocketRequest(ByteStream& stream, std::string_view request, int timeoutMs) {
    SmartSocketReply reply;
    Clock::time_point deadline = DeadlineAfter(timeoutMs);
    std::string status;
    if (!stream.Send(FormatSmartSocketRequest(request), {}, timeoutMs) || !ReadExactly(stream, &status, 4, deadline)) {
        return reply;
    }
    if (status == "OKAY") {
        reply.status = SmartSocketReply::Status::kOkay;
    } else if (status == "FAIL") {
        reply.status = SmartSocketReply::Status::kFail;
        std::string lengthText;
        if (ReadExactly(stream, &lengthText, 4, deadline)) {
            size_t length = std::strtoul(lengthText.c_str(), nullptr, 16);
            (void)ReadExactly(stream, &reply.message, length, deadline);
        }
    }
    return reply;
}

void WaitForClose(ByteStream& stream, int timeoutMs) {
    Clock::time_point deadline = DeadlineAfter(timeoutMs);
    char sink[256];
    size_t got = 0;
    while (stream.Receive(sink, sizeof sink, RemainingMs(deadline), &got) == ReceiveStatus::kData) {
    }
}

}  // namespace adb

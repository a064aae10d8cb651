#include "adb/protocol/smart_socket.h"

#include <cstdio>

#include "adb/protocol/deadline.h"

namespace adb {
namespace {

bool ReadExactly(ByteStream& stream, std::string* out, size_t size, Clock::time_point deadline) {
    out->assign(size, '\0');
    size_t have = 0;
    while (have < size) {
        size_t got = 0;
        if (Clock::now() >= deadline ||
            stream.Receive(&(*out)[have], size - have, RemainingMs(deadline), &got) != ReceiveStatus::kData) {
            out->resize(have);  // only what arrived
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
            std::optional<size_t> length = ParseHexLength(lengthText);
            if (length) {
                (void)ReadExactly(stream, &reply.message, *length, deadline);
            } else {
                reply.message = "malformed reply length '" + lengthText + "'";
            }
        }
    }
    return reply;
}

std::optional<size_t> ParseHexLength(std::string_view text) {
    if (text.size() != 4) {
        return std::nullopt;
    }
    size_t length = 0;
    for (char c : text) {
        int digit = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
        if (digit < 0) {
            return std::nullopt;
        }
        length = length * 16 + static_cast<size_t>(digit);
    }
    return length;
}

bool WaitForClose(ByteStream& stream, int timeoutMs) {
    Clock::time_point deadline = DeadlineAfter(timeoutMs);
    char sink[4096];
    while (Clock::now() < deadline) {
        size_t got = 0;
        ReceiveStatus status = stream.Receive(sink, sizeof sink, RemainingMs(deadline), &got);
        if (status == ReceiveStatus::kClosed || status == ReceiveStatus::kError) {
            return true;
        }
        if (status == ReceiveStatus::kTimeout) {
            return false;
        }
    }
    return false;
}

}  // namespace adb

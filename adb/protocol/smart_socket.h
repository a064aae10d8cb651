// The text protocol of an ADB server on its loopback port: "%04x" length + request, OKAY or FAIL.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "adb/protocol/byte_stream.h"

namespace adb {

// "000chost:version" for "host:version".
std::string FormatSmartSocketRequest(std::string_view request);

struct SmartSocketReply {
    enum class Status { kOkay, kFail, kNoAnswer } status = Status::kNoAnswer;
    std::string message;  // FAIL's reason
};

// Sends one request and reads the four-letter status (and FAIL's reason).
SmartSocketReply SmartSocketRequest(ByteStream& stream, std::string_view request, int timeoutMs);

// The four hex digits of a reply's length; nothing for anything else.
std::optional<size_t> ParseHexLength(std::string_view text);

// Reads and drops whatever comes until the peer closes, at most `timeoutMs`; false when it did not close.
bool WaitForClose(ByteStream& stream, int timeoutMs);

}  // namespace adb

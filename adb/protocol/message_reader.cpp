#include "adb/protocol/message_reader.h"

#include <algorithm>
#include <optional>

namespace adb {
namespace {

// Straight into the buffer, in large pieces: every copy of a package costs throughput.
constexpr size_t kReceiveChunk = 256 * 1024;

}  // namespace

ReceiveStatus MessageReader::ReceiveMore(size_t atLeast, int timeoutMs) {
    if (inputStart_ > 0) {
        input_.erase(0, inputStart_);
        inputStart_ = 0;
    }
    size_t have = input_.size();
    size_t want = std::max(kReceiveChunk, atLeast);
    input_.resize(have + want);
    size_t received = 0;
    ReceiveStatus status = stream_.Receive(&input_[have], want, timeoutMs, &received);
    input_.resize(have + (status == ReceiveStatus::kData ? received : 0));
    return status;
}

bool MessageReader::Fill(size_t needed, Clock::time_point deadline) {
    // One look at what has arrived, then only while the deadline holds: bytes that keep trickling
    // in never turn a passed deadline into a wait without end.
    for (bool first = true; input_.size() - inputStart_ < needed; first = false) {
        if (!first && Clock::now() >= deadline) {
            return false;
        }
        ReceiveStatus status = ReceiveMore(needed - (input_.size() - inputStart_), RemainingMs(deadline));
        if (status != ReceiveStatus::kData) {
            failed_ = status != ReceiveStatus::kTimeout;
            return false;
        }
    }
    return true;
}

MessageReader::Result MessageReader::Read(ReceivedMessage* message, uint32_t maxPayload, int timeoutMs) {
    if (failed_) {
        return Result::kClosed;
    }
    Clock::time_point deadline = DeadlineAfter(timeoutMs);
    if (!Fill(kHeaderSize, deadline)) {
        return failed_ ? Result::kClosed : Result::kTimeout;
    }
    std::optional<MessageHeader> header = DecodeHeader(reinterpret_cast<const uint8_t*>(input_.data() + inputStart_));
    if (!header) {
        failed_ = true;
        return Result::kBadMagic;
    }
    if (header->dataLength > maxPayload) {
        failed_ = true;
        message->header = *header;
        return Result::kTooLarge;
    }
    if (!Fill(kHeaderSize + header->dataLength, deadline)) {
        return failed_ ? Result::kClosed : Result::kTimeout;
    }
    message->header = *header;
    message->payload.assign(input_, inputStart_ + kHeaderSize, header->dataLength);
    inputStart_ += kHeaderSize + header->dataLength;
    return Result::kMessage;
}

void MessageReader::ReceiveAvailable() {
    // What is there now, bounded: a peer that keeps sending must not keep us here.
    for (int round = 0; round < 16 && !failed_ && ReceiveMore(0, 0) == ReceiveStatus::kData; ++round) {
    }
}

std::vector<MessageHeader> MessageReader::BufferedHeaders() const {
    std::vector<MessageHeader> headers;
    for (size_t at = inputStart_; at + kHeaderSize <= input_.size();) {
        std::optional<MessageHeader> header = DecodeHeader(reinterpret_cast<const uint8_t*>(input_.data() + at));
        if (!header) {
            break;
        }
        headers.push_back(*header);
        at += kHeaderSize + header->dataLength;
    }
    return headers;
}

}  // namespace adb

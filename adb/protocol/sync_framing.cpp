#include "adb/protocol/sync_framing.h"

#include "adb/protocol/little_endian.h"

namespace adb {

std::string SyncPacket(std::string_view id, uint32_t value) {
    std::string packet(id.substr(0, 4));
    packet.resize(4, '\0');
    AppendLe32(packet, value);
    return packet;
}

std::string SyncSendRequest(std::string_view remotePath, uint32_t mode) {
    std::string argument(remotePath);
    argument += ',';
    argument += std::to_string(mode);
    return SyncPacket("SEND", static_cast<uint32_t>(argument.size())) + argument;
}

SyncHeader ParseSyncHeader(std::string_view bytes) {
    SyncHeader header;
    if (bytes.size() >= 8) {
        header.id = std::string(bytes.substr(0, 4));
        header.value = GetLe32(bytes.data() + 4);
    }
    return header;
}

SyncReply ParseSyncReply(std::string_view bytes) {
    SyncReply reply;
    if (bytes.size() < 8) {
        return reply;
    }
    SyncHeader header = ParseSyncHeader(bytes);
    if (header.id == "OKAY") {
        reply.status = SyncReply::Status::kOkay;
    } else if (header.id != "FAIL") {
        reply.status = SyncReply::Status::kMalformed;
        reply.reason = "unexpected answer from the device";
    } else if (header.value > kSyncFailMax) {
        reply.status = SyncReply::Status::kMalformed;
        reply.reason = "the device's failure reason claims " + std::to_string(header.value) + " bytes";
    } else if (bytes.size() - 8 >= header.value) {
        reply.status = SyncReply::Status::kFail;
        reply.reason.assign(bytes.substr(8, header.value));
    }
    return reply;
}

std::string ShellPacket(ShellPacketId id, std::string_view data) {
    std::string packet(1, static_cast<char>(id));
    AppendLe32(packet, static_cast<uint32_t>(data.size()));
    packet.append(data);
    return packet;
}

std::optional<ShellPacketReader::Packet> ShellPacketReader::Next() {
    if (malformed_ || buffer_.size() < 5) {
        return std::nullopt;
    }
    uint32_t length = GetLe32(buffer_.data() + 1);
    if (length > kShellPacketMax) {
        malformed_ = true;
        buffer_.clear();
        return std::nullopt;
    }
    if (buffer_.size() - 5 < length) {
        return std::nullopt;
    }
    Packet packet{static_cast<ShellPacketId>(buffer_[0]), buffer_.substr(5, length)};
    buffer_.erase(0, 5 + size_t{length});
    return packet;
}

}  // namespace adb

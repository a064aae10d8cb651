#include "adb/protocol/message.h"

#include "adb/protocol/little_endian.h"

namespace adb {

uint32_t PayloadChecksum(std::string_view payload) {
    uint32_t sum = 0;
    for (unsigned char byte : payload) {
        sum += byte;
    }
    return sum;
}

MessageHeader MakeHeader(uint32_t command, uint32_t arg0, uint32_t arg1, std::string_view payload, bool withChecksum) {
    MessageHeader header;
    header.command = command;
    header.arg0 = arg0;
    header.arg1 = arg1;
    header.dataLength = static_cast<uint32_t>(payload.size());
    header.dataCheck = withChecksum ? PayloadChecksum(payload) : 0;
    header.magic = command ^ 0xFFFFFFFFu;
    return header;
}

HeaderBytes EncodeHeader(const MessageHeader& header) {
    HeaderBytes bytes;
    PutLe32(&bytes[0], header.command);
    PutLe32(&bytes[4], header.arg0);
    PutLe32(&bytes[8], header.arg1);
    PutLe32(&bytes[12], header.dataLength);
    PutLe32(&bytes[16], header.dataCheck);
    PutLe32(&bytes[20], header.magic);
    return bytes;
}

std::optional<MessageHeader> DecodeHeader(const uint8_t* bytes) {
    MessageHeader header;
    header.command = GetLe32(bytes);
    header.arg0 = GetLe32(bytes + 4);
    header.arg1 = GetLe32(bytes + 8);
    header.dataLength = GetLe32(bytes + 12);
    header.dataCheck = GetLe32(bytes + 16);
    header.magic = GetLe32(bytes + 20);
    if (header.magic != (header.command ^ 0xFFFFFFFFu)) {
        return std::nullopt;
    }
    return header;
}

std::string_view CommandName(uint32_t command) {
    switch (command) {
        case kCommandCnxn:
            return "CNXN";
        case kCommandAuth:
            return "AUTH";
        case kCommandOpen:
            return "OPEN";
        case kCommandOkay:
            return "OKAY";
        case kCommandClse:
            return "CLSE";
        case kCommandWrte:
            return "WRTE";
        case kCommandStls:
            return "STLS";
        default:
            return "????";
    }
}

}  // namespace adb

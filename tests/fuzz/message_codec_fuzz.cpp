// The transport's message reader and header codec on whatever a device sends, in pieces.
#include "adb/protocol/message_reader.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputStream stream(fuzz::AsText(data, size));
    adb::MessageReader reader(stream);
    adb::ReceivedMessage message;
    uint32_t limit = size > 0 && (data[0] & 1) ? adb::kMaxPayloadV1 : adb::kMaxPayload;
    while (reader.Read(&message, limit, 1000) == adb::MessageReader::Result::kMessage) {
        if (message.payload.size() != message.header.dataLength || message.payload.size() > limit) {
            __builtin_trap();
        }
        adb::HeaderBytes bytes = adb::EncodeHeader(message.header);
        std::optional<adb::MessageHeader> again = adb::DecodeHeader(bytes.data());
        if (!again || again->command != message.header.command || again->dataLength != message.header.dataLength) {
            __builtin_trap();
        }
        (void)adb::CommandName(message.header.command);
        (void)adb::PayloadChecksum(message.payload);
    }
    return 0;
}

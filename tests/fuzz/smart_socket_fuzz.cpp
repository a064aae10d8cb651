// A server's answers on the kill-server port.
#include "adb/protocol/smart_socket.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputStream stream(fuzz::AsText(data, size));
    adb::SmartSocketReply reply = adb::SmartSocketRequest(stream, "host:kill", 1000);
    if (reply.message.size() > 0xFFFF + 64 || reply.message.size() > size + 64) {
        __builtin_trap();  // only what arrived
    }
    (void)adb::WaitForClose(stream, 1000);
    (void)adb::ParseHexLength(fuzz::AsText(data, std::min<size_t>(size, 4)));
    return 0;
}

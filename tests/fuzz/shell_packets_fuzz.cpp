#include "adb/protocol/sync_framing.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text = fuzz::AsText(data, size);
    size_t piece = size > 0 ? 1 + data[0] % 97 : 1;
    adb::ShellPacketReader reader;
    while (!text.empty()) {
        reader.Append(text.substr(0, piece));
        text.remove_prefix(std::min(piece, text.size()));
        while (std::optional<adb::ShellPacketReader::Packet> packet = reader.Next()) {
            if (packet->data.size() > adb::kShellPacketMax) {
                __builtin_trap();
            }
        }
    }
    return 0;
}

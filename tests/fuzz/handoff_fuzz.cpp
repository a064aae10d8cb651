// Hostile bytes as the data another process sends the installing window.
#include "app/handoff.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes = fuzz::AsText(data, size);
    if (const auto paths = DecodeHandoff(bytes)) {
        // What is taken is exactly what a sender would have sent.
        if (EncodeHandoff(*paths) != bytes) {
            __builtin_trap();
        }
    }
    return 0;
}

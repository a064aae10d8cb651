#include "app/command_line.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text = fuzz::AsText(data, size);
    size_t total = 0;
    for (const std::string& argument : SplitArguments(text)) {
        total += argument.size();
    }
    if (total > text.size()) {
        __builtin_trap();  // arguments are pieces of the line, never more
    }
    return 0;
}

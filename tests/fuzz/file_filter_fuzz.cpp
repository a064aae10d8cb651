#include "tests/fuzz/fuzz_input.h"
#include "ui/file_dialog.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string list = ui::SystemFilterList(fuzz::AsText(data, size));
    // The system reads the list up to a double NUL: it must end in one unless it is empty.
    if (!list.empty() && (list.size() < 2 || list[list.size() - 1] != '\0' || list[list.size() - 2] != '\0')) {
        __builtin_trap();
    }
    return 0;
}

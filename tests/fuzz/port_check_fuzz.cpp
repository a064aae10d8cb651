#include <cstdlib>

#include "install/adb_install.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string port(fuzz::AsText(data, size));
    if (IsValidPort(port)) {
        // What passes goes into a command line: digits only, a real port.
        if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos) {
            __builtin_trap();
        }
        long value = std::strtol(port.c_str(), nullptr, 10);
        if (value < 1 || value > 65535) {
            __builtin_trap();
        }
        (void)ConnectCommand("127.0.0.1", port);
    }
    return 0;
}

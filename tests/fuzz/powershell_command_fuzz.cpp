#include "tests/fuzz/fuzz_input.h"
#include "wsa/wsa_install.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string path(fuzz::AsText(data, size));
    std::string escaped = EscapeForSingleQuotedString(path);
    (void)BuildWsaInstallCommandLine(path);
    if (escaped.size() < path.size()) {
        __builtin_trap();  // escaping only adds
    }
    return 0;
}

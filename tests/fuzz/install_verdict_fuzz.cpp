#include "install/adb_install.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> f = fuzz::Fields(fuzz::AsText(data, size), 3);
    bool success = InstallSucceeded(f[2]);
    if (success && f[2].find("Success") == std::string::npos) {
        __builtin_trap();  // never a success without the device's word
    }
    (void)InstallLogText(InstallOutputs{f[0], f[1], f[2]});
    return 0;
}

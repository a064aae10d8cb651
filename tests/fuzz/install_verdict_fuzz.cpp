#include "install/adb_install.h"
#include "install/install_log.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> f = fuzz::Fields(fuzz::AsText(data, size), 3);
    const bool said = OutputSaysSuccess(f[2]);
    if (said && f[2].find("Success") == std::string::npos) {
        __builtin_trap();  // never a success without the device's word
    }
    InstallOutputs outputs{f[0], f[1], f[2], static_cast<uint32_t>(size % 3)};
    if (InstallSucceeded(outputs) && (!said || outputs.installStatus != 0u)) {
        __builtin_trap();
    }
    const std::string log = InstallLogText(outputs);
    // What the log and the box show stays bounded however much the client printed.
    if (ShownText(f[2]).size() > kShownHeadBytes + kShownTailBytes + 1024 || BoxLogExcerpt(log).size() > 40000) {
        __builtin_trap();
    }
    return 0;
}

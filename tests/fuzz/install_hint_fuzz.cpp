// The guidance table against any client text and any package path.
#include "install/client_text.h"
#include "install/install_guidance.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> f = fuzz::Fields(fuzz::AsText(data, size), 3);
    HintContext context{f[1], f[2], "58526", std::nullopt, "", std::nullopt};
    const std::string hint = InstallHint(f[0], context);
    if (hint.rfind("提示：", 0) != 0) {
        __builtin_trap();  // always one paragraph of advice
    }
    (void)FailureCode(f[0]);
    (void)RefusedOnLoopback(f[0], f[2]);
    (void)IsUtf8Beyond7Bit(f[0]);
    return 0;
}

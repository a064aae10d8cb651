#include "shell/association.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> f = fuzz::Fields(fuzz::AsText(data, size), 6);
    (void)SplitExtensionList(f[1]);
    (void)PlanAssociation(f[0], f[1], f[2], f[3], f[4]);
    (void)ProgramPath(f[5], f[0]);
    return 0;
}

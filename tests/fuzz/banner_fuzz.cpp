#include "adb/protocol/banner.h"
#include "adb/protocol/install_service.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    adb::Banner banner = adb::ParseBanner(fuzz::AsText(data, size));
    (void)adb::ChooseInstallMethod(banner);
    (void)adb::ShellService(banner, "pm 'install' '/data/local/tmp/a.apk'");
    return 0;
}

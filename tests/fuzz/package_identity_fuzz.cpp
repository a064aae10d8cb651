// Hostile bytes as a package or bundle file: the ZIP reader, the bundle descriptions and the manifest.
#include "install/package_identity.h"
#include "install/zip_entries_minizip.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::unique_ptr<ZipEntries> archive = OpenZipBytes(std::string(fuzz::AsText(data, size)));
    if (archive) {
        if (const std::optional<PackageIdentity> identity = ReadPackageIdentity(*archive)) {
            (void)IdentityLogLine(*identity, [](std::string_view text) { return std::string(text); });
        }
    }
    return 0;
}

// Hostile bytes as a bundle: which entries are installed, and streaming each of them out of the archive.
#include "install/bundle_plan.h"
#include "install/zip_entries_minizip.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes = fuzz::AsText(data, size);
    std::unique_ptr<ZipEntries> archive = OpenZipBytes(std::string(bytes));
    const auto asIs = [](std::string_view text) { return std::string(text); };
    const ArchivePlan plan = PlanArchive("fuzz.xapk", bytes.substr(0, 4), archive.get(), asIs);
    if (plan.shape != ArchiveShape::kBundle) {
        return 0;
    }
    uint64_t copied = 0;
    const auto sink = [&](const char*, size_t piece) {
        copied += piece;
        return copied < 64 * 1024 * 1024;
    };
    for (const std::string& entry : plan.bundle.apks) {
        (void)archive->Copy(entry, sink);
    }
    for (const BundleObb& obb : plan.bundle.obbs) {
        (void)archive->Copy(obb.entry, sink);
    }
    return 0;
}

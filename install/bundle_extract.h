// Writing a bundle's APKs and OBB files out of the archive for the client, one piece at a time: no entry
// is ever held whole in memory. The files get short ASCII names in install order (1.apk, 2.apk, ...,
// 1.obb, ...), which every client and interpreter takes whatever the entries were called.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "install/bundle_plan.h"

struct ExtractedObb {
    std::string file;
    std::string devicePath;
};

struct ExtractedBundle {
    std::vector<std::string> apkFiles;  // in install order
    std::vector<ExtractedObb> obbFiles;
    // Every file written, also by an extraction that failed half-way: what the caller removes.
    std::vector<std::string> written;
    // Empty when every file was written whole; else the log's line saying what went wrong.
    std::string problem;
};

// The files' paths, `folder` followed directly by the names: the caller ends it with its separator.
ExtractedBundle BundleFileNames(const BundlePlan& plan, const std::string& folder);

// The bytes the plan's entries take once written; none when the archive misses one of them.
std::optional<uint64_t> BundleBytes(ZipEntries& archive, const BundlePlan& plan);

// Told between pieces how many bytes are written so far; false stops the extraction.
using ExtractionProgress = std::function<bool(uint64_t written)>;

// Writes every entry of the plan into `folder`, checking each one's size and CRC.
ExtractedBundle ExtractBundle(ZipEntries& archive,
                              const BundlePlan& plan,
                              const std::string& folder,
                              const FromUtf8& fromUtf8,
                              const ExtractionProgress& progress);

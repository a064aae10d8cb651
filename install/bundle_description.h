// What a bundle says of itself: an .xapk's manifest.json or an .apkm's info.json. Both are written
// by hand-made tools, so a number may come as a string and any field may be missing.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "install/package_identity.h"
#include "install/zip_entries.h"

inline constexpr size_t kMaxBundleJsonBytes = 1024 * 1024;

struct BundleSplit {
    std::string file;  // the entry
    std::string id;    // "base" for the base package, else the split's name
};

struct BundleExpansion {
    std::string file;         // the entry
    std::string installPath;  // where it goes, relative to the shared storage's root
};

struct BundleDescription {
    PackageIdentity identity;  // as far as the description tells
    // The base package's entry as the description names it; empty when it does not.
    std::string baseName;
    // Present only when the description has the list.
    std::optional<std::vector<BundleSplit>> splits;
    std::optional<std::vector<BundleExpansion>> expansions;
};

// From manifest.json when the archive has one, else from info.json; none when it has neither or the
// one it has is no JSON object (or is nested absurdly deep, or is over kMaxBundleJsonBytes).
std::optional<BundleDescription> ReadBundleDescription(ZipEntries& archive, const std::vector<std::string>& names);

// What is installed of a file handed to the program as a package. A ZIP with AndroidManifest.xml at its
// root is a package and goes to the client whole, whatever its name. A ZIP without one but with APKs is a
// bundle (.xapk, .apkm, .apks): its APKs are installed together as one package, the base first, and an
// .xapk's OBB files are pushed to the shared storage afterwards. Decided by content, never by name alone.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "install/package_identity.h"
#include "install/zip_entries.h"

// A bundle with more is refused: its command line would not fit, and no real bundle comes near it.
inline constexpr size_t kMaxBundleApks = 100;
inline constexpr size_t kMaxBundleObbs = 20;

struct BundleObb {
    std::string entry;
    std::string devicePath;  // "/sdcard/Android/obb/<package>/<name>"
};

struct BundlePlan {
    std::vector<std::string> apks;  // entries in install order, the base first
    std::vector<BundleObb> obbs;
};

enum class ArchiveShape {
    kPackage,  // installed whole, as the client's install takes it (also a file that is no ZIP at all)
    kBundle,
    kProblem,  // nothing can be installed: `problem` says why
};

struct ArchivePlan {
    ArchiveShape shape = ArchiveShape::kPackage;
    BundlePlan bundle;
    std::string problem;  // one line for the log, ANSI
};

// `archive`: the file opened as a ZIP, null when it is none (or is missing); `head`: its first bytes,
// read whatever it is; `fileName`: its name, for the one case the content cannot tell (an .apkm that is
// no ZIP is the old encrypted kind).
ArchivePlan PlanArchive(std::string_view fileName,
                        std::string_view head,
                        ZipEntries* archive,
                        const FromUtf8& fromUtf8);

// The plan for a ZIP without a root manifest: its APKs and OBB files, or the problem.
ArchivePlan PlanBundle(ZipEntries& archive, const std::vector<std::string>& names, const FromUtf8& fromUtf8);

// An OBB's place as a bundle may name it: "Android/obb/<package>/<file>" with a plain package name and
// file name, nothing that climbs out or names a drive. Empty `package` takes any package name.
bool IsObbInstallPath(std::string_view path, std::string_view package);

// What a package says about itself: name, version and label, read from its binary manifest (the label
// through its resource table), or for a bundle from its base package, with the bundle's own
// manifest.json or info.json filling what the base cannot tell.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "install/zip_entries.h"

inline constexpr size_t kMaxManifestBytes = 8 * 1024 * 1024;
// A bundle's base package is read into memory up to this size: the program is a 32-bit process, and a
// larger base leaves the bundle's own description to tell who it is.
inline constexpr size_t kMaxInnerPackageBytes = 64 * 1024 * 1024;

// All texts UTF-8; an empty text is one the package does not tell.
struct PackageIdentity {
    std::string packageName;
    std::string versionName;
    std::optional<int64_t> versionCode;
    // An API level, or a codename for a preview.
    std::string minSdk;
    std::string targetSdk;
    std::string label;
    bool isBundle = false;
    size_t splitCount = 0;
    size_t obbCount = 0;
};

// What the binary manifest and resource table tell (the table may be empty or damaged: the label is
// then left out when it is a reference). None when the manifest cannot be read or names no package.
std::optional<PackageIdentity> IdentityFromManifest(std::string_view manifest, std::string_view resourceTable);

// A package or bundle. None when neither the base's manifest nor the bundle's own description names
// the package.
// `writtenBase`: a bundle's base package already written out, read in place of the copy the bundle holds
// (which is otherwise read into memory, up to kMaxInnerPackageBytes).
std::optional<PackageIdentity> ReadPackageIdentity(ZipEntries& archive, ZipEntries* writtenBase = nullptr);

// Converts UTF-8 to the program's ANSI text (GBK on the target systems).
using FromUtf8 = std::function<std::string(std::string_view)>;

// "<label> <versionName>" (the version left out when unknown), as the log's lines show a package.
std::string LabelAndVersion(const PackageIdentity& identity, const FromUtf8& fromUtf8);

// The log's first line: "应用：<label> <versionName>（<package>，版本号 <versionCode>）", for a bundle with
// "，分包 N 个，数据包 N 个" inside the brackets. Control characters in the package's texts become spaces
// and each text is cut to a sane length, so a package cannot forge log lines.
std::string IdentityLogLine(const PackageIdentity& identity, const FromUtf8& fromUtf8);

// A package's name as Android takes it: letters, digits, '_' and '.', at most 255 bytes.
bool IsPackageName(std::string_view name);

// A package's own text (UTF-8) for one line of the log: control characters become spaces, and a long
// text is cut between characters with "..." after it.
std::string LogSafeText(std::string_view text);

// The label the user knows the app by: its label, else its package name.
std::string ShownLabel(const PackageIdentity& identity);

// For a failure that the device's Android is too old: names the package's minimum SDK; empty when
// the package did not tell it.
std::string MinSdkNote(const PackageIdentity& identity, const FromUtf8& fromUtf8);
// For a refused downgrade: names the version being installed; empty when unknown.
std::string InstallingVersionNote(const PackageIdentity& identity, const FromUtf8& fromUtf8);

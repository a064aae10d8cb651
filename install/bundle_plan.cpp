#include "install/bundle_plan.h"

#include <algorithm>

#include "base/path_text.h"
#include "install/bundle_description.h"

namespace {

constexpr std::string_view kZipStart = "PK\x03\x04";
constexpr std::string_view kRootManifest = "AndroidManifest.xml";
constexpr std::string_view kSplitsFolder = "splits/";
constexpr std::string_view kSdcard = "/sdcard/";

bool IsApkEntry(std::string_view name) {
    return EndsWithNoCase(name, ".apk") && name.back() != '/';
}

bool AtRoot(std::string_view name) {
    return name.find('/') == std::string_view::npos;
}

bool Contains(const std::vector<std::string>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// `first` moved to the front when present, the others in archive order.
std::vector<std::string> WithFirst(std::vector<std::string> apks, std::string_view first) {
    const auto found = std::find(apks.begin(), apks.end(), first);
    if (found != apks.end()) {
        std::rotate(apks.begin(), found, found + 1);
    }
    return apks;
}

bool IsPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
               c == '-';
    });
}

ArchivePlan Problem(std::string text) {
    ArchivePlan plan;
    plan.shape = ArchiveShape::kProblem;
    plan.problem = std::move(text);
    return plan;
}

// The app-bundle tool's set: the APKs under splits/ only (never its standalone, instant, asset-slice,
// system or archive variants), each module's master split before its configuration splits.
std::vector<std::string> SplitsFolderApks(const std::vector<std::string>& names) {
    std::vector<std::string> masters;
    std::vector<std::string> others;
    for (const std::string& name : names) {
        if (!name.starts_with(kSplitsFolder) || !IsApkEntry(name) || !AtRoot(name.substr(kSplitsFolder.size()))) {
            continue;
        }
        (EndsWithNoCase(name, "-master.apk") ? masters : others).push_back(name);
    }
    masters = WithFirst(std::move(masters), "splits/base-master.apk");
    masters.insert(masters.end(), others.begin(), others.end());
    return masters;
}

std::vector<std::string> Apks(const std::vector<std::string>& names, bool rootOnly) {
    std::vector<std::string> apks;
    for (const std::string& name : names) {
        if (IsApkEntry(name) && (!rootOnly || AtRoot(name))) {
            apks.push_back(name);
        }
    }
    return apks;
}

std::string Quoted(const std::string& entry, const FromUtf8& fromUtf8) {
    return "「" + fromUtf8(LogSafeText(entry)) + "」";
}

// An .xapk's APKs: its list of splits (base first), else every APK at its root, the one named after the
// package first.
std::optional<ArchivePlan> XapkApks(const BundleDescription& description,
                                    const std::vector<std::string>& names,
                                    const FromUtf8& fromUtf8,
                                    std::vector<std::string>& apks) {
    if (!description.splits || description.splits->empty()) {
        apks = WithFirst(Apks(names, true), description.identity.packageName + ".apk");
        return std::nullopt;
    }
    for (const BundleSplit& split : *description.splits) {
        if (!Contains(names, split.file)) {
            return Problem("安装包已损坏：manifest.json 列出的分包" + Quoted(split.file, fromUtf8) +
                           "不在压缩包里，请重新下载。");
        }
        if (std::find(apks.begin(), apks.end(), split.file) == apks.end()) {
            apks.push_back(split.file);
        }
    }
    apks = WithFirst(std::move(apks), description.baseName);
    return std::nullopt;
}

// An .xapk's OBB files: its list of expansions, else every OBB entry that already lies at its place.
std::optional<ArchivePlan> XapkObbs(const BundleDescription& description,
                                    const std::vector<std::string>& names,
                                    const FromUtf8& fromUtf8,
                                    std::vector<BundleObb>& obbs) {
    const std::string& package = description.identity.packageName;
    if (!description.expansions) {
        for (const std::string& name : names) {
            if (EndsWithNoCase(name, ".obb") && IsObbInstallPath(name, package)) {
                obbs.push_back({name, std::string(kSdcard) + name});
            }
        }
        return std::nullopt;
    }
    for (const BundleExpansion& expansion : *description.expansions) {
        if (!Contains(names, expansion.file)) {
            return Problem("安装包已损坏：manifest.json 列出的数据包" + Quoted(expansion.file, fromUtf8) +
                           "不在压缩包里，请重新下载。");
        }
        if (!IsObbInstallPath(expansion.installPath, package)) {
            return Problem("安装包的数据包位置无效：" + Quoted(expansion.installPath, fromUtf8) +
                           "不是 Android/obb/<包名>/ 下的文件，没有安装任何东西。");
        }
        obbs.push_back({expansion.file, std::string(kSdcard) + expansion.installPath});
    }
    return std::nullopt;
}

}  // namespace

bool IsObbInstallPath(std::string_view path, std::string_view package) {
    constexpr std::string_view kObbFolder = "Android/obb/";
    if (!path.starts_with(kObbFolder)) {
        return false;
    }
    path.remove_prefix(kObbFolder.size());
    const size_t slash = path.find('/');
    if (slash == std::string_view::npos) {
        return false;
    }
    const std::string_view folder = path.substr(0, slash);
    const std::string_view file = path.substr(slash + 1);
    return IsPackageName(folder) && (package.empty() || folder == package) && IsPlainName(file);
}

ArchivePlan PlanBundle(ZipEntries& archive, const std::vector<std::string>& names, const FromUtf8& fromUtf8) {
    ArchivePlan plan;
    plan.shape = ArchiveShape::kBundle;
    std::vector<std::string>& apks = plan.bundle.apks;
    const std::optional<BundleDescription> description = ReadBundleDescription(archive, names);
    if (Contains(names, "manifest.json")) {
        if (!description) {
            return Problem("安装包已损坏：它的 manifest.json 无法读取，请重新下载。");
        }
        if (auto problem = XapkApks(*description, names, fromUtf8, apks)) {
            return *problem;
        }
        if (auto problem = XapkObbs(*description, names, fromUtf8, plan.bundle.obbs)) {
            return *problem;
        }
    } else if (std::any_of(names.begin(), names.end(),
                           [](const std::string& n) { return n.starts_with(kSplitsFolder); })) {
        apks = SplitsFolderApks(names);
    } else {
        // An .apkm lists its APKs anywhere in the archive; other bundles keep theirs at the root.
        apks = WithFirst(Apks(names, !Contains(names, "info.json")), "base.apk");
    }
    if (apks.empty()) {
        return Problem("这个压缩包里既没有 AndroidManifest.xml，也没有可安装的 APK，无法安装。");
    }
    if (apks.size() > kMaxBundleApks) {
        return Problem("这个安装包有 " + std::to_string(apks.size()) + " 个 APK，超过了一次最多可以安装的 " +
                       std::to_string(kMaxBundleApks) + " 个。");
    }
    if (plan.bundle.obbs.size() > kMaxBundleObbs) {
        return Problem("这个安装包有 " + std::to_string(plan.bundle.obbs.size()) + " 个数据包，超过了最多可以安装的 " +
                       std::to_string(kMaxBundleObbs) + " 个。");
    }
    return plan;
}

ArchivePlan PlanArchive(std::string_view fileName,
                        std::string_view head,
                        ZipEntries* archive,
                        const FromUtf8& fromUtf8) {
    if (archive == nullptr) {
        if (head.starts_with(kZipStart)) {
            return Problem("安装包已损坏：它以 ZIP 压缩包开头，却缺少末尾的目录，可能没有下载完整，请重新下载。");
        }
        if (!head.empty() && EndsWithNoCase(fileName, ".apkm")) {
            return Problem("这个 .apkm 文件是旧的加密格式，无法安装，请重新下载");
        }
        // Whatever else it is (or a missing file), the client says what it makes of it.
        return {};
    }
    const std::vector<std::string> names = archive->Names();
    if (Contains(names, kRootManifest)) {
        return {};
    }
    return PlanBundle(*archive, names, fromUtf8);
}

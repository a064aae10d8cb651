#include "install/package_identity.h"

#include <algorithm>
#include <charconv>

#include "install/binary_xml.h"
#include "install/bundle_description.h"
#include "install/bundle_plan.h"
#include "install/resource_table.h"

namespace {

constexpr std::string_view kAndroidNamespace = "http://schemas.android.com/apk/res/android";
constexpr uint32_t kLabelId = 0x01010001;
constexpr uint32_t kMinSdkId = 0x0101020c;
constexpr uint32_t kTargetSdkId = 0x01010270;
constexpr uint32_t kVersionCodeId = 0x0101021b;
constexpr uint32_t kVersionNameId = 0x0101021c;
constexpr size_t kMaxPackageNameBytes = 255;
constexpr size_t kShownTextBytes = 200;

using TableSource = std::function<std::optional<std::string>()>;

bool IsReference(const ResValue& value) {
    return value.dataType == res_type::kReference || value.dataType == res_type::kDynamicReference;
}

bool IsInteger(const ResValue& value) {
    return value.dataType == res_type::kIntDec || value.dataType == res_type::kIntHex;
}

std::optional<int64_t> ParseInteger(std::string_view text) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

bool IsPackageName(std::string_view name) {
    return !name.empty() && name.size() <= kMaxPackageNameBytes && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.';
    });
}

namespace {

class ManifestReader {
  public:
    explicit ManifestReader(const BinaryXml& xml) : xml_(xml) {}

    bool NameIs(uint32_t index, std::string_view name) const {
        const std::optional<std::string> text = xml_.Strings().At(index, kMaxNameBytes);
        return text && *text == name;
    }

    // An android: attribute by its resource id, or by namespace and name where the id is missing.
    bool IsAndroidAttribute(const XmlAttribute& attribute, uint32_t id, std::string_view name) const {
        const uint32_t mapped = xml_.ResourceIdOf(attribute.name);
        if (mapped != 0) {
            return mapped == id;
        }
        return attribute.ns != kNoIndex && NameIs(attribute.ns, kAndroidNamespace) && NameIs(attribute.name, name);
    }

    bool IsPlainAttribute(const XmlAttribute& attribute, std::string_view name) const {
        return attribute.ns == kNoIndex && NameIs(attribute.name, name);
    }

    std::optional<std::string> Text(const XmlAttribute& attribute) const {
        if (attribute.value.dataType == res_type::kString) {
            return xml_.Strings().At(attribute.value.data, kMaxValueBytes);
        }
        if (IsInteger(attribute.value)) {
            return std::to_string(static_cast<int32_t>(attribute.value.data));
        }
        if (attribute.rawValue != kNoIndex && !IsReference(attribute.value)) {
            return xml_.Strings().At(attribute.rawValue, kMaxValueBytes);
        }
        return std::nullopt;
    }

  private:
    const BinaryXml& xml_;
};

std::optional<PackageIdentity> IdentityFromXml(const BinaryXml& xml, const TableSource& readTable) {
    const ManifestReader reader(xml);
    PackageIdentity identity;
    std::optional<uint32_t> labelRef;
    std::optional<uint32_t> versionNameRef;
    std::optional<uint32_t> versionCode;
    uint32_t versionCodeMajor = 0;
    bool isManifest = false;
    bool sawUsesSdk = false;
    bool sawApplication = false;
    const auto visit = [&](const XmlStartElement& element) {
        if (element.depth == 0) {
            isManifest = reader.NameIs(element.name, "manifest");
            if (!isManifest) {
                return false;
            }
            for (const XmlAttribute& attribute : element.attributes) {
                if (reader.IsPlainAttribute(attribute, "package")) {
                    identity.packageName = reader.Text(attribute).value_or("");
                } else if (reader.IsAndroidAttribute(attribute, kVersionCodeId, "versionCode")) {
                    if (IsInteger(attribute.value)) {
                        versionCode = attribute.value.data;
                    } else if (const auto text = reader.Text(attribute)) {
                        const auto number = ParseInteger(*text);
                        if (number && *number >= 0 && *number <= 0xFFFFFFFF) {
                            versionCode = static_cast<uint32_t>(*number);
                        }
                    }
                } else if (reader.IsAndroidAttribute(attribute, kVersionNameId, "versionName")) {
                    if (IsReference(attribute.value)) {
                        versionNameRef = attribute.value.data;
                    } else {
                        identity.versionName = reader.Text(attribute).value_or("");
                    }
                } else if (attribute.ns != kNoIndex && reader.NameIs(attribute.name, "versionCodeMajor") &&
                           IsInteger(attribute.value)) {
                    versionCodeMajor = attribute.value.data;
                }
            }
        } else if (element.depth == 1 && !sawUsesSdk && reader.NameIs(element.name, "uses-sdk")) {
            sawUsesSdk = true;
            for (const XmlAttribute& attribute : element.attributes) {
                if (reader.IsAndroidAttribute(attribute, kMinSdkId, "minSdkVersion")) {
                    identity.minSdk = reader.Text(attribute).value_or("");
                } else if (reader.IsAndroidAttribute(attribute, kTargetSdkId, "targetSdkVersion")) {
                    identity.targetSdk = reader.Text(attribute).value_or("");
                }
            }
        } else if (element.depth == 1 && !sawApplication && reader.NameIs(element.name, "application")) {
            sawApplication = true;
            for (const XmlAttribute& attribute : element.attributes) {
                if (reader.IsAndroidAttribute(attribute, kLabelId, "label")) {
                    if (IsReference(attribute.value)) {
                        labelRef = attribute.value.data;
                    } else {
                        identity.label = reader.Text(attribute).value_or("");
                    }
                }
            }
        }
        return true;
    };
    (void)xml.ForEachStartElement(visit);
    if (!isManifest || !IsPackageName(identity.packageName)) {
        return std::nullopt;
    }
    if (versionCode) {
        identity.versionCode = static_cast<int64_t>((static_cast<uint64_t>(versionCodeMajor) << 32) | *versionCode);
    }
    if (identity.targetSdk.empty()) {
        identity.targetSdk = identity.minSdk;
    }
    if (labelRef || versionNameRef) {
        std::optional<ResourceTable> table;
        if (std::optional<std::string> bytes = readTable()) {
            table = ResourceTable::Parse(std::move(*bytes));
        }
        if (table && labelRef) {
            identity.label = table->ResolveString(*labelRef).value_or("");
        }
        if (table && versionNameRef) {
            identity.versionName = table->ResolveString(*versionNameRef).value_or("");
        }
    }
    return identity;
}

std::optional<PackageIdentity> IdentityOfApk(ZipEntries& apk) {
    const std::optional<std::string> manifest = apk.Read("AndroidManifest.xml", kMaxManifestBytes);
    if (!manifest) {
        return std::nullopt;
    }
    const std::optional<BinaryXml> xml = BinaryXml::Parse(*manifest);
    if (!xml) {
        return std::nullopt;
    }
    return IdentityFromXml(*xml, [&] { return apk.Read("resources.arsc", kMaxResourceTableBytes); });
}

void FillMissing(PackageIdentity& identity, const PackageIdentity& from) {
    for (auto field : {&PackageIdentity::packageName, &PackageIdentity::versionName, &PackageIdentity::minSdk,
                       &PackageIdentity::targetSdk, &PackageIdentity::label}) {
        if ((identity.*field).empty()) {
            identity.*field = from.*field;
        }
    }
    if (!identity.versionCode) {
        identity.versionCode = from.versionCode;
    }
}

std::optional<PackageIdentity> IdentityOfBundle(ZipEntries& archive,
                                                const std::vector<std::string>& names,
                                                ZipEntries* writtenBase) {
    const auto asIs = [](std::string_view text) { return std::string(text); };
    const ArchivePlan plan = PlanBundle(archive, names, asIs);
    const std::optional<BundleDescription> description = ReadBundleDescription(archive, names);
    PackageIdentity identity;
    if (writtenBase != nullptr) {
        identity = IdentityOfApk(*writtenBase).value_or(PackageIdentity{});
    } else if (plan.shape == ArchiveShape::kBundle) {
        if (std::unique_ptr<ZipEntries> base = archive.OpenInner(plan.bundle.apks.front(), kMaxInnerPackageBytes)) {
            identity = IdentityOfApk(*base).value_or(PackageIdentity{});
        }
    }
    if (description) {
        FillMissing(identity, description->identity);
    }
    if (!IsPackageName(identity.packageName)) {
        return std::nullopt;
    }
    identity.isBundle = true;
    if (plan.shape == ArchiveShape::kBundle) {
        identity.splitCount = plan.bundle.apks.size() - 1;
        identity.obbCount = plan.bundle.obbs.size();
    }
    return identity;
}

std::string AndroidRelease(std::string_view minSdk) {
    static constexpr const char* kReleases[] = {
        nullptr, "1.0", "1.1",   "1.5", "1.6", "2.0", "2.0.1", "2.1",  "2.2", "2.3", "2.3.3", "3.0", "3.1",
        "3.2",   "4.0", "4.0.3", "4.1", "4.2", "4.3", "4.4",   "4.4W", "5.0", "5.1", "6.0",   "7.0", "7.1",
        "8.0",   "8.1", "9",     "10",  "11",  "12",  "12L",   "13",   "14",  "15",  "16"};
    const auto level = ParseInteger(minSdk);
    if (!level || *level < 1 || *level >= static_cast<int64_t>(std::size(kReleases))) {
        return {};
    }
    return kReleases[*level];
}

}  // namespace

std::optional<PackageIdentity> IdentityFromManifest(std::string_view manifest, std::string_view resourceTable) {
    if (manifest.size() > kMaxManifestBytes) {
        return std::nullopt;
    }
    const std::optional<BinaryXml> xml = BinaryXml::Parse(manifest);
    if (!xml) {
        return std::nullopt;
    }
    return IdentityFromXml(*xml, [&] { return std::optional<std::string>(std::string(resourceTable)); });
}

std::optional<PackageIdentity> ReadPackageIdentity(ZipEntries& archive, ZipEntries* writtenBase) {
    const std::vector<std::string> names = archive.Names();
    if (std::find(names.begin(), names.end(), "AndroidManifest.xml") != names.end()) {
        return IdentityOfApk(archive);
    }
    return IdentityOfBundle(archive, names, writtenBase);
}

std::string LogSafeText(std::string_view text) {
    std::string shown;
    for (const char c : text.substr(0, std::min(text.size(), kShownTextBytes + 4))) {
        const auto byte = static_cast<unsigned char>(c);
        shown += byte < 0x20 || byte == 0x7F ? ' ' : c;
    }
    if (shown.size() > kShownTextBytes) {
        size_t cut = kShownTextBytes;
        while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        shown.resize(cut);
        shown += "...";
    }
    return shown;
}

std::string ShownLabel(const PackageIdentity& identity) {
    return identity.label.empty() ? identity.packageName : identity.label;
}

std::string LabelAndVersion(const PackageIdentity& identity, const FromUtf8& fromUtf8) {
    std::string text = fromUtf8(LogSafeText(ShownLabel(identity)));
    if (!identity.versionName.empty()) {
        text += " " + fromUtf8(LogSafeText(identity.versionName));
    }
    return text;
}

std::string IdentityLogLine(const PackageIdentity& identity, const FromUtf8& fromUtf8) {
    std::string line = "应用：" + LabelAndVersion(identity, fromUtf8);
    line += "（" + fromUtf8(LogSafeText(identity.packageName));
    if (identity.versionCode) {
        line += "，版本号 " + std::to_string(*identity.versionCode);
    }
    if (identity.isBundle) {
        line += "，分包 " + std::to_string(identity.splitCount) + " 个";
        line += "，数据包 " + std::to_string(identity.obbCount) + " 个";
    }
    return line + "）";
}

std::string MinSdkNote(const PackageIdentity& identity, const FromUtf8& fromUtf8) {
    if (identity.minSdk.empty()) {
        return {};
    }
    const std::string label = fromUtf8(LogSafeText(ShownLabel(identity)));
    const std::string release = AndroidRelease(identity.minSdk);
    if (release.empty()) {
        return "「" + label + "」要求的最低系统版本为 " + fromUtf8(LogSafeText(identity.minSdk)) + "。";
    }
    return "「" + label + "」至少需要 Android " + release + "（API " + identity.minSdk + "）。";
}

std::string InstallingVersionNote(const PackageIdentity& identity, const FromUtf8& fromUtf8) {
    if (identity.versionName.empty() && !identity.versionCode) {
        return {};
    }
    std::string version = fromUtf8(LogSafeText(identity.versionName));
    if (identity.versionCode) {
        version += (version.empty() ? "版本号 " : "（版本号 ") + std::to_string(*identity.versionCode) +
                   (identity.versionName.empty() ? "" : "）");
    }
    return "正在安装的是「" + fromUtf8(LogSafeText(ShownLabel(identity))) + "」" + version + "。";
}

#include "install/bundle_description.h"

#include <algorithm>
#include <charconv>

#include <nlohmann/json.hpp>

#include "install/binary_xml.h"

namespace {

constexpr size_t kMaxJsonDepth = 32;
// No bundle lists more; a longer list is cut there and its bundle then fails the checks of the plan.
constexpr size_t kMaxListedFiles = 1000;

// nlohmann's parser keeps its own stack, but a deeply nested document is still refused before it:
// nothing a bundle description needs is nested more than a few levels.
bool NestingWithin(std::string_view text, size_t limit) {
    size_t depth = 0;
    bool inString = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit) {
                return false;
            }
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return true;
}

std::optional<nlohmann::json> ReadJson(ZipEntries& archive, std::string_view name) {
    const std::optional<std::string> text = archive.Read(name, kMaxBundleJsonBytes);
    if (!text || !NestingWithin(*text, kMaxJsonDepth)) {
        return std::nullopt;
    }
    nlohmann::json json = nlohmann::json::parse(*text, nullptr, false);
    if (!json.is_object()) {
        return std::nullopt;
    }
    return json;
}

// A field that bundles write as a string or as a number.
std::string JsonText(const nlohmann::json& json, const char* key) {
    const auto found = json.find(key);
    if (found == json.end()) {
        return {};
    }
    if (found->is_string()) {
        const std::string& text = found->get_ref<const std::string&>();
        return text.size() <= kMaxValueBytes ? text : std::string();
    }
    if (found->is_number_unsigned()) {
        return std::to_string(found->get<uint64_t>());
    }
    if (found->is_number_integer()) {
        return std::to_string(found->get<int64_t>());
    }
    return {};
}

std::optional<int64_t> JsonInteger(const nlohmann::json& json, const char* key) {
    const std::string text = JsonText(json, key);
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

// The objects of a list field; none when the field is missing or no list.
const nlohmann::json* JsonList(const nlohmann::json& json, const char* key) {
    const auto found = json.find(key);
    return found != json.end() && found->is_array() ? &*found : nullptr;
}

BundleDescription DescribeXapk(const nlohmann::json& json) {
    BundleDescription bundle;
    PackageIdentity& identity = bundle.identity;
    identity.packageName = JsonText(json, "package_name");
    identity.label = JsonText(json, "name");
    identity.versionName = JsonText(json, "version_name");
    identity.versionCode = JsonInteger(json, "version_code");
    identity.minSdk = JsonText(json, "min_sdk_version");
    identity.targetSdk = JsonText(json, "target_sdk_version");
    if (const nlohmann::json* splits = JsonList(json, "split_apks")) {
        bundle.splits.emplace();
        for (const nlohmann::json& split : *splits) {
            if (split.is_object() && bundle.splits->size() < kMaxListedFiles) {
                bundle.splits->push_back({JsonText(split, "file"), JsonText(split, "id")});
                if (bundle.splits->back().id == "base") {
                    bundle.baseName = bundle.splits->back().file;
                }
            }
        }
    }
    if (bundle.baseName.empty() && IsPackageName(identity.packageName)) {
        bundle.baseName = identity.packageName + ".apk";
    }
    if (const nlohmann::json* expansions = JsonList(json, "expansions")) {
        bundle.expansions.emplace();
        for (const nlohmann::json& expansion : *expansions) {
            if (expansion.is_object() && bundle.expansions->size() < kMaxListedFiles) {
                bundle.expansions->push_back({JsonText(expansion, "file"), JsonText(expansion, "install_path")});
            }
        }
    }
    return bundle;
}

BundleDescription DescribeApkm(const nlohmann::json& json) {
    BundleDescription bundle;
    PackageIdentity& identity = bundle.identity;
    identity.packageName = JsonText(json, "pname");
    identity.label = JsonText(json, "app_name");
    identity.versionName = JsonText(json, "release_version");
    identity.versionCode = JsonInteger(json, "versioncode");
    identity.minSdk = JsonText(json, "min_api");
    bundle.baseName = "base.apk";
    return bundle;
}

}  // namespace

std::optional<BundleDescription> ReadBundleDescription(ZipEntries& archive, const std::vector<std::string>& names) {
    const auto has = [&](std::string_view name) { return std::find(names.begin(), names.end(), name) != names.end(); };
    if (has("manifest.json")) {
        const auto json = ReadJson(archive, "manifest.json");
        return json ? std::optional(DescribeXapk(*json)) : std::nullopt;
    }
    if (has("info.json")) {
        const auto json = ReadJson(archive, "info.json");
        return json ? std::optional(DescribeApkm(*json)) : std::nullopt;
    }
    return std::nullopt;
}

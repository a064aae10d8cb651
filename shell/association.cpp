#include "shell/association.h"

#include "base/ansi_text.h"
#include "base/path_text.h"

namespace {

constexpr char kSeparator = '|';
// FTA_Show: the type appears in the shell's list of file types.
constexpr uint32_t kEditFlags = 2;

RegistryEntry TextEntry(std::string key, std::string text) {
    return {std::move(key), {}, RegistryEntry::Kind::Text, std::move(text), 0};
}

}  // namespace

std::vector<std::string> SplitExtensionList(const std::string& extensionList) {
    std::vector<std::string> extensions;
    std::string current;
    ForEachCharacter(extensionList, LeadBytes::Gbk, [&](size_t at, size_t length) {
        if (length == 1 && extensionList[at] == kSeparator) {
            extensions.push_back(std::move(current));
            current.clear();
        } else {
            current.append(extensionList, at, length);
        }
    });
    if (!current.empty()) {
        extensions.push_back(std::move(current));
    }
    return extensions;
}

std::vector<RegistryEntry> PlanAssociation(const std::string& executable,
                                           const std::string& extensionList,
                                           const std::string& icon,
                                           const std::string& description,
                                           const std::string& typeName) {
    const std::string& type = typeName.empty() ? extensionList : typeName;
    // An empty type name would put the values on the root of all file types itself.
    if (executable.empty() || type.empty()) {
        return {};
    }
    const std::string& iconFile = icon.empty() ? executable : icon;

    std::vector<RegistryEntry> plan;
    plan.push_back(TextEntry(type, description));
    plan.push_back({type, "EditFlags", RegistryEntry::Kind::Number, {}, kEditFlags});
    plan.push_back(TextEntry(type + "\\Shell\\Open\\Command", "\"" + executable + "\" \"%1\""));
    plan.push_back(TextEntry(type + "\\DefaultIcon", iconFile + ",0"));
    for (const std::string& extension : SplitExtensionList(extensionList)) {
        // An empty item ("a||b") is no extension: the key "." would bind files that have none.
        if (!extension.empty()) {
            plan.push_back(TextEntry("." + extension, type));
        }
    }
    return plan;
}

void WriteAssociation(const std::vector<RegistryEntry>& plan, ClassesRegistry& registry) {
    for (const RegistryEntry& entry : plan) {
        if (!registry.Write(ClassesStore::Root, entry)) {
            (void)registry.Write(ClassesStore::User, entry);
        }
    }
}

std::string ProgramPath(const std::string& runDirectory, const std::string& modulePath) {
    return runDirectory + "\\" + FileNameOf(modulePath);
}

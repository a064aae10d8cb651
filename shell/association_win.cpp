#include "shell/association_win.h"

#include <shlobj.h>

#include "app/program_state.h"
#include "base/module_path_win.h"
#include "base/owned_handle_win.h"

namespace {

OwnedKey OpenOrCreateKey(HKEY root, const std::string& keyPath) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
        return OwnedKey(key);
    }
    // Creates every missing key along the path.
    if (RegCreateKeyA(root, keyPath.c_str(), &key) == ERROR_SUCCESS) {
        return OwnedKey(key);
    }
    return OwnedKey();
}

}  // namespace

bool WriteRegistryValue(HKEY root, const std::string& keyPath, const RegistryEntry& entry) {
    const OwnedKey key = OpenOrCreateKey(root, keyPath);
    if (!key) {
        return false;
    }
    LONG result = ERROR_SUCCESS;
    if (entry.kind == RegistryEntry::Kind::Number) {
        const DWORD number = entry.number;
        result = RegSetValueExA(key.get(), entry.valueName.c_str(), 0, REG_DWORD,
                                reinterpret_cast<const BYTE*>(&number), sizeof(number));
    } else {
        result = RegSetValueExA(key.get(), entry.valueName.c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(entry.text.c_str()),
                                static_cast<DWORD>(entry.text.size() + 1));
    }
    return result == ERROR_SUCCESS;
}

SystemClassesRegistry::SystemClassesRegistry(ClassesLocation root, ClassesLocation user)
    : root_(std::move(root)), user_(std::move(user)) {}

bool SystemClassesRegistry::Write(ClassesStore store, const RegistryEntry& entry) {
    const ClassesLocation& location = store == ClassesStore::Root ? root_ : user_;
    return WriteRegistryValue(location.root, location.prefix + entry.key, entry);
}

void RegisterApkAssociation() {
    // Formed at each click, so a program that was moved or renamed names its new place. The bundles
    // point at the same type as the package: the command-line install takes them all.
    AssociateExtensions(ProgramPath(RunDirectory, ModuleFilePath()), "apk|apks|apkm|xapk", ApkIconPath, "", "apk");
}

void AssociateExtensions(const std::string& executable,
                         const std::string& extensionList,
                         const std::string& icon,
                         const std::string& description,
                         const std::string& typeName) {
    SystemClassesRegistry registry;
    WriteAssociation(PlanAssociation(executable, extensionList, icon, description, typeName), registry);
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

#include "shell/association_win.h"

#include <windows.h>

#include <shlobj.h>

#include "app/program_state.h"
#include "shell/association_plan.h"
#include "shell/classes_registry.h"
#include "shell/program_path.h"
#include "shell/registry_write_win.h"

namespace {

std::string ModuleFilePath() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

}  // namespace

void RegisterApkAssociation() {
    // Formed at each click, so a program that was moved or renamed names its new place.
    AssociateExtensions(ProgramPath(RunDirectory, ModuleFilePath()), "apk", ApkIconPath);
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

#include "app/routine_bindings_win.h"

#include "app/installer_role_win.h"
#include "app/workspace_win.h"
#include "install/adb_install_win.h"
#include "shell/association_win.h"
#include "ui/window_commands_win.h"
#include "wsa/wsa_install_win.h"

// A switch with no default: a routine left out of it does not compile (-Werror=switch).
void RunBoundRoutine(ui::Routine routine) {
    using enum ui::Routine;
    switch (routine) {
        case None:
            return;
        case PrepareWorkspace:
            return ::PrepareWorkspace();
        case RemoveAdbTools:
            return ::RemoveAdbTools();
        case ChooseWsaPackage:
            return ::ChooseWsaPackage();
        case SyncWsaPackagePath:
            return ::SyncWsaPackagePath();
        case OpenDownloadShare:
            return ::OpenDownloadShare();
        case InstallWsaPackage:
            return ::InstallWsaPackage();
        case ChooseApkPackage:
            return ::ChooseApkPackage();
        case SyncApkPackagePath:
            return ::SyncApkPackagePath();
        case InstallChosenApk:
            // Another instance installs: the package goes to it.
            return InstallHereOrHandOver({ChosenApkPath()}, ::InstallChosenApk);
        case RegisterApkAssociation:
            return ::RegisterApkAssociation();
        case InstallAppStore:
            return InstallHereOrHandOver({}, ::InstallAppStore);
        case OpenFirstAuthorPage:
            return ::OpenFirstAuthorPage();
        case OpenSecondAuthorPage:
            return ::OpenSecondAuthorPage();
        case RevealEasterEgg:
            return ::RevealEasterEgg();
    }
}

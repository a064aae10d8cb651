#include "app/dropped_files_win.h"

#include "app/dropped_files.h"
#include "app/installer_role_win.h"
#include "base/path_text.h"
#include "base/wide_text_win.h"
#include "install/adb_install.h"
#include "install/adb_install_win.h"
#include "install/install_queue_win.h"
#include "install/package_path_win.h"
#include "ui/control_events_win.h"
#include "ui/controls_win.h"
#include "ui/main_window_win.h"
#include "ui/message_box_win.h"

void HandleDroppedFiles(const std::vector<std::wstring>& files) {
    std::vector<std::wstring> packages;
    std::vector<std::wstring> wsaPackages;
    std::vector<std::string> refused;
    for (const std::wstring& file : files) {
        const std::string name = FileNameOf(AnsiFromWide(file));
        switch (DroppedKindByName(name)) {
            case DroppedKind::kPackage:
                packages.push_back(file);
                break;
            case DroppedKind::kWsaPackage:
                wsaPackages.push_back(file);
                break;
            case DroppedKind::kOther:
                if (IsPackageByContent(file)) {
                    packages.push_back(file);
                } else {
                    refused.push_back(name);
                }
                break;
        }
    }
    if (!refused.empty()) {
        ShowMessage(RefusedDropMessage(refused));
        return;
    }
    if (!packages.empty() && !IsValidPort(GetEditText(control::编辑框3))) {
        ShowMessage(kInvalidPortMessage);
        return;
    }
    if (packages.size() > InstallQueueRoom()) {
        ShowMessage("一次最多安装 " + std::to_string(kMaxQueuedPackages) +
                    " 个安装包，这次拖放的太多了，没有安装任何东西。");
        return;
    }
    if (!wsaPackages.empty()) {
        // The WSA page's install stays the user's click: a drop only names the package.
        SetEditText(control::编辑框1, AnsiFromWide(wsaPackages.back()));
        ShowTabPage(ui::Page::Wsa);
    }
    if (!packages.empty()) {
        InstallHereOrHandOver(packages, [&packages] {
            QueuePackages(packages);
            RunInstallQueue();
        });
    }
}

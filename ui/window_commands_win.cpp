#include "ui/window_commands_win.h"

#include <windows.h>

#include <shellapi.h>

#include "app/program_state.h"
#include "base/payload_win.h"
#include "ui/control_events_win.h"
#include "ui/controls_win.h"
#include "ui/file_dialog_win.h"
#include "ui/message_box_win.h"
#include "ui/web_addresses.h"

namespace {

// A cancelled dialog changes nothing: the path box keeps what the user typed or chose before.
bool ChoosePackage(FileDialog& dialog, std::string& packagePath, int pathBox) {
    if (!RunFileDialog(dialog)) {
        return false;
    }
    packagePath = dialog.fileName;
    SetEditText(pathBox, packagePath);  // its content-changed routine stores the same text again
    return true;
}

void ShowPayloadPicture(int pictureBox, const char* payloadName) {
    const PayloadItem item = FindPayloadItem(payloadName);
    SetPicture(pictureBox, item.data, item.size);
}

}  // namespace

void ChooseWsaPackage() {
    (void)ChoosePackage(通用对话框1, WsaPackagePath, control::编辑框1);
}

void SyncWsaPackagePath() {
    WsaPackagePath = GetEditText(control::编辑框1);
}

void ChooseApkPackage() {
    if (ChoosePackage(通用对话框2, ApkPackagePath, control::编辑框4)) {
        ApkPackageWidePath = 通用对话框2.wideFileName;
    }
}

void SyncApkPackagePath() {
    ApkPackagePath = GetEditText(control::编辑框4);
}

void OpenDownloadShare() {
    // The user reads the extraction code first; the browser opens once the box is closed.
    (void)ShowMessage("KTRZ", 0, "提取码");
    OpenUrl(ui::kDownloadShareAddress);
}

void OpenFirstAuthorPage() {
    OpenUrl(ui::kFirstAuthorPageAddress);
}

void OpenSecondAuthorPage() {
    OpenUrl(ui::kSecondAuthorPageAddress);
}

void RevealEasterEgg() {
    ShowPayloadPicture(control::图片框5, payload::kAboutPicture1);
    ShowPayloadPicture(control::图片框1, payload::kAboutPicture2);
    (void)ShowMessage("关注墨羽，顿顿解馋");
}

void OpenUrl(const std::string& address) {
    HWND owner = FindWindowExA(nullptr, nullptr, nullptr, "Microsoft Internet Explorer");
    (void)ShellExecuteA(owner, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

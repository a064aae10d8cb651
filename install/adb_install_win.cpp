#include "install/adb_install_win.h"

#include <windows.h>

#include "app/program_state.h"
#include "base/payload_win.h"
#include "install/install_log.h"
#include "process/console_command.h"
#include "process/console_command_win.h"
#include "process/responsive_delay_win.h"
#include "ui/control_events_win.h"
#include "ui/controls_win.h"
#include "ui/message_box_win.h"

namespace {

bool installRunning = false;

// A second sequence started while one runs would stop the first one's server with its kill-server
// and mix the two logs, so both install buttons stay disabled until the sequence ends.
class InstallButtonsLock {
public:
    InstallButtonsLock() {
        installRunning = true;
        EnableControl(control::按钮4, false);
        EnableControl(control::按钮8, false);
    }
    ~InstallButtonsLock() {
        EnableControl(control::按钮4, true);
        EnableControl(control::按钮8, true);
        installRunning = false;
    }
    InstallButtonsLock(const InstallButtonsLock&) = delete;
    InstallButtonsLock& operator=(const InstallButtonsLock&) = delete;
};

void ShowNewestLogLine() {
    HWND log = ControlWindow(control::编辑框2);
    (void)SendMessageA(log, WM_VSCROLL, SB_BOTTOM, 0);
}

void SetInstallLog(const std::string& text) {
    SetEditText(control::编辑框2, text);
    ShowNewestLogLine();
}

void AppendToInstallLog(const std::string& output) {
    SetInstallLog(GetEditText(control::编辑框2) + "\r\n" + output);
}

}  // namespace

InstallOutputs InstallApk(std::string packagePath, const std::string& host, const std::string& port) {
    InstallButtonsLock lock;
    InstallOutputs outputs;

    // The interpreter would run a cut command line: nothing is started for such a path.
    const std::string installCommand = InstallCommand(packagePath);
    if (!FitsInterpreterLine(installCommand)) {
        outputs.install = "安装包的路径太长（命令行超过 8191 个字符），无法安装。请把安装包放到路径较短的文件夹里再试。";
        SetInstallLog(outputs.install);
        return outputs;
    }

    TickPumpingDelay(50);
    outputs.killServer = RunConsoleCommand(KillServerCommand());
    SetInstallLog(ShownText(outputs.killServer));

    TickPumpingDelay(50);
    outputs.connect = RunConsoleCommand(ConnectCommand(host, port));
    AppendToInstallLog(ShownText(outputs.connect));

    Sleep(50);
    ConsoleResult install = RunConsoleCommandWithStatus(installCommand);
    outputs.install = std::move(install.output);
    outputs.installStatus = install.exitStatus;
    AppendToInstallLog(ShownText(outputs.install));
    return outputs;
}

void InstallChosenApk() {
    if (installRunning) {
        return;
    }
    const std::string host = GetIpAddressText(control::IP编辑框1);
    const std::string port = GetEditText(control::编辑框3);
    if (!IsValidPort(port)) {
        ShowMessage("端口号无效，请输入 1 到 65535 之间的数字");
        return;
    }
    (void)InstallApk(ApkPackagePath, host, port);
}

void InstallAppStore() {
    if (installRunning) {
        return;
    }
    const std::string package = WorkFolderPath + "\\coolapk.apk";
    (void)ExtractPayloadItem(FindPayloadItem(payload::kStoreApk), package);
    (void)InstallApk(package, "127.0.0.1", "58526");
}

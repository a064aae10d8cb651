#include "install/adb_install_win.h"

#include <windows.h>

#include <cstdio>
#include <utility>

#include "app/program_state.h"
#include "base/payload_win.h"
#include "install/bundle_files_win.h"
#include "install/bundle_plan.h"
#include "install/client_text_win.h"
#include "install/install_guidance.h"
#include "install/install_log.h"
#include "install/package_identity.h"
#include "install/wsa_wakeup_win.h"
#include "install/zip_entries_minizip.h"
#include "process/console_command.h"
#include "process/console_command_win.h"
#include "process/responsive_delay_win.h"
#include "ui/control_events_win.h"
#include "ui/controls_win.h"
#include "ui/main_window_win.h"
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

// The log while a command runs: what it held before the command, then the command's output so far.
struct LiveLog {
    std::string before;
    ShownOutput output;
    DWORD shownAt = 0;
};
LiveLog* liveLog = nullptr;
// A flood of small chunks would spend the window's time in repainting the log.
constexpr DWORD kLiveLogIntervalMs = 100;

int32_t ShowChunk(const char* chunk) {
    if (liveLog != nullptr) {
        liveLog->output.Add(chunk);
        const DWORD now = GetTickCount();
        if (liveLog->shownAt == 0 || now - liveLog->shownAt >= kLiveLogIntervalMs) {
            liveLog->shownAt = now;
            SetInstallLog(liveLog->before + ClientTextForLog(liveLog->output.Text()));
        }
    }
    return 0;
}

// Runs one command of the sequence with its output shown in the log as it arrives; the log then holds
// `before` and the command's output as the log shows it.
ConsoleResult RunShowingOutput(const std::string& command, const std::string& before) {
    LiveLog live{before};
    LiveLog* outer = std::exchange(liveLog, &live);
    ConsoleResult result = RunConsoleCommandWithStatus(command, ShowChunk, true);
    liveLog = outer;
    result.output = ClientTextForLog(result.output);
    SetInstallLog(before + ShownText(result.output));
    return result;
}

// The log so far, ready for the next command's output.
std::string LogBefore(const std::string& log) {
    return log + "\r\n";
}

constexpr char kWakingWsa[] = "正在启动 WSA，请稍候……";
constexpr DWORD kWakeRetryMs = 2000;
constexpr DWORD kWakeLimitMs = 60000;

// The connect step refused on this machine: WSA is not running. Starts it once and tries again every
// 2 s for up to a minute; the window answers meanwhile. False when the window was closed during it.
bool WakeWsaAndConnect(InstallOutputs& outputs, const std::string& logBefore, const std::string& connectCommand) {
    (void)OpenWsa();
    const std::string waking = logBefore + ShownText(outputs.connect) + "\r\n" + kWakingWsa + "\r\n";
    SetInstallLog(waking);
    const DWORD start = GetTickCount();
    std::string last = outputs.connect;
    while (GetTickCount() - start < kWakeLimitMs) {
        (void)PumpingDelay(static_cast<int32_t>(kWakeRetryMs));
        if (MainWindow() == nullptr) {
            return false;
        }
        last = RunShowingOutput(connectCommand, waking).output;
        if (!RefusedOnLoopback(last, "")) {
            break;
        }
    }
    // The log keeps the first answer, the note and the last answer.
    outputs.connect += "\r\n";
    outputs.connect += kWakingWsa;
    outputs.connect += "\r\n" + last;
    return true;
}

// What the program makes of a package file before the client sees it: who it says it is (nothing when it
// cannot tell, whatever the file holds) and whether it goes to the client whole or as a bundle.
struct InspectedPackage {
    std::unique_ptr<ZipEntries> archive;
    std::optional<PackageIdentity> identity;
    ArchivePlan plan;
};

std::string FileHead(const std::string& path) {
    char head[4] = {};
    size_t got = 0;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        got = std::fread(head, 1, sizeof head, file);
        (void)std::fclose(file);
    }
    return std::string(head, got);
}

InspectedPackage Inspect(const std::string& packagePath) {
    InspectedPackage package;
    try {
        package.archive = OpenZipFile(packagePath);
        package.plan = PlanArchive(packagePath, FileHead(packagePath), package.archive.get(), Utf8ToAnsi);
        if (package.archive) {
            package.identity = ReadPackageIdentity(*package.archive);
        }
    } catch (const std::exception&) {
        // Memory short for a bundle's base: the install goes on without the name.
        package.identity.reset();
    }
    return package;
}

// The log's first line and a blank line, when the package tells who it is.
std::string IdentityHeader(const std::optional<PackageIdentity>& identity) {
    return identity ? IdentityLogLine(*identity, Utf8ToAnsi) + "\r\n\r\n" : std::string();
}

// After a sequence without the client's Success: a blank line and the paragraph saying what to do.
void AddHint(InstallOutputs& outputs,
             const std::string& packagePath,
             const std::string& host,
             const std::string& port,
             const std::optional<PackageIdentity>& identity) {
    HintContext context{packagePath, host, port, std::nullopt, "", std::nullopt};
    if (identity) {
        const std::string& minSdk = identity->minSdk;
        if (!minSdk.empty() && minSdk.size() < 4 && minSdk.find_first_not_of("0123456789") == std::string::npos) {
            context.minSdk = std::stoi(minSdk);
        }
        // The package's own text: no control characters into the log, and no novel either.
        std::string version = identity->versionName.substr(0, 64);
        for (char& c : version) {
            c = static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
        }
        context.versionName = Utf8ToAnsi(version);
        context.versionCode = identity->versionCode;
    }
    outputs.hint = InstallHint(InstallLogText(outputs), context);
    const std::string log = GetEditText(control::编辑框2);
    const bool endsWithLine = !log.empty() && log.back() == '\n';
    SetInstallLog(log + (endsWithLine ? "\r\n" : "\r\n\r\n") + outputs.hint);
}

}  // namespace

InstallOutputs InstallApk(std::string packagePath, const std::string& host, const std::string& port) {
    InstallButtonsLock lock;
    InstallOutputs outputs;

    InspectedPackage package = Inspect(packagePath);
    const std::string header = IdentityHeader(package.identity);
    if (package.plan.shape == ArchiveShape::kProblem) {
        outputs.install = package.plan.problem;
        SetInstallLog(header + outputs.install);
        return outputs;
    }
    const bool bundle = package.plan.shape == ArchiveShape::kBundle;
    ExtractedBundle files = bundle ? BundleFileNames(package.plan.bundle, BundleFolder() + "\\") : ExtractedBundle{};
    const std::string installCommand = bundle ? InstallMultipleCommand(files.apkFiles) : InstallCommand(packagePath);

    // The interpreter would run a cut command line: nothing is started for such a path.
    if (!FitsInterpreterLine(installCommand)) {
        outputs.install =
            "安装包的路径太长（命令行超过 8191 个字符），无法安装。请把安装包放到路径较短的文件夹里再试。";
        SetInstallLog(outputs.install);
        return outputs;
    }

    if (!header.empty()) {
        SetInstallLog(header);
    }
    const BundleFolderRemover removeBundleFiles(bundle);
    if (bundle) {
        SetInstallLog(header + "正在解压安装包……");
        files = ExtractBundleForInstall(*package.archive, package.plan.bundle);
        if (!files.problem.empty()) {
            outputs.install = files.problem;
            SetInstallLog(header + outputs.install);
            return outputs;
        }
    }
    package.archive.reset();

    TickPumpingDelay(50);
    outputs.killServer = RunShowingOutput(KillServerCommand(), header).output;
    std::string log = header + ShownText(outputs.killServer);

    TickPumpingDelay(50);
    const std::string connectCommand = ConnectCommand(host, port);
    outputs.connect = RunShowingOutput(connectCommand, LogBefore(log)).output;
    if (RefusedOnLoopback(outputs.connect, host) && WsaSchemeRegistered() &&
        !WakeWsaAndConnect(outputs, LogBefore(log), connectCommand)) {
        return outputs;
    }
    log = LogBefore(log) + ShownText(outputs.connect);
    SetInstallLog(log);

    Sleep(50);
    ConsoleResult install = RunShowingOutput(installCommand, LogBefore(log));
    outputs.install = std::move(install.output);
    outputs.installStatus = install.exitStatus;
    log = LogBefore(log) + ShownText(outputs.install);

    // An OBB file only once its app is there: a failed install leaves no data behind on the device.
    for (size_t i = 0; i < files.obbFiles.size() && InstallSucceeded(outputs); ++i) {
        ConsoleResult push =
            RunShowingOutput(PushCommand(files.obbFiles[i].file, files.obbFiles[i].devicePath), LogBefore(log));
        outputs.pushes.push_back({std::move(push.output), push.exitStatus});
        log = LogBefore(log) + ShownText(outputs.pushes.back().output);
    }
    if (!InstallSucceeded(outputs)) {
        AddHint(outputs, packagePath, host, port, package.identity);
    }
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

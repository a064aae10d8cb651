#include "install/adb_install_win.h"

#include <windows.h>

#include <cstdio>
#include <utility>

#include "app/program_state.h"
#include "base/path_text.h"
#include "base/payload_win.h"
#include "base/wide_text_win.h"
#include "install/bundle_plan.h"
#include "install/client_text_win.h"
#include "install/install_guidance.h"
#include "install/install_log.h"
#include "install/install_queue.h"
#include "install/install_queue_win.h"
#include "install/package_identity.h"
#include "install/package_path_win.h"
#include "install/work_files_win.h"
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

int installLocks = 0;

// The part of the log above the running install's own (the packages before it in a run), and its own part.
std::string logAbove;
std::string logPart;

void SetInstallLog(const std::string& text) {
    logPart = text;
    ShowInstallLog(logAbove + text);
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
    LiveLog live;
    live.before = before;
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

std::optional<PackageIdentity> BundleIdentity(ZipEntries& bundle, const std::string& writtenBase) {
    try {
        const std::unique_ptr<ZipEntries> base = OpenZipFile(writtenBase);
        return ReadPackageIdentity(bundle, base.get());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

InspectedPackage Inspect(const std::string& packagePath) {
    InspectedPackage package;
    try {
        package.archive = OpenZipFile(packagePath);
        package.plan = PlanArchive(packagePath, FileHead(packagePath), package.archive.get(), Utf8ToAnsi);
        // A bundle's base is read once it is written out, not copied into memory first.
        if (package.archive && package.plan.shape != ArchiveShape::kBundle) {
            package.identity = ReadPackageIdentity(*package.archive);
        }
    } catch (const std::exception&) {
        // Memory short: the install goes on without the name.
        package.identity.reset();
    }
    return package;
}

// The log's first line and a blank line, when the package tells who it is.
std::string IdentityHeader(const std::optional<PackageIdentity>& identity) {
    return identity ? IdentityLogLine(*identity, Utf8ToAnsi) + "\r\n\r\n" : std::string();
}

// The line above a package's part of the log in a run of several.
std::string PlaceLine(const LogPlacement& placement, const std::string& fileName, const std::string& shownName) {
    QueuedResult named;
    named.fileName = fileName;
    named.shownName = shownName;
    return QueueHeaderLine(placement.place, placement.total, named) + "\r\n";
}

std::string ShownFileName(const LogPlacement& placement, const std::string& packagePath) {
    return placement.fileName.empty() ? FileNameOf(packagePath) : placement.fileName;
}

// Sets the part of the log above the install for as long as it runs.
class LogAbove {
  public:
    explicit LogAbove(const std::string& above) : outer_(std::exchange(logAbove, above)) {}
    ~LogAbove() { logAbove = std::move(outer_); }
    LogAbove(const LogAbove&) = delete;
    LogAbove& operator=(const LogAbove&) = delete;

  private:
    std::string outer_;
};

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
    const bool endsWithLine = !logPart.empty() && logPart.back() == '\n';
    SetInstallLog(logPart + (endsWithLine ? "\r\n" : "\r\n\r\n") + outputs.hint);
}

}  // namespace

InstallOutputs InstallApk(std::string packagePath,
                          const std::string& host,
                          const std::string& port,
                          const LogPlacement& placement) {
    InstallButtonsLock lock;
    const LogAbove above(placement.above);
    InstallOutputs outputs;

    InspectedPackage package = Inspect(packagePath);
    const bool bundle = package.plan.shape == ArchiveShape::kBundle;
    const auto headerOf = [&](const std::optional<PackageIdentity>& identity) {
        outputs.shownName = identity ? LabelAndVersion(*identity, Utf8ToAnsi) : std::string();
        const std::string place =
            placement.place > 0 ? PlaceLine(placement, ShownFileName(placement, packagePath), outputs.shownName) : "";
        return place + IdentityHeader(identity);
    };
    std::string header = headerOf(package.identity);
    if (package.plan.shape == ArchiveShape::kProblem) {
        outputs.install = package.plan.problem;
        SetInstallLog(header + outputs.install);
        return outputs;
    }
    ExtractedBundle files = bundle ? BundleFileNames(package.plan.bundle, BundleFolder() + "\\") : ExtractedBundle{};
    const std::string installCommand = bundle ? InstallMultipleCommand(files.apkFiles) : InstallCommand(packagePath);

    // The interpreter would run a cut command line: nothing is started for such a path.
    if (!FitsInterpreterLine(installCommand)) {
        outputs.install =
            "安装包的路径太长（命令行超过 8191 个字符），无法安装。请把安装包放到路径较短的文件夹里再试。";
        SetInstallLog(header + outputs.install);
        return outputs;
    }

    if (!header.empty()) {
        SetInstallLog(header);
    }
    const FolderRemover removeBundleFiles(bundle ? BundleFolder() : std::string());
    if (bundle) {
        SetInstallLog(header + "正在解压安装包……");
        files = ExtractBundleForInstall(*package.archive, package.plan.bundle);
        if (!files.problem.empty()) {
            outputs.install = files.problem;
            SetInstallLog(header + outputs.install);
            return outputs;
        }
        package.identity = BundleIdentity(*package.archive, files.apkFiles.front());
        header = headerOf(package.identity);
        SetInstallLog(header);
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

InstallOutputs InstallApkAt(const std::wstring& packagePath,
                            const std::string& host,
                            const std::string& port,
                            const LogPlacement& placement) {
    const ClientPackagePath path(packagePath);
    if (path.Problem().empty()) {
        return InstallApk(path.Ansi(), host, port, placement);
    }
    InstallButtonsLock lock;
    const LogAbove above(placement.above);
    InstallOutputs outputs;
    outputs.install = path.Problem();
    const std::string place =
        placement.place > 0 ? PlaceLine(placement, ShownFileName(placement, AnsiFromWide(packagePath)), "") : "";
    SetInstallLog(place + outputs.install);
    return outputs;
}

void ShowInstallLog(const std::string& text) {
    SetEditText(control::编辑框2, text);
    (void)SendMessageA(ControlWindow(control::编辑框2), WM_VSCROLL, SB_BOTTOM, 0);
}

std::wstring ChosenApkPath() {
    // The wide form names the file exactly while the box still shows what the dialog or a drop put there.
    if (!ApkPackageWidePath.empty() && AnsiFromWide(ApkPackageWidePath) == ApkPackagePath) {
        return ApkPackageWidePath;
    }
    return WideFromAnsi(ApkPackagePath);
}

InstallButtonsLock::InstallButtonsLock() {
    if (installLocks++ == 0) {
        EnableControl(control::按钮4, false);
        EnableControl(control::按钮8, false);
    }
}

InstallButtonsLock::~InstallButtonsLock() {
    if (--installLocks == 0) {
        EnableControl(control::按钮4, true);
        EnableControl(control::按钮8, true);
    }
}

bool InstallRunning() {
    return installLocks > 0;
}

void InstallChosenApk() {
    if (InstallRunning()) {
        return;
    }
    if (!IsValidPort(GetEditText(control::编辑框3))) {
        ShowMessage(kInvalidPortMessage);
        return;
    }
    // A queue of one, so that packages dropped meanwhile follow it.
    QueuePackages({ChosenApkPath()});
    RunInstallQueue();
}

void InstallAppStore() {
    if (InstallRunning()) {
        return;
    }
    const std::string package = WorkFolderPath + "\\coolapk.apk";
    (void)ExtractPayloadItem(FindPayloadItem(payload::kStoreApk), package);
    (void)InstallApk(package, "127.0.0.1", "58526");
    // Packages dropped meanwhile waited for this install to end.
    RunSoon(RunInstallQueue);
}

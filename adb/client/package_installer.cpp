#include "adb/client/package_installer.h"

#include <chrono>

#include "adb/client/bounded_text.h"
#include "adb/protocol/install_service.h"

namespace adb {
namespace {

class Installer {
  public:
    Installer(DeviceConnection& device,
              ClientPlatform& platform,
              const std::vector<std::string>& options,
              const std::string& path,
              const InstallTimeouts& timeouts)
        : device_(device), platform_(platform), options_(options), path_(path), timeouts_(timeouts) {}

    int Run() {
        device_.SetSendTimeout(timeouts_.replyMs);
        InstallMethod method = ChooseInstallMethod(device_.Device());
        if (method == InstallMethod::kPush) {
            Out("Performing Push Install\n");
            return PushInstall();
        }
        Out("Performing Streamed Install\n");
        return StreamedInstall(method);
    }

  private:
    void Out(std::string_view text) { platform_.Print(OutputStream::kStdout, text); }
    void Err(std::string_view text) { platform_.Print(OutputStream::kStderr, text); }
    int Fail(std::string_view reason) {
        Err("adb: failed to install " + path_ + ": " + std::string(reason) + "\n");
        return 1;
    }

    int StreamedInstall(InstallMethod method) {
        std::string error;
        std::unique_ptr<PackageFile> file = platform_.OpenPackage(path_, &error);
        if (!file) {
            Err("adb: failed to stat " + path_ + ": " + error + "\n");
            return 1;
        }
        uint64_t size = file->Size();
        StreamStatus status = device_.Open(StreamedInstallService(method, options_, size), timeouts_.replyMs);
        if (status != StreamStatus::kOk) {
            return Fail(OpenProblem(status, "the install service", size));
        }
        uint64_t sent = 0;
        std::string problem = StreamFile(device_, *file, size, timeouts_.replyMs, &sent);
        if (!problem.empty()) {
            return Fail(problem);
        }
        BoundedText verdict;
        status = ReadToEnd(device_, &verdict, timeouts_.resultMs);
        device_.Close();
        if (status != StreamStatus::kEnded) {
            return Fail(status == StreamStatus::kTimeout ? "no complete answer from the device within " +
                                                               std::to_string(timeouts_.resultMs / 1000) + " s"
                                                         : LostText(sent, size));
        }
        std::string shown = verdict.Shown();
        if (verdict.text.compare(0, 7, "Success") == 0 && verdict.dropped == 0) {
            Out(shown);
            return 0;
        }
        while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r')) {
            shown.pop_back();
        }
        return Fail(shown.empty() ? "the device closed the install without an answer" : shown);
    }

    int PushInstall() {
        std::string error;
        std::unique_ptr<PackageFile> file = platform_.OpenPackage(path_, &error);
        if (!file) {
            Out("adb: error: cannot stat '" + path_ + "': " + error + "\n");
            return 255;
        }
        std::string remotePath = PushTargetPath(platform_.DeviceFileName(path_));
        uint64_t size = file->Size();
        auto started = std::chrono::steady_clock::now();
        uint64_t sent = 0;
        std::string problem = SyncPushFile(device_, *file, remotePath, size, timeouts_, &sent);
        if (!problem.empty()) {
            Err("adb: error: failed to copy '" + path_ + "' to '" + remotePath + "': " + problem + "\n");
            return 1;
        }
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        Out(PushSummary(path_, true, size, seconds));

        ShellOutcome installed =
            RunShellCommand(device_, PmInstallCommand(options_, remotePath), &platform_, timeouts_);
        if (!installed.ended) {
            Err("adb: error: " + installed.problem + "\n");
        }
        (void)RunShellCommand(device_, RemoveFileCommand(remotePath), nullptr, timeouts_);
        if (!installed.ended) {
            return 1;
        }
        // Without shell v2 there is no exit code: the package manager's "Success" line decides.
        const std::string& text = installed.output.text;
        bool success = installed.exitCode == 0 && installed.output.dropped == 0 &&
                       (text.compare(0, 7, "Success") == 0 || text.find("\nSuccess") != std::string::npos) &&
                       text.find("Failure [") == std::string::npos;
        if (!success && text.find("Failure") == std::string::npos) {
            Err("adb: failed to install " + path_ + ": the device did not confirm the install\n");
        }
        return success ? 0 : 1;
    }

    DeviceConnection& device_;
    ClientPlatform& platform_;
    const std::vector<std::string>& options_;
    const std::string& path_;
    InstallTimeouts timeouts_;
};

}  // namespace

int InstallPackage(DeviceConnection& device,
                   ClientPlatform& platform,
                   const std::vector<std::string>& options,
                   const std::string& path,
                   const InstallTimeouts& timeouts) {
    return Installer(device, platform, options, path, timeouts).Run();
}

}  // namespace adb

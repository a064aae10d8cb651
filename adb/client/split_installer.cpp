#include "adb/client/split_installer.h"

#include <algorithm>
#include <optional>

#include "adb/client/bounded_text.h"
#include "adb/protocol/install_service.h"

namespace adb {
namespace {

bool EndsWithNoCase(std::string_view text, std::string_view end) {
    if (text.size() < end.size()) {
        return false;
    }
    return std::equal(end.begin(), end.end(), text.end() - static_cast<std::ptrdiff_t>(end.size()),
                      [](char a, char b) { return a == (b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b); });
}

bool IsInstallFile(std::string_view argument) {
    for (const char* extension : {".apk", ".dm", ".sdm", ".fsv_sig", ".idsig"}) {
        if (EndsWithNoCase(argument, extension)) {
            return true;
        }
    }
    return false;
}

std::string WithNewline(std::string text) {
    if (!text.empty() && text.back() != '\n') {
        text += '\n';
    }
    return text;
}

// What one package manager command answered. `problem` says why it did not run to its end.
struct Answer {
    bool opened = false;
    BoundedText text;
    std::string problem;

    // A commit may warn before its verdict ("Warning [Could not validate the dex paths: ...]").
    bool Success() const {
        std::string_view said = text.text;
        while (said.compare(0, 8, "Warning ") == 0 && said.find('\n') != std::string_view::npos) {
            said.remove_prefix(said.find('\n') + 1);
        }
        return problem.empty() && text.dropped == 0 && said.compare(0, 7, "Success") == 0;
    }
};

class SplitInstaller {
  public:
    SplitInstaller(DeviceConnection& device,
                   ClientPlatform& platform,
                   const std::vector<std::string>& options,
                   std::vector<SplitFile>& files,
                   const InstallTimeouts& timeouts,
                   const Reconnect& reconnect)
        : device_(&device),
          platform_(platform),
          options_(options),
          files_(files),
          timeouts_(timeouts),
          reconnect_(reconnect) {}

    int Run() {
        device_->SetSendTimeout(timeouts_.replyMs);
        method_ = ChooseSessionMethod(device_->Device());
        uint64_t total = 0;
        for (const SplitFile& split : files_) {
            total += split.file->Size();
        }
        Answer created = Call(SessionCreateService(method_, options_, total), timeouts_.replyMs);
        if (!created.opened) {
            Err("adb: connect error for create: " + created.problem + "\n");
            return 1;
        }
        std::optional<uint32_t> session = created.text.dropped == 0 ? ParseSessionId(created.text.text) : std::nullopt;
        if (!session || !created.problem.empty()) {
            Report("adb: failed to create session", created);
            if (session) {
                Abandon(*session);
            }
            return 1;
        }
        for (SplitFile& split : files_) {
            if (!Write(*session, split)) {
                Abandon(*session);
                return 1;
            }
        }
        Answer committed = Commit(*session);
        if (!committed.opened) {
            Err("adb: connect error for finalize: " + committed.problem + "\n");
            Abandon(*session, false);
            return 1;
        }
        if (!committed.Success()) {
            Report("adb: failed to finalize session", committed);
            Abandon(*session);
            return 1;
        }
        Out(committed.text.text);
        return 0;
    }

  private:
    void Out(std::string_view text) { platform_.Print(OutputStream::kStdout, text); }
    void Err(std::string_view text) { platform_.Print(OutputStream::kStderr, text); }

    // The heading, then what the device said, then why its answer is incomplete.
    void Report(const std::string& heading, const Answer& answer) {
        Err(heading + "\n" + WithNewline(answer.text.Shown()));
        if (!answer.problem.empty()) {
            Err("adb: " + answer.problem + "\n");
        }
    }

    // Opens the service, sends the file if there is one, and reads the answer to its end.
    Answer Call(const std::string& service, int answerMs, SplitFile* upload = nullptr) {
        Answer answer;
        uint64_t size = upload != nullptr ? upload->file->Size() : 0;
        StreamStatus status = device_->Open(service, timeouts_.replyMs);
        if (status != StreamStatus::kOk) {
            answer.problem = OpenProblem(status, "the package manager service", size);
            return answer;
        }
        answer.opened = true;
        uint64_t sent = 0;
        if (upload != nullptr) {
            answer.problem = StreamFile(*device_, *upload->file, size, timeouts_.replyMs, &sent);
            if (!answer.problem.empty()) {
                return answer;
            }
        }
        status = ReadToEnd(*device_, &answer.text, answerMs);
        device_->Close();
        if (status == StreamStatus::kTimeout) {
            answer.problem = "no complete answer from the device within " + std::to_string(answerMs / 1000) + " s";
        } else if (status != StreamStatus::kEnded) {
            answer.problem = upload != nullptr ? LostText(sent, size) : "the connection to the device was lost";
        }
        return answer;
    }

    bool Write(uint32_t session, SplitFile& split) {
        Answer written =
            Call(SessionWriteService(method_, split.file->Size(), session, split.name), timeouts_.replyMs, &split);
        if (!written.opened) {
            Err("adb: connect error for write: " + written.problem + "\n");
            return false;
        }
        if (!written.problem.empty() && written.text.text.empty()) {
            Err("adb: failed to write \"" + split.path + "\": " + written.problem + "\n");
            return false;
        }
        if (!written.Success()) {
            Report("adb: failed to write \"" + split.path + "\"", written);
            return false;
        }
        return true;
    }

    // A device without cmd may drop what pm writes on stderr (a failure's reason) from exec:
    // streams; the shell keeps it, and a commit needs no input.
    Answer Commit(uint32_t session) {
        if (method_ != SessionMethod::kExecPm) {
            return Call(SessionService(method_, "install-commit", session), timeouts_.resultMs);
        }
        ShellOutcome shell = RunShellCommand(*device_, PmSessionCommand("install-commit", session), nullptr, timeouts_);
        Answer answer;
        answer.opened = shell.opened;
        answer.text = std::move(shell.output);
        answer.problem = shell.problem;
        if (shell.ended && shell.exitCode != 0 && answer.text.text.compare(0, 7, "Success") == 0) {
            answer.problem = "pm ended with exit status " + std::to_string(shell.exitCode);
        }
        return answer;
    }

    // The device's answer is read and not shown: the failure before it is what counts.
    void Abandon(uint32_t session, bool sayUnreachable = true) {
        if (device_->Broken()) {
            std::string problem;
            replacement_ = reconnect_ ? reconnect_(&problem) : nullptr;
            if (!replacement_) {
                if (sayUnreachable) {
                    Err("adb: connect error for finalize: " + problem + "\n");
                }
                return;
            }
            device_ = replacement_.get();
            device_->SetSendTimeout(timeouts_.replyMs);
        }
        (void)Call(SessionService(method_, "install-abandon", session), timeouts_.replyMs);
    }

    DeviceConnection* device_;
    std::unique_ptr<DeviceConnection> replacement_;
    ClientPlatform& platform_;
    const std::vector<std::string>& options_;
    std::vector<SplitFile>& files_;
    InstallTimeouts timeouts_;
    const Reconnect& reconnect_;
    SessionMethod method_ = SessionMethod::kExecCmd;
};

}  // namespace

InstallMultipleArguments ParseInstallMultipleArguments(const std::vector<std::string>& arguments) {
    InstallMultipleArguments parsed;
    size_t first = arguments.size();
    while (first > 0 && IsInstallFile(arguments[first - 1])) {
        --first;
    }
    if (first > 0 && EndsWithNoCase(arguments[first - 1], ".apex")) {
        parsed.error = "APEX packages are not compatible with install-multiple";
    } else if (first == arguments.size()) {
        parsed.error = "need APK file on command line";
    }
    parsed.options.assign(arguments.begin(), arguments.begin() + static_cast<std::ptrdiff_t>(first));
    parsed.files.assign(arguments.begin() + static_cast<std::ptrdiff_t>(first), arguments.end());
    return parsed;
}

std::vector<SplitFile> OpenSplitFiles(ClientPlatform& platform, const std::vector<std::string>& paths, bool* ok) {
    std::vector<SplitFile> files;
    *ok = false;
    for (const std::string& path : paths) {
        std::string error;
        std::unique_ptr<PackageFile> file = platform.OpenPackage(path, &error);
        if (!file) {
            platform.Print(OutputStream::kStderr, "adb: failed to stat \"" + path + "\": " + error + "\n");
            return {};
        }
        files.push_back({path, SplitName(files.size(), platform.DeviceFileName(path)), std::move(file)});
    }
    *ok = true;
    return files;
}

int InstallSplits(DeviceConnection& device,
                  ClientPlatform& platform,
                  const std::vector<std::string>& options,
                  std::vector<SplitFile>& files,
                  const InstallTimeouts& timeouts,
                  const Reconnect& reconnect) {
    return SplitInstaller(device, platform, options, files, timeouts, reconnect).Run();
}

}  // namespace adb

#include "adb/client/package_installer.h"

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <ctime>

#include "adb/client/bounded_text.h"
#include "adb/protocol/deadline.h"
#include "adb/protocol/install_service.h"
#include "adb/protocol/sync_framing.h"

namespace adb {
namespace {

constexpr uint32_t kPushedFileMode = 0100644;
constexpr const char* kChangedSize = "the file changed size during the install";

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
    std::string LostText(uint64_t sent, uint64_t total) const {
        return "the connection to the device was lost after " + std::to_string(sent) + " of " + std::to_string(total) +
               " bytes";
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
        if (status == StreamStatus::kRefused) {
            return Fail("the device refused the install service");
        }
        if (status == StreamStatus::kTimeout) {
            return Fail("the device stopped answering when the install service was opened");
        }
        if (status != StreamStatus::kOk) {
            return Fail(LostText(0, size));
        }
        // One piece of the negotiated size in memory at a time, never the whole file.
        std::string piece(device_.MaxPayload(), '\0');
        uint64_t sent = 0;
        while (sent < size) {
            size_t got = 0;
            std::string problem = ReadPiece(*file, piece, size - sent, &got);
            if (!problem.empty()) {
                device_.Close();
                return Fail(problem);
            }
            status = device_.Write(std::string_view(piece.data(), got), timeouts_.replyMs);
            if (status == StreamStatus::kEnded) {
                break;  // the device gave up early; its verdict follows
            }
            if (status != StreamStatus::kOk) {
                device_.Close();
                return Fail(WriteProblem(status, sent, size));
            }
            sent += got;
        }
        BoundedText verdict;
        status = ReadAll(&verdict, timeouts_.resultMs);
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

    // Reads the next piece of the file, never past the size announced to the device. An empty
    // result is success; the last piece also makes sure the file has not grown.
    std::string ReadPiece(PackageFile& file, std::string& piece, uint64_t remaining, size_t* got) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(piece.size(), remaining));
        if (!file.Read(piece.data(), want, got)) {
            return "cannot read the file after " + std::to_string(file.Size() - remaining) + " bytes";
        }
        if (*got == 0) {
            return kChangedSize;
        }
        if (*got == remaining) {
            char extra = 0;
            size_t more = 0;
            if (!file.Read(&extra, 1, &more) || more != 0) {
                return kChangedSize;
            }
        }
        return {};
    }

    std::string WriteProblem(StreamStatus status, uint64_t sent, uint64_t size) const {
        if (status == StreamStatus::kTooMuchOutput) {
            return "the device sent more than " + std::to_string(kMaxUnreadOutput / 1024) +
                   " KB of output instead of taking the package";
        }
        if (status == StreamStatus::kTimeout) {
            return "the device stopped answering after " + std::to_string(sent) + " of " + std::to_string(size) +
                   " bytes";
        }
        return LostText(sent, size);
    }

    // Everything the open stream still brings until the device closes it, within one overall limit.
    StreamStatus ReadAll(BoundedText* all, int timeoutMs) {
        Clock::time_point deadline = DeadlineAfter(timeoutMs);
        std::string piece;
        while (true) {
            StreamStatus status = device_.Read(&piece, deadline);
            if (status != StreamStatus::kOk) {
                return status;
            }
            all->Append(piece);
        }
    }

    // Sync data goes out in WRTEs as large as the device allows, however the DATA packets fall.
    class SyncWriter {
      public:
        explicit SyncWriter(DeviceConnection& device, int timeoutMs) : device_(device), timeoutMs_(timeoutMs) {
            buffer_.reserve(device.MaxPayload() + kSyncDataMax + 8);
        }
        StreamStatus Append(std::string_view bytes) {
            buffer_.append(bytes);
            return buffer_.size() >= device_.MaxPayload() ? Flush() : StreamStatus::kOk;
        }
        StreamStatus Flush() {
            StreamStatus status = device_.Write(buffer_, timeoutMs_);
            buffer_.clear();
            return status;
        }

      private:
        DeviceConnection& device_;
        int timeoutMs_;
        std::string buffer_;
    };

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
        if (!Push(*file, remotePath, size)) {
            return 1;  // Push said why
        }
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        char rate[160];
        snprintf(rate, sizeof rate, ": 1 file pushed, 0 skipped. %.1f MB/s (%" PRIu64 " bytes in %.3fs)\n",
                 seconds > 0 ? static_cast<double>(size) / (1024.0 * 1024.0) / seconds : 0.0, size, seconds);
        Out(path_ + rate);

        int exitCode = 0;
        BoundedText output;
        bool ran = RunShell(PmInstallCommand(options_, remotePath), true, &exitCode, &output);
        BoundedText ignored;
        int ignoredCode = 0;
        (void)RunShell(RemoveFileCommand(remotePath), false, &ignoredCode, &ignored);
        if (!ran) {
            return 1;
        }
        // Without shell v2 there is no exit code: the package manager's "Success" line decides.
        const std::string& text = output.text;
        bool success = exitCode == 0 && output.dropped == 0 &&
                       (text.compare(0, 7, "Success") == 0 || text.find("\nSuccess") != std::string::npos) &&
                       text.find("Failure [") == std::string::npos;
        if (!success && text.find("Failure") == std::string::npos) {
            Err("adb: failed to install " + path_ + ": the device did not confirm the install\n");
        }
        return success ? 0 : 1;
    }

    bool Push(PackageFile& file, const std::string& remotePath, uint64_t size) {
        auto failed = [&](const std::string& reason) {
            Err("adb: error: failed to copy '" + path_ + "' to '" + remotePath + "': " + reason + "\n");
            device_.Close();
            return false;
        };
        StreamStatus status = device_.Open("sync:", timeouts_.replyMs);
        if (status != StreamStatus::kOk) {
            return failed(status == StreamStatus::kRefused   ? "the device refused the sync service"
                          : status == StreamStatus::kTimeout ? "the device stopped answering when the sync service "
                                                               "was opened"
                                                             : LostText(0, size));
        }
        SyncWriter writer(device_, timeouts_.replyMs);
        status = writer.Append(SyncSendRequest(remotePath, kPushedFileMode));
        std::string piece(kSyncDataMax, '\0');
        uint64_t sent = 0;
        while (status == StreamStatus::kOk && sent < size) {
            size_t got = 0;
            std::string problem = ReadPiece(file, piece, size - sent, &got);
            if (!problem.empty()) {
                return failed(problem);
            }
            status = writer.Append(SyncPacket("DATA", static_cast<uint32_t>(got)));
            if (status == StreamStatus::kOk) {
                status = writer.Append(std::string_view(piece.data(), got));
            }
            sent += got;
        }
        if (status == StreamStatus::kOk) {
            status = writer.Append(SyncPacket("DONE", static_cast<uint32_t>(time(nullptr))));
        }
        if (status == StreamStatus::kOk) {
            status = writer.Flush();
        }
        if (status != StreamStatus::kOk && status != StreamStatus::kEnded) {
            return failed(WriteProblem(status, sent, size));
        }
        // The device answers once, after DONE, or early with FAIL when it cannot take the file.
        std::string reply;
        Clock::time_point deadline = DeadlineAfter(timeouts_.resultMs);
        while (true) {
            SyncReply parsed = ParseSyncReply(reply);
            if (parsed.status == SyncReply::Status::kOkay) {
                break;
            }
            if (parsed.status == SyncReply::Status::kFail) {
                return failed("remote " + parsed.reason);
            }
            if (parsed.status == SyncReply::Status::kMalformed) {
                return failed(parsed.reason);
            }
            std::string more;
            status = device_.Read(&more, deadline);
            if (status != StreamStatus::kOk) {
                return failed(status == StreamStatus::kTimeout ? "no answer from the device" : LostText(sent, size));
            }
            // A whole reply is at most its header and the longest reason.
            constexpr size_t kLongestReply = 8 + size_t{kSyncFailMax};
            reply.append(more, 0, std::min(more.size(), kLongestReply - std::min(reply.size(), kLongestReply)));
        }
        if (device_.Write(SyncPacket("QUIT", 0), timeouts_.replyMs) == StreamStatus::kOk) {
            (void)device_.WaitForOkay(timeouts_.replyMs);
        }
        device_.Close();
        return true;
    }

    // Runs a shell command; with `show` its output goes to our stdout/stderr.
    // Its output is kept and shown up to kMaxKeptOutput; the rest is counted and dropped.
    bool RunShell(const std::string& command, bool show, int* exitCode, BoundedText* output) {
        bool v2 = UsesShellV2(device_.Device());
        StreamStatus status = device_.Open(ShellService(device_.Device(), command), timeouts_.replyMs);
        if (status != StreamStatus::kOk) {
            if (show) {
                Err("adb: error: cannot run '" + command + "' on the device" +
                    (status == StreamStatus::kTimeout ? ": the device stopped answering" : "") + "\n");
            }
            return false;
        }
        auto keep = [&](OutputStream stream, std::string_view data) {
            size_t before = output->text.size();
            bool cutBefore = output->dropped > 0;
            output->Append(data);
            if (show && output->text.size() > before) {
                platform_.Print(stream, std::string_view(output->text).substr(before));
            }
            if (show && !cutBefore && output->dropped > 0) {
                Err("\nadb: the device's output was cut at " + std::to_string(kMaxKeptOutput / 1024) + " KB\n");
            }
        };
        ShellPacketReader packets;
        std::string piece;
        *exitCode = 0;
        Clock::time_point deadline = DeadlineAfter(timeouts_.resultMs);
        while ((status = device_.Read(&piece, deadline)) == StreamStatus::kOk) {
            if (!v2) {
                keep(OutputStream::kStdout, piece);
                continue;
            }
            packets.Append(piece);
            while (std::optional<ShellPacketReader::Packet> packet = packets.Next()) {
                if (packet->id == ShellPacketId::kStdout || packet->id == ShellPacketId::kStderr) {
                    keep(packet->id == ShellPacketId::kStdout ? OutputStream::kStdout : OutputStream::kStderr,
                         packet->data);
                } else if (packet->id == ShellPacketId::kExit && !packet->data.empty()) {
                    *exitCode = static_cast<unsigned char>(packet->data[0]);
                }
            }
            if (packets.Malformed()) {
                break;
            }
        }
        device_.Close();
        if (packets.Malformed()) {
            if (show) {
                Err("adb: error: the device sent a malformed shell packet while running '" + command + "'\n");
            }
            return false;
        }
        if (status != StreamStatus::kEnded) {
            if (show) {
                Err(status == StreamStatus::kTimeout
                        ? "adb: error: '" + command + "' did not end within " +
                              std::to_string(timeouts_.resultMs / 1000) + " s\n"
                        : "adb: error: the connection to the device was lost while running '" + command + "'\n");
            }
            return false;
        }
        return true;
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

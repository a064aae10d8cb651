#include "adb/client/package_installer.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <ctime>

#include "adb/protocol/install_service.h"
#include "adb/protocol/sync_framing.h"

namespace adb {
namespace {

constexpr uint32_t kPushedFileMode = 0100644;

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
        if (status != StreamStatus::kOk) {
            return Fail(LostText(0, size));
        }
        // One piece of the negotiated size in memory at a time, never the whole file.
        std::string piece(device_.MaxPayload(), '\0');
        uint64_t sent = 0;
        while (sent < size) {
            size_t got = 0;
            if (!file->Read(piece.data(), piece.size(), &got) || got == 0) {
                device_.Close();
                return Fail("cannot read the file after " + std::to_string(sent) + " bytes");
            }
            status = device_.Write(std::string_view(piece.data(), got), timeouts_.replyMs);
            if (status == StreamStatus::kEnded) {
                break;  // the device gave up early; its verdict follows
            }
            if (status != StreamStatus::kOk) {
                return Fail(status == StreamStatus::kTimeout
                                ? "the device stopped answering after " + std::to_string(sent) + " of " +
                                      std::to_string(size) + " bytes"
                                : LostText(sent, size));
            }
            sent += got;
        }
        std::string verdict;
        status = ReadAll(&verdict, timeouts_.resultMs);
        device_.Close();
        if (status != StreamStatus::kEnded) {
            return Fail(status == StreamStatus::kTimeout ? "no answer from the device" : LostText(sent, size));
        }
        if (verdict.compare(0, 7, "Success") == 0) {
            Out(verdict);
            return 0;
        }
        while (!verdict.empty() && (verdict.back() == '\n' || verdict.back() == '\r')) {
            verdict.pop_back();
        }
        return Fail(verdict.empty() ? "the device closed the install without an answer" : verdict);
    }

    // Everything the open stream still brings, until the device closes it.
    StreamStatus ReadAll(std::string* all, int timeoutMs) {
        std::string piece;
        while (true) {
            StreamStatus status = device_.Read(&piece, timeoutMs);
            if (status != StreamStatus::kOk) {
                return status;
            }
            *all += piece;
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
            return 1;
        }
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        char rate[160];
        snprintf(rate, sizeof rate, ": 1 file pushed, 0 skipped. %.1f MB/s (%" PRIu64 " bytes in %.3fs)\n",
                 seconds > 0 ? static_cast<double>(size) / (1024.0 * 1024.0) / seconds : 0.0, size, seconds);
        Out(path_ + rate);

        int exitCode = 0;
        std::string output;
        bool ran = RunShell(PmInstallCommand(options_, remotePath), true, &exitCode, &output);
        std::string ignored;
        int ignoredCode = 0;
        (void)RunShell(RemoveFileCommand(remotePath), false, &ignoredCode, &ignored);
        if (!ran) {
            return 1;
        }
        // Without shell v2 there is no exit code: the package manager's "Success" line decides.
        bool success =
            exitCode == 0 && (output.compare(0, 7, "Success") == 0 || output.find("\nSuccess") != std::string::npos);
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
            return failed(status == StreamStatus::kRefused ? "the device refused the sync service" : LostText(0, size));
        }
        SyncWriter writer(device_, timeouts_.replyMs);
        status = writer.Append(SyncSendRequest(remotePath, kPushedFileMode));
        std::string piece(kSyncDataMax, '\0');
        uint64_t sent = 0;
        while (status == StreamStatus::kOk && sent < size) {
            size_t got = 0;
            if (!file.Read(piece.data(), piece.size(), &got) || got == 0) {
                return failed("cannot read the file after " + std::to_string(sent) + " bytes");
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
            return failed(status == StreamStatus::kTimeout ? "the device stopped answering" : LostText(sent, size));
        }
        // The device answers once, after DONE, or early with FAIL when it cannot take the file.
        std::string reply;
        while (true) {
            if (reply.size() >= 8) {
                SyncHeader header = ParseSyncHeader(reply);
                if (header.id == "OKAY") {
                    break;
                }
                if (header.id != "FAIL") {
                    return failed("unexpected answer from the device");
                }
                if (reply.size() >= 8 + size_t{header.value}) {
                    return failed("remote " + reply.substr(8, header.value));
                }
            }
            std::string more;
            status = device_.Read(&more, timeouts_.resultMs);
            if (status != StreamStatus::kOk) {
                return failed(status == StreamStatus::kTimeout ? "no answer from the device" : LostText(sent, size));
            }
            reply += more;
        }
        if (device_.Write(SyncPacket("QUIT", 0), timeouts_.replyMs) == StreamStatus::kOk) {
            (void)device_.WaitForOkay(timeouts_.replyMs);
        }
        device_.Close();
        return true;
    }

    // Runs a shell command; with `show` its output goes to our stdout/stderr.
    bool RunShell(const std::string& command, bool show, int* exitCode, std::string* output) {
        bool v2 = UsesShellV2(device_.Device());
        StreamStatus status = device_.Open(ShellService(device_.Device(), command), timeouts_.replyMs);
        if (status != StreamStatus::kOk) {
            if (show) {
                Err("adb: error: cannot run '" + command + "' on the device\n");
            }
            return false;
        }
        ShellPacketReader packets;
        std::string piece;
        *exitCode = 0;
        while ((status = device_.Read(&piece, timeouts_.resultMs)) == StreamStatus::kOk) {
            if (!v2) {
                *output += piece;
                if (show) {
                    Out(piece);
                }
                continue;
            }
            packets.Append(piece);
            while (std::optional<ShellPacketReader::Packet> packet = packets.Next()) {
                if (packet->id == ShellPacketId::kStdout || packet->id == ShellPacketId::kStderr) {
                    *output += packet->data;
                    if (show) {
                        platform_.Print(
                            packet->id == ShellPacketId::kStdout ? OutputStream::kStdout : OutputStream::kStderr,
                            packet->data);
                    }
                } else if (packet->id == ShellPacketId::kExit && !packet->data.empty()) {
                    *exitCode = static_cast<unsigned char>(packet->data[0]);
                }
            }
        }
        device_.Close();
        if (status != StreamStatus::kEnded) {
            if (show) {
                Err("adb: error: the connection to the device was lost while running '" + command + "'\n");
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

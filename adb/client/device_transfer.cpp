#include "adb/client/device_transfer.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <ctime>

#include "adb/protocol/deadline.h"
#include "adb/protocol/install_service.h"
#include "adb/protocol/sync_framing.h"

namespace adb {
namespace {

constexpr const char* kChangedSize = "the file changed size during the install";

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

// Sync data goes out in WRTEs as large as the device allows, however the DATA packets fall.
class SyncWriter {
  public:
    SyncWriter(DeviceConnection& device, int timeoutMs) : device_(device), timeoutMs_(timeoutMs) {
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

}  // namespace

std::string LostText(uint64_t sent, uint64_t total) {
    return "the connection to the device was lost after " + std::to_string(sent) + " of " + std::to_string(total) +
           " bytes";
}

std::string WriteProblem(StreamStatus status, uint64_t sent, uint64_t size) {
    if (status == StreamStatus::kTooMuchOutput) {
        return "the device sent more than " + std::to_string(kMaxUnreadOutput / 1024) +
               " KB of output instead of taking the package";
    }
    if (status == StreamStatus::kTimeout) {
        return "the device stopped answering after " + std::to_string(sent) + " of " + std::to_string(size) + " bytes";
    }
    return LostText(sent, size);
}

std::string OpenProblem(StreamStatus status, std::string_view service, uint64_t size) {
    if (status == StreamStatus::kRefused) {
        return "the device refused " + std::string(service);
    }
    if (status == StreamStatus::kTimeout) {
        return "the device stopped answering when " + std::string(service) + " was opened";
    }
    return size == 0 ? "the connection to the device was lost" : LostText(0, size);
}

std::string StreamFile(DeviceConnection& device, PackageFile& file, uint64_t size, int timeoutMs, uint64_t* sent) {
    std::string piece(device.MaxPayload(), '\0');
    *sent = 0;
    while (*sent < size) {
        size_t got = 0;
        std::string problem = ReadPiece(file, piece, size - *sent, &got);
        if (!problem.empty()) {
            device.Close();
            return problem;
        }
        StreamStatus status = device.Write(std::string_view(piece.data(), got), timeoutMs);
        if (status == StreamStatus::kEnded) {
            break;  // the device gave up early; its answer follows
        }
        if (status != StreamStatus::kOk) {
            device.Close();
            return WriteProblem(status, *sent, size);
        }
        *sent += got;
    }
    return {};
}

StreamStatus ReadToEnd(DeviceConnection& device, BoundedText* all, int timeoutMs) {
    Clock::time_point deadline = DeadlineAfter(timeoutMs);
    std::string piece;
    while (true) {
        StreamStatus status = device.Read(&piece, deadline);
        if (status != StreamStatus::kOk) {
            return status;
        }
        all->Append(piece);
    }
}

std::string SyncPushFile(DeviceConnection& device,
                         PackageFile& file,
                         const std::string& remotePath,
                         uint64_t size,
                         const InstallTimeouts& timeouts,
                         uint64_t* sent) {
    *sent = 0;
    auto failed = [&](std::string reason) {
        device.Close();
        return reason;
    };
    StreamStatus status = device.Open("sync:", timeouts.replyMs);
    if (status != StreamStatus::kOk) {
        return failed(OpenProblem(status, "the sync service", size));
    }
    SyncWriter writer(device, timeouts.replyMs);
    status = writer.Append(SyncSendRequest(remotePath, kPushedFileMode));
    // No DATA larger than one message of the device, for the oldest daemons.
    std::string piece(std::min<size_t>(kSyncDataMax, device.MaxPayload()), '\0');
    while (status == StreamStatus::kOk && *sent < size) {
        size_t got = 0;
        std::string problem = ReadPiece(file, piece, size - *sent, &got);
        if (!problem.empty()) {
            return failed(problem);
        }
        status = writer.Append(SyncPacket("DATA", static_cast<uint32_t>(got)));
        if (status == StreamStatus::kOk) {
            status = writer.Append(std::string_view(piece.data(), got));
        }
        *sent += got;
    }
    if (status == StreamStatus::kOk) {
        status = writer.Append(SyncPacket("DONE", static_cast<uint32_t>(time(nullptr))));
    }
    if (status == StreamStatus::kOk) {
        status = writer.Flush();
    }
    if (status != StreamStatus::kOk && status != StreamStatus::kEnded) {
        return failed(WriteProblem(status, *sent, size));
    }
    // The device answers once, after DONE, or early with FAIL when it cannot take the file.
    std::string reply;
    Clock::time_point deadline = DeadlineAfter(timeouts.resultMs);
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
        status = device.Read(&more, deadline);
        if (status != StreamStatus::kOk) {
            return failed(status == StreamStatus::kTimeout ? "no answer from the device" : LostText(*sent, size));
        }
        // A whole reply is at most its header and the longest reason.
        constexpr size_t kLongestReply = 8 + size_t{kSyncFailMax};
        reply.append(more, 0, std::min(more.size(), kLongestReply - std::min(reply.size(), kLongestReply)));
    }
    if (device.Write(SyncPacket("QUIT", 0), timeouts.replyMs) == StreamStatus::kOk) {
        (void)device.WaitForOkay(timeouts.replyMs);
    }
    device.Close();
    return {};
}

std::string PushSummary(const std::string& local, bool pushed, uint64_t bytes, double seconds) {
    char rate[160];
    snprintf(rate, sizeof rate, ": %s pushed, 0 skipped. %.1f MB/s (%" PRIu64 " bytes in %.3fs)\n",
             pushed ? "1 file" : "0 files",
             seconds > 0 ? static_cast<double>(bytes) / (1024.0 * 1024.0) / seconds : 0.0, bytes, seconds);
    return local + rate;
}

ShellOutcome RunShellCommand(DeviceConnection& device,
                             const std::string& command,
                             ClientPlatform* show,
                             const InstallTimeouts& timeouts) {
    ShellOutcome outcome;
    BoundedText& output = outcome.output;
    bool v2 = UsesShellV2(device.Device());
    StreamStatus status = device.Open(ShellService(device.Device(), command), timeouts.replyMs);
    if (status != StreamStatus::kOk) {
        outcome.problem = "cannot run '" + command + "' on the device" +
                          (status == StreamStatus::kTimeout ? ": the device stopped answering" : "");
        return outcome;
    }
    outcome.opened = true;
    auto keep = [&](OutputStream stream, std::string_view data) {
        size_t before = output.text.size();
        bool cutBefore = output.dropped > 0;
        output.Append(data);
        if (show != nullptr && output.text.size() > before) {
            show->Print(stream, std::string_view(output.text).substr(before));
        }
        if (show != nullptr && !cutBefore && output.dropped > 0) {
            show->Print(OutputStream::kStderr,
                        "\nadb: the device's output was cut at " + std::to_string(kMaxKeptOutput / 1024) + " KB\n");
        }
    };
    ShellPacketReader packets;
    std::string piece;
    Clock::time_point deadline = DeadlineAfter(timeouts.resultMs);
    while ((status = device.Read(&piece, deadline)) == StreamStatus::kOk) {
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
                outcome.exitCode = static_cast<unsigned char>(packet->data[0]);
            }
        }
        if (packets.Malformed()) {
            break;
        }
    }
    device.Close();
    if (packets.Malformed()) {
        outcome.problem = "the device sent a malformed shell packet while running '" + command + "'";
    } else if (status != StreamStatus::kEnded) {
        outcome.problem =
            status == StreamStatus::kTimeout
                ? "'" + command + "' did not end within " + std::to_string(timeouts.resultMs / 1000) + " s"
                : "the connection to the device was lost while running '" + command + "'";
    } else {
        outcome.ended = true;
    }
    return outcome;
}

}  // namespace adb

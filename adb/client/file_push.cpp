#include "adb/client/file_push.h"

#include <chrono>

namespace adb {

std::string PushTarget(const std::string& remote, const std::string& localNameUtf8) {
    return !remote.empty() && remote.back() == '/' ? remote + localNameUtf8 : remote;
}

int PushFile(DeviceConnection& device,
             ClientPlatform& platform,
             const std::string& local,
             PackageFile& file,
             const std::string& remotePath,
             const InstallTimeouts& timeouts) {
    device.SetSendTimeout(timeouts.replyMs);
    auto started = std::chrono::steady_clock::now();
    uint64_t sent = 0;
    std::string problem = SyncPushFile(device, file, remotePath, file.Size(), timeouts, &sent);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!problem.empty()) {
        platform.Print(OutputStream::kStderr,
                       "adb: error: failed to copy '" + local + "' to '" + remotePath + "': " + problem + "\n");
        platform.Print(OutputStream::kStdout, PushSummary(local, false, sent, seconds));
        return 1;
    }
    platform.Print(OutputStream::kStdout, PushSummary(local, true, sent, seconds));
    return 0;
}

}  // namespace adb

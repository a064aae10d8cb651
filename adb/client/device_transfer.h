// What installs and pushes share: a local file sent to a stream in pieces, the rest of a stream read
// within one limit, one file sent through file sync, a shell command's bounded output.
#pragma once

#include <cstdint>
#include <string>

#include "adb/client/bounded_text.h"
#include "adb/client/client_platform.h"
#include "adb/client/device_connection.h"

namespace adb {

struct InstallTimeouts {
    int replyMs = 60000;    // an OKAY, a service opening, a sync answer
    int resultMs = 300000;  // the package manager's verdict after the last byte
};

// What a failed stream says, for texts such as "failed to install PATH: <this>".
std::string LostText(uint64_t sent, uint64_t total);
std::string WriteProblem(StreamStatus status, uint64_t sent, uint64_t size);
// Why a service ("the install service") could not be opened for a file of `size` bytes.
std::string OpenProblem(StreamStatus status, std::string_view service, uint64_t size);

// Sends exactly `size` bytes of `file` on the open stream, one piece of the device's payload in
// memory at a time. Empty when all went out or the device ended the stream early (its answer
// follows); else what went wrong. `*sent` counts what went out.
std::string StreamFile(DeviceConnection& device, PackageFile& file, uint64_t size, int timeoutMs, uint64_t* sent);

// Everything the open stream still brings until the device closes it, within one overall limit.
StreamStatus ReadToEnd(DeviceConnection& device, BoundedText* all, int timeoutMs);

// One file through file sync: SEND "path,mode", DATA pieces (at most 64 KiB and the device's largest
// message), DONE with the time, the device's OKAY or FAIL, QUIT. Empty on success; else the reason
// ("remote <FAIL text>" for the device's).
constexpr uint32_t kPushedFileMode = 0100644;
std::string SyncPushFile(DeviceConnection& device,
                         PackageFile& file,
                         const std::string& remotePath,
                         uint64_t size,
                         const InstallTimeouts& timeouts,
                         uint64_t* sent);

// "LOCAL: 1 file pushed, 0 skipped. 1.2 MB/s (N bytes in T s)\n".
std::string PushSummary(const std::string& local, bool pushed, uint64_t bytes, double seconds);

struct ShellOutcome {
    bool opened = false;  // the device took the command
    bool ended = false;   // the command ran to its end; otherwise `problem` says why not
    int exitCode = 0;     // from shell v2; 0 without it
    BoundedText output;   // stdout and stderr as they came
    std::string problem;
};
// Runs a shell command; with `show`, its output goes to the user as it comes (within the bound).
ShellOutcome RunShellCommand(DeviceConnection& device,
                             const std::string& command,
                             ClientPlatform* show,
                             const InstallTimeouts& timeouts);

}  // namespace adb

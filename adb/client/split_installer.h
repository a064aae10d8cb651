// Several files installed as one package through an install session: create, one write per file,
// commit; the session is abandoned after any failure once it exists.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "adb/client/client_platform.h"
#include "adb/client/device_connection.h"
#include "adb/client/device_transfer.h"

namespace adb {

struct InstallMultipleArguments {
    std::vector<std::string> options;  // for the package manager
    std::vector<std::string> files;
    std::string error;  // set when the command line names no file to install
};
// The files are the trailing arguments ending in .apk, .dm, .sdm, .fsv_sig or .idsig (any case);
// what comes before them goes to the package manager.
InstallMultipleArguments ParseInstallMultipleArguments(const std::vector<std::string>& arguments);

struct SplitFile {
    std::string path;  // as typed, for texts
    std::string name;  // in the session
    std::unique_ptr<PackageFile> file;
};
// Every file opened before the device hears of any; on a failure its message is printed and
// nothing is returned.
std::vector<SplitFile> OpenSplitFiles(ClientPlatform& platform, const std::vector<std::string>& paths, bool* ok);

// A new connection to the same device, for abandoning the session when the first one broke;
// nothing, and the reason in `problem`, when the device cannot be reached.
using Reconnect = std::function<std::unique_ptr<DeviceConnection>(std::string* problem)>;

// Prints what the real client prints; returns the exit code (0 only when the commit said Success).
int InstallSplits(DeviceConnection& device,
                  ClientPlatform& platform,
                  const std::vector<std::string>& options,
                  std::vector<SplitFile>& files,
                  const InstallTimeouts& timeouts,
                  const Reconnect& reconnect);

}  // namespace adb

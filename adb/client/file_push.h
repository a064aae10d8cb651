// One local file pushed to a device path through file sync.
#pragma once

#include <string>

#include "adb/client/client_platform.h"
#include "adb/client/device_connection.h"
#include "adb/client/device_transfer.h"

namespace adb {

// Where LOCAL goes: REMOTE itself, or REMOTE + the file's own name when REMOTE ends in '/'.
std::string PushTarget(const std::string& remote, const std::string& localNameUtf8);

// Prints the real client's summary line or its failure text; returns the exit code.
int PushFile(DeviceConnection& device,
             ClientPlatform& platform,
             const std::string& local,
             PackageFile& file,
             const std::string& remotePath,
             const InstallTimeouts& timeouts);

}  // namespace adb

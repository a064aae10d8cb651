// Installing a package on an online device: streamed to the package manager when the device has
// `cmd`, else pushed to /data/local/tmp, installed with pm and removed again.
#pragma once

#include <string>
#include <vector>

#include "adb/client/client_platform.h"
#include "adb/client/device_connection.h"
#include "adb/client/device_transfer.h"

namespace adb {

// Prints what the real client prints; returns the exit code (0 only when the device said Success).
int InstallPackage(DeviceConnection& device,
                   ClientPlatform& platform,
                   const std::vector<std::string>& options,
                   const std::string& path,
                   const InstallTimeouts& timeouts);

}  // namespace adb

// The client's commands, with the texts and exit codes of the real client.
#pragma once

#include <string>
#include <vector>

#include "adb/client/client_platform.h"

namespace adb {

// The port an ADB server listens on: ANDROID_ADB_SERVER_PORT or 5037.
constexpr uint16_t kDefaultServerPort = 5037;
constexpr uint16_t kDefaultDevicePort = 5555;

// Stops an ADB server on the loopback server port, if one listens, and forgets connected devices.
int KillServer(ClientPlatform& platform);

// "HOST[:PORT]": handshake and authentication, then the device is remembered for install.
int Connect(ClientPlatform& platform, const std::string& target);

// Installs the package on the one remembered device; `options` go to the package manager.
int Install(ClientPlatform& platform, const std::vector<std::string>& options, const std::string& path);

// "[pm options] FILE...": the files as one package, through one install session.
int InstallMultiple(ClientPlatform& platform, const std::vector<std::string>& arguments);

// LOCAL to the device path REMOTE (UTF-8; into that folder when it ends in '/').
int Push(ClientPlatform& platform, const std::string& local, const std::string& remote);

}  // namespace adb

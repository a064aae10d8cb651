// What the device keeps across connections: trusted keys, received packages and their verdicts,
// install sessions, pushed files.
#pragma once

#include <cstdio>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "tools/device_simulator/event_log.h"
#include "tools/device_simulator/install_sessions.h"
#include "tools/device_simulator/simulator_options.h"

namespace simulator {

class DeviceState {
  public:
    DeviceState(const Options& options, EventLog& log);

    const Options& options() const { return options_; }
    EventLog& log() { return log_; }

    void Trust(const std::string& publicKeyBlob);
    std::set<std::string> TrustedKeys();

    // store/installed/N.apk for the next package.
    std::string NextPackagePath(unsigned* number);
    // The next N free under store/installed/ (neither N.apk nor N/ there), for a package or a session.
    unsigned NextInstallNumber();
    // The device's files live under store/device/: /sdcard/x is store/device/sdcard/x. Nothing for a
    // path that is not absolute or has a ".." part.
    std::optional<std::string> StorePathFor(const std::string& devicePath) const;
    InstallSessions& sessions() { return sessions_; }

  private:
    const Options& options_;
    EventLog& log_;
    std::mutex mutex_;
    std::set<std::string> trusted_;
    unsigned packages_ = 0;
    InstallSessions sessions_;
};

// Creates the missing folders of `path`; 0 or the errno of the first that could not be made.
int MakeDirectories(const std::string& path);

// A package arriving in pieces; the package manager's verdict once it is whole.
class IncomingPackage {
  public:
    IncomingPackage(DeviceState& state, std::string how);
    ~IncomingPackage();
    bool Append(const char* data, size_t size);
    uint64_t Received() const { return received_; }
    // "Success" or "Failure [REASON]" (no newline), logged with the size.
    std::string Finish();

  private:
    DeviceState& state_;
    std::string how_;
    unsigned number_ = 0;
    std::string path_;
    FILE* file_ = nullptr;
    uint64_t received_ = 0;
    std::string head_;
};

}  // namespace simulator

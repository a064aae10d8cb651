// The client's platform on Windows: Winsock, the user's profile folder, ANSI paths.
#pragma once

#include "adb/adb_winapi.h"
#include "adb/client_platform.h"

namespace adb {

class WindowsClientPlatform : public ClientPlatform {
  public:
    WindowsClientPlatform(AdbOutputCallback output, void* context);
    ~WindowsClientPlatform() override;

    void Print(OutputStream stream, std::string_view text) override;
    TcpConnectResult ConnectTcp(const std::string& host, uint16_t port, int timeoutMs) override;
    std::optional<std::string> Environment(const char* name) override;
    std::string UserFilePath(std::string_view name) override;
    std::optional<std::string> ReadUserFile(std::string_view name) override;
    bool WriteUserFile(std::string_view name,
                       std::string_view contents,
                       bool privateToUser,
                       std::string* error) override;
    void RemoveUserFile(std::string_view name) override;
    std::string KeyComment() override;
    std::unique_ptr<PackageFile> OpenPackage(const std::string& path, std::string* error) override;
    std::string DeviceFileName(const std::string& path) override;

  private:
    std::string KeyFolder();

    AdbOutputCallback output_;
    void* context_;
    bool winsockStarted_ = false;
};

}  // namespace adb

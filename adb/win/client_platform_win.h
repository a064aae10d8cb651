// The client's platform on Windows: the caller's output, Winsock, the user's key folder, ANSI paths.
#pragma once

#include <string>
#include <vector>

#include "adb/client/client_platform.h"
#include "adb/win/adb_winapi.h"
#include "adb/win/tcp_socket_win.h"
#include "adb/win/user_files_win.h"

namespace adb {

class WindowsClientPlatform : public ClientPlatform {
  public:
    WindowsClientPlatform(AdbOutputCallback output, void* context);

    void Print(OutputStream stream, std::string_view text) override;
    TcpConnectResult ConnectTcp(const std::string& host, uint16_t port, int timeoutMs) override;
    std::optional<std::string> Environment(const char* name) override;
    UserFiles& Files() override;
    std::unique_ptr<PackageFile> OpenPackage(const std::string& path, std::string* error) override;
    std::string DeviceFileName(const std::string& path) override;
    // The file named `ansiPath` in texts is opened by `widePath`. Several wide names may share one
    // ANSI spelling ('?' for what the code page lacks): they are opened in the order given.
    void UseWidePath(std::string ansiPath, std::wstring widePath);

  private:
    struct WidePath {
        std::string ansi;
        std::wstring wide;
        bool opened = false;
    };
    WidePath* Find(const std::string& ansiPath, bool unopened);

    std::vector<WidePath> widePaths_;
    AdbOutputCallback output_;
    void* context_;
    WinsockSession winsock_;
    WindowsUserFiles files_;
};

}  // namespace adb

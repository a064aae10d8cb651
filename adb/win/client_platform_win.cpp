#include "adb/win/client_platform_win.h"

#include "adb/win/environment_win.h"
#include "adb/win/package_file_win.h"

namespace adb {

WindowsClientPlatform::WindowsClientPlatform(AdbOutputCallback output, void* context)
    : output_(output), context_(context) {}

void WindowsClientPlatform::Print(OutputStream stream, std::string_view text) {
    if (output_ != nullptr && !text.empty()) {
        output_(context_, stream == OutputStream::kStdout ? kAdbStdout : kAdbStderr, text.data(),
                static_cast<unsigned>(text.size()));
    }
}

TcpConnectResult WindowsClientPlatform::ConnectTcp(const std::string& host, uint16_t port, int timeoutMs) {
    return ConnectTcpStream(host, port, timeoutMs);
}

std::optional<std::string> WindowsClientPlatform::Environment(const char* name) {
    return EnvironmentVariable(name);
}

UserFiles& WindowsClientPlatform::Files() {
    return files_;
}

WindowsClientPlatform::WidePath* WindowsClientPlatform::Find(const std::string& ansiPath, bool unopened) {
    for (WidePath& path : widePaths_) {
        if (path.ansi == ansiPath && !path.wide.empty() && !(unopened && path.opened)) {
            return &path;
        }
    }
    return nullptr;
}

std::unique_ptr<PackageFile> WindowsClientPlatform::OpenPackage(const std::string& path, std::string* error) {
    WidePath* wide = Find(path, true);
    wide = wide != nullptr ? wide : Find(path, false);
    if (wide == nullptr) {
        return OpenPackageFile(path, error);
    }
    wide->opened = true;
    return OpenPackageFileW(wide->wide, error);
}

std::string WindowsClientPlatform::DeviceFileName(const std::string& path) {
    WidePath* wide = Find(path, false);
    return wide != nullptr ? DeviceFileNameW(wide->wide) : adb::DeviceFileName(path);
}

void WindowsClientPlatform::UseWidePath(std::string ansiPath, std::wstring widePath) {
    widePaths_.push_back({std::move(ansiPath), std::move(widePath)});
}

}  // namespace adb

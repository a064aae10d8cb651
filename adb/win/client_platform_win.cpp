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

std::unique_ptr<PackageFile> WindowsClientPlatform::OpenPackage(const std::string& path, std::string* error) {
    return !widePath_.empty() && path == ansiPath_ ? OpenPackageFileW(widePath_, error) : OpenPackageFile(path, error);
}

std::string WindowsClientPlatform::DeviceFileName(const std::string& path) {
    return !widePath_.empty() && path == ansiPath_ ? DeviceFileNameW(widePath_) : adb::DeviceFileName(path);
}

void WindowsClientPlatform::UseWidePath(std::string ansiPath, std::wstring widePath) {
    ansiPath_ = std::move(ansiPath);
    widePath_ = std::move(widePath);
}

}  // namespace adb

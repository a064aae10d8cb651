// The client's platform for the fuzz targets that drive a whole command against input bytes:
// files of 3000 bytes in memory, no user files, output only counted.
#pragma once

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "adb/client/client_platform.h"

namespace fuzz {

class MemoryFile : public adb::PackageFile {
  public:
    uint64_t Size() const override { return 3000; }
    bool Read(char* data, size_t size, size_t* got) override {
        *got = std::min<size_t>(size, 3000 - at_);
        std::memset(data, 'p', *got);
        at_ += *got;
        return true;
    }

  private:
    size_t at_ = 0;
};

class NoFiles : public adb::UserFiles {
  public:
    std::string UserFilePath(std::string_view name) override { return std::string(name); }
    std::optional<std::string> ReadUserFile(std::string_view) override { return std::nullopt; }
    bool UserFileExists(std::string_view) override { return false; }
    bool WriteUserFile(std::string_view, std::string_view, bool, std::string*) override { return true; }
    void RemoveUserFile(std::string_view) override {}
    std::string KeyComment() override { return "fuzz@host"; }
};

class Platform : public adb::ClientPlatform {
  public:
    size_t printed = 0;
    std::string stdoutText;  // the first bytes of stdout
    void Print(adb::OutputStream stream, std::string_view text) override {
        printed += text.size();
        if (stream == adb::OutputStream::kStdout && stdoutText.size() < 64) {
            stdoutText.append(text.substr(0, 64));
        }
    }
    adb::TcpConnectResult ConnectTcp(const std::string&, uint16_t, int) override { return {}; }
    std::optional<std::string> Environment(const char*) override { return std::nullopt; }
    adb::UserFiles& Files() override { return files_; }
    std::unique_ptr<adb::PackageFile> OpenPackage(const std::string&, std::string*) override {
        return std::make_unique<MemoryFile>();
    }
    std::string DeviceFileName(const std::string&) override { return "a.apk"; }

  private:
    NoFiles files_;
};

}  // namespace fuzz

// What the client's commands need from the system they run on.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "adb/keys/user_files.h"
#include "adb/protocol/byte_stream.h"

namespace adb {

enum class OutputStream { kStdout, kStderr };

// A local file read in pieces.
class PackageFile {
  public:
    virtual ~PackageFile() = default;
    virtual uint64_t Size() const = 0;
    // Reads up to `size` bytes; 0 at the end; false on a read error.
    virtual bool Read(char* data, size_t size, size_t* got) = 0;
};

struct TcpConnectResult {
    enum class Status { kConnected, kResolveFailed, kConnectFailed } status = Status::kConnectFailed;
    std::unique_ptr<ByteStream> stream;
    std::string reason;  // the system's words, for example "... actively refused it. (10061)"
};

class ClientPlatform {
  public:
    virtual ~ClientPlatform() = default;

    // Texts are bytes in the system's code page, written as they are.
    virtual void Print(OutputStream stream, std::string_view text) = 0;

    virtual TcpConnectResult ConnectTcp(const std::string& host, uint16_t port, int timeoutMs) = 0;

    virtual std::optional<std::string> Environment(const char* name) = 0;

    // The key pair and the device list.
    virtual UserFiles& Files() = 0;

    // `error` gets the reason as the C library would word it ("No such file or directory").
    virtual std::unique_ptr<PackageFile> OpenPackage(const std::string& path, std::string* error) = 0;
    // The file's own name, in UTF-8 for the device.
    virtual std::string DeviceFileName(const std::string& path) = 0;
};

}  // namespace adb

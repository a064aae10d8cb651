#include "adb/client_platform_win.h"

// Winsock before <windows.h>, and <windows.h> before the headers that build on it.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <sddl.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "adb/win_handle.h"

namespace adb {
namespace {

struct FileTraits {
    using Type = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Release(HANDLE handle) { (void)CloseHandle(handle); }
};
struct LocalTraits {
    using Type = HLOCAL;
    static HLOCAL Invalid() { return nullptr; }
    static void Release(HLOCAL memory) { (void)LocalFree(memory); }
};
struct SocketTraits {
    using Type = SOCKET;
    static SOCKET Invalid() { return INVALID_SOCKET; }
    static void Release(SOCKET socket) { (void)closesocket(socket); }
};
using FileHandle = Owned<FileTraits>;
using LocalMemory = Owned<LocalTraits>;
using Socket = Owned<SocketTraits>;

// The system's words for a Winsock error, in English as the ADB client prints them, with its code.
std::string SocketErrorText(int code) {
    char* text = nullptr;
    DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(code), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                       reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message;
    if (length > 0 && text != nullptr) {
        message.assign(text, length);
        LocalFree(text);
        while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) {
            message.pop_back();
        }
    }
    if (message.empty()) {
        switch (code) {
            case WSAECONNREFUSED:
                message = "No connection could be made because the target machine actively refused it.";
                break;
            case WSAETIMEDOUT:
                message =
                    "A connection attempt failed because the connected party did not properly respond after "
                    "a period of time, or established connection failed because connected host has failed to "
                    "respond.";
                break;
            case WSAHOST_NOT_FOUND:
                message = "No such host is known.";
                break;
            case WSAENETUNREACH:
                message = "A socket operation was attempted to an unreachable network.";
                break;
            case WSAEHOSTUNREACH:
                message = "A socket operation was attempted to an unreachable host.";
                break;
            default:
                message = "Winsock error";
                break;
        }
    }
    return message + " (" + std::to_string(code) + ")";
}

// The C library's words for the file errors a user meets.
std::string FileErrorText(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH:
            return "No such file or directory";
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return "Permission denied";
        case ERROR_DISK_FULL:
            return "No space left on device";
        default:
            return "error " + std::to_string(code);
    }
}

// Waits up to timeoutMs until the socket can be written or has failed: select's result (0 on
// timeout), with `failed` telling whether it was a failure.
int SelectWritable(SOCKET socket, int timeoutMs, bool* failed) {
    fd_set writable, failing;
    FD_ZERO(&writable);
    FD_ZERO(&failing);
    FD_SET(socket, &writable);
    FD_SET(socket, &failing);
    timeval timeout = {timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    int ready = select(0, nullptr, &writable, &failing, &timeout);
    *failed = ready > 0 && FD_ISSET(socket, &failing);
    return ready;
}

// Waits until the socket can be written or has failed; false on timeout or failure.
bool WaitWritable(SOCKET socket, std::chrono::steady_clock::time_point deadline) {
    int left = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count());
    if (left <= 0) {
        return false;
    }
    bool failed = false;
    return SelectWritable(socket, left, &failed) > 0 && !failed;
}

// The socket stays non-blocking: every wait is a select with a deadline. (A blocking send also
// never returns under Wine when the device resets the connection while the send waits.)
class SocketStream : public ByteStream {
  public:
    explicit SocketStream(Socket socket) : socket_(std::move(socket)) {}

    bool Send(std::string_view first, std::string_view second, int timeoutMs) override {
        WSABUF buffers[2] = {{static_cast<ULONG>(first.size()), const_cast<char*>(first.data())},
                             {static_cast<ULONG>(second.size()), const_cast<char*>(second.data())}};
        DWORD count = second.empty() ? 1 : 2;
        WSABUF* next = buffers;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (count > 0) {
            DWORD sent = 0;
            if (WSASend(socket_.get(), next, count, &sent, 0, nullptr, nullptr) != 0) {
                if (WSAGetLastError() != WSAEWOULDBLOCK || !WaitWritable(socket_.get(), deadline)) {
                    return false;
                }
                continue;
            }
            // A partial send leaves the rest of the buffers to go.
            while (count > 0 && sent >= next->len) {
                sent -= next->len;
                ++next;
                --count;
            }
            if (count > 0) {
                next->buf += sent;
                next->len -= sent;
            }
        }
        return true;
    }

    ReceiveStatus Receive(char* data, size_t size, int timeoutMs, size_t* received) override {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (true) {
            int left = static_cast<int>(std::max<long long>(
                0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                       .count()));
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(socket_.get(), &readable);
            timeval timeout = {left / 1000, (left % 1000) * 1000};
            int ready = select(0, &readable, nullptr, nullptr, &timeout);
            if (ready == 0) {
                return ReceiveStatus::kTimeout;
            }
            if (ready < 0) {
                return ReceiveStatus::kError;
            }
            int got = recv(socket_.get(), data, static_cast<int>(std::min<size_t>(size, 1 << 30)), 0);
            if (got > 0) {
                *received = static_cast<size_t>(got);
                return ReceiveStatus::kData;
            }
            if (got == 0) {
                return ReceiveStatus::kClosed;
            }
            if (WSAGetLastError() != WSAEWOULDBLOCK) {
                return ReceiveStatus::kError;
            }
        }
    }

  private:
    Socket socket_;
};

// Connects with a bounded wait: a non-blocking connect watched by select. The socket stays non-blocking.
int ConnectWithin(SOCKET socket, const sockaddr* address, int length, int timeoutMs) {
    u_long nonBlocking = 1;
    (void)ioctlsocket(socket, FIONBIO, &nonBlocking);
    if (connect(socket, address, length) != 0) {
        int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK) {
            return error;
        }
        bool failed = false;
        int ready = SelectWritable(socket, timeoutMs, &failed);
        if (ready == 0) {
            return WSAETIMEDOUT;
        }
        if (ready < 0) {
            return WSAGetLastError();
        }
        int soError = 0;
        int soLength = sizeof soError;
        (void)getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &soLength);
        if (soError != 0 || failed) {
            return soError != 0 ? soError : WSAECONNREFUSED;
        }
    }
    return 0;
}

class WindowsPackageFile : public PackageFile {
  public:
    WindowsPackageFile(FileHandle file, uint64_t size) : file_(std::move(file)), size_(size) {}
    uint64_t Size() const override { return size_; }
    bool Read(char* data, size_t size, size_t* got) override {
        DWORD read = 0;
        if (!ReadFile(file_.get(), data, static_cast<DWORD>(std::min<size_t>(size, 1 << 30)), &read, nullptr)) {
            return false;
        }
        *got = read;
        return true;
    }

  private:
    FileHandle file_;
    uint64_t size_;
};

// "D:P(A;;FA;;;<user's SID>)": only the user, no inherited entries.
LocalMemory UserOnlySecurityDescriptor() {
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &rawToken)) {
        return LocalMemory();
    }
    FileHandle token(rawToken);
    DWORD needed = 0;
    (void)GetTokenInformation(token.get(), TokenUser, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    char* sidText = nullptr;
    if (needed == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), needed, &needed) ||
        !ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sidText)) {
        return LocalMemory();
    }
    LocalMemory sidOwner(sidText);
    std::string sddl = std::string("D:P(A;;FA;;;") + sidText + ")";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
        return LocalMemory();
    }
    return LocalMemory(descriptor);
}

}  // namespace

WindowsClientPlatform::WindowsClientPlatform(AdbOutputCallback output, void* context)
    : output_(output), context_(context) {
    WSADATA data;
    winsockStarted_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

WindowsClientPlatform::~WindowsClientPlatform() {
    if (winsockStarted_) {
        (void)WSACleanup();
    }
}

void WindowsClientPlatform::Print(OutputStream stream, std::string_view text) {
    if (output_ != nullptr && !text.empty()) {
        output_(context_, stream == OutputStream::kStdout ? kAdbStdout : kAdbStderr, text.data(),
                static_cast<unsigned>(text.size()));
    }
}

TcpConnectResult WindowsClientPlatform::ConnectTcp(const std::string& host, uint16_t port, int timeoutMs) {
    TcpConnectResult result;
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* addresses = nullptr;
    int status =
        host.empty() ? WSAHOST_NOT_FOUND : getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &addresses);
    if (status != 0) {
        result.status = TcpConnectResult::Status::kResolveFailed;
        result.reason = SocketErrorText(status);
        return result;
    }
    int lastError = WSAECONNREFUSED;
    auto started = std::chrono::steady_clock::now();
    for (addrinfo* address = addresses; address != nullptr; address = address->ai_next) {
        int left = timeoutMs - static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                    std::chrono::steady_clock::now() - started)
                                                    .count());
        if (left <= 0) {
            lastError = WSAETIMEDOUT;
            break;
        }
        Socket socket(::socket(address->ai_family, address->ai_socktype, address->ai_protocol));
        if (!socket.valid()) {
            lastError = WSAGetLastError();
            continue;
        }
        lastError = ConnectWithin(socket.get(), address->ai_addr, static_cast<int>(address->ai_addrlen), left);
        if (lastError == 0) {
            BOOL noDelay = TRUE;
            (void)setsockopt(socket.get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
                             sizeof noDelay);
            result.status = TcpConnectResult::Status::kConnected;
            result.stream = std::make_unique<SocketStream>(std::move(socket));
            break;
        }
    }
    freeaddrinfo(addresses);
    if (result.status != TcpConnectResult::Status::kConnected) {
        result.reason = SocketErrorText(lastError);
    }
    return result;
}

std::optional<std::string> WindowsClientPlatform::Environment(const char* name) {
    char value[1024];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    if (length == 0 || length >= sizeof value) {
        return std::nullopt;
    }
    return std::string(value, length);
}

std::string WindowsClientPlatform::KeyFolder() {
    // The user's profile folder, which USERPROFILE names. MOSSGATE_ADB_HOME puts the key folder
    // elsewhere (a portable set-up, or a test's own home: Wine sets USERPROFILE itself).
    std::string home = Environment("MOSSGATE_ADB_HOME").value_or("");
    if (home.empty()) {
        home = Environment("USERPROFILE").value_or("");
    }
    if (home.empty()) {
        // Only then the shell, loaded on demand: it would add megabytes to every run.
        using GetFolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
        if (HMODULE shell = LoadLibraryA("shell32.dll")) {
            auto getFolderPath =
                reinterpret_cast<GetFolderPath>(reinterpret_cast<void*>(GetProcAddress(shell, "SHGetFolderPathA")));
            char path[MAX_PATH] = {};
            if (getFolderPath != nullptr &&
                SUCCEEDED(getFolderPath(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, path))) {
                home = path;
            }
            (void)FreeLibrary(shell);
        }
    }
    if (home.empty()) {
        home = ".";
    }
    std::string folder = home + "\\.android";
    (void)CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

std::string WindowsClientPlatform::UserFilePath(std::string_view name) {
    return KeyFolder() + "\\" + std::string(name);
}

std::optional<std::string> WindowsClientPlatform::ReadUserFile(std::string_view name) {
    FileHandle file(CreateFileA(UserFilePath(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return std::nullopt;
    }
    std::string contents;
    char buffer[4096];
    DWORD read = 0;
    // Key and device files are small; anything larger is not ours.
    while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0 && contents.size() < 65536) {
        contents.append(buffer, read);
    }
    return contents;
}

bool WindowsClientPlatform::WriteUserFile(std::string_view name,
                                          std::string_view contents,
                                          bool privateToUser,
                                          std::string* error) {
    std::string path = UserFilePath(name);
    std::string temporary = path + ".tmp";
    LocalMemory descriptor;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
    if (privateToUser) {
        descriptor = UserOnlySecurityDescriptor();
        if (!descriptor.valid()) {
            *error = "cannot build a security descriptor for the user";
            return false;
        }
        attributes.lpSecurityDescriptor = descriptor.get();
    }
    {
        FileHandle file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, &attributes, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) {
            *error = FileErrorText(GetLastError());
            return false;
        }
        DWORD written = 0;
        if (!WriteFile(file.get(), contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr) ||
            written != contents.size()) {
            *error = FileErrorText(GetLastError());
            file.Reset();
            (void)DeleteFileA(temporary.c_str());
            return false;
        }
    }
    if (!MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        *error = FileErrorText(GetLastError());
        (void)DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}

void WindowsClientPlatform::RemoveUserFile(std::string_view name) {
    (void)DeleteFileA(UserFilePath(name).c_str());
}

std::string WindowsClientPlatform::KeyComment() {
    char user[256] = {};
    DWORD userLength = sizeof user;
    char host[256] = {};
    DWORD hostLength = sizeof host;
    std::string comment = GetUserNameA(user, &userLength) ? user : "unknown";
    comment += '@';
    comment += GetComputerNameA(host, &hostLength) ? host : "unknown";
    return comment;
}

std::unique_ptr<PackageFile> WindowsClientPlatform::OpenPackage(const std::string& path, std::string* error) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        *error = "Is a directory";
        return nullptr;
    }
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size = {};
    if (!file.valid() || !GetFileSizeEx(file.get(), &size)) {
        *error = FileErrorText(GetLastError());
        return nullptr;
    }
    return std::make_unique<WindowsPackageFile>(std::move(file), static_cast<uint64_t>(size.QuadPart));
}

std::string WindowsClientPlatform::DeviceFileName(const std::string& path) {
    // The path is in the ANSI code page, where a trail byte may look like a backslash: walk it by characters.
    size_t nameStart = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
            ++i;
        } else if (path[i] == '\\' || path[i] == '/' || path[i] == ':') {
            nameStart = i + 1;
        }
    }
    // The device wants UTF-8.
    std::string name = path.substr(nameStart);
    int wide = MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
    std::wstring utf16(static_cast<size_t>(std::max(wide, 0)), L'\0');
    (void)MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), utf16.data(), wide);
    int narrow = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(std::max(narrow, 0)), '\0');
    (void)WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, utf8.data(), narrow, nullptr, nullptr);
    return utf8;
}

}  // namespace adb

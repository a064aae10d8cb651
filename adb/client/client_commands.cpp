#include "adb/client/client_commands.h"

#include <algorithm>
#include <cstdlib>

#include "adb/client/connect_target.h"
#include "adb/client/device_connection.h"
#include "adb/client/file_push.h"
#include "adb/client/package_installer.h"
#include "adb/client/split_installer.h"
#include "adb/keys/user_key.h"
#include "adb/protocol/smart_socket.h"

namespace adb {
namespace {

constexpr const char* kDeviceListFile = "mossgate-devices";
// The devices whose connect ended with the key offered and not (yet) allowed.
constexpr const char* kUnauthorizedListFile = "mossgate-unauthorized";
constexpr int kTcpConnectTimeoutMs = 10000;
constexpr int kServerTimeoutMs = 5000;
// The real server gives a device 10 s to answer the handshake.
constexpr int kHandshakeTimeoutMs = 10000;
// Time for the user to answer the device's "Allow USB debugging?" prompt.
constexpr int kDefaultAuthWaitMs = 60000;

// A wait in seconds from the environment (0..3600), else the default in milliseconds.
int WaitSetting(ClientPlatform& platform, const char* name, int defaultMs) {
    if (std::optional<std::string> seconds = platform.Environment(name)) {
        char* end = nullptr;
        long value = std::strtol(seconds->c_str(), &end, 10);
        if (end != seconds->c_str() && *end == '\0' && value >= 0 && value <= 3600) {
            return static_cast<int>(value * 1000);
        }
    }
    return defaultMs;
}

std::vector<std::string> ListedDevices(ClientPlatform& platform, const char* file) {
    std::optional<std::string> text = platform.Files().ReadUserFile(file);
    return text ? ParseDeviceList(*text) : std::vector<std::string>();
}

std::vector<std::string> RememberedDevices(ClientPlatform& platform) {
    return ListedDevices(platform, kDeviceListFile);
}

void SaveDevices(ClientPlatform& platform, const char* file, const std::vector<std::string>& serials) {
    std::string error;
    if (!platform.Files().WriteUserFile(file, FormatDeviceList(serials), false, &error)) {
        platform.Print(OutputStream::kStderr,
                       "adb: cannot write " + platform.Files().UserFilePath(file) + ": " + error + "\n");
    }
}

// Puts the serial on the list of `file`, or takes it off. A list that cannot be read whole is left
// as it is: rewriting it from what could be read would lose the rest.
void List(ClientPlatform& platform, const char* file, const std::string& serial, bool listed) {
    if (!platform.Files().ReadUserFile(file) && platform.Files().UserFileExists(file)) {
        platform.Print(OutputStream::kStderr,
                       "adb: cannot read " + platform.Files().UserFilePath(file) + ": it is left as it is\n");
        return;
    }
    std::vector<std::string> serials = ListedDevices(platform, file);
    auto found = std::find(serials.begin(), serials.end(), serial);
    if (listed == (found != serials.end())) {
        return;
    }
    if (listed) {
        serials.push_back(serial);
    } else {
        serials.erase(found);
    }
    SaveDevices(platform, file, serials);
}

void Remember(ClientPlatform& platform, const std::string& serial, bool remember) {
    List(platform, kDeviceListFile, serial, remember);
}

// The words for a device that did not take our key, for a client without a background server.
constexpr const char* kUnauthorizedText =
    "adb: device unauthorized.\n"
    "Allow debugging in the prompt the device shows (tick 'always allow'), then connect and install again.\n";

struct OpenedDevice {
    HandshakeOutcome outcome = HandshakeOutcome::kConnectionLost;
    TcpConnectResult tcp;
    std::unique_ptr<DeviceConnection> connection;
};

OpenedDevice OpenDevice(ClientPlatform& platform, const ConnectTarget& target, bool offerPublicKey = true) {
    OpenedDevice opened;
    // The key first: making one takes a while, and a device waits for nobody on an open connection.
    UserKey userKey = LoadOrCreateUserKey(platform.Files());
    opened.tcp = platform.ConnectTcp(target.host, target.port, kTcpConnectTimeoutMs);
    if (opened.tcp.status != TcpConnectResult::Status::kConnected) {
        return opened;
    }
    if (!userKey.problems.empty()) {
        platform.Print(OutputStream::kStderr, userKey.problems);
    }
    HandshakeSettings settings;
    settings.offerPublicKey = offerPublicKey;
    settings.key = userKey.key.get();
    settings.publicKeyLine = userKey.publicKeyLine;
    settings.handshakeTimeoutMs = kHandshakeTimeoutMs;
    settings.authWaitMs = WaitSetting(platform, "MOSSGATE_ADB_AUTH_WAIT_S", kDefaultAuthWaitMs);
    opened.connection = std::make_unique<DeviceConnection>(std::move(opened.tcp.stream));
    opened.outcome = opened.connection->Handshake(settings);
    return opened;
}

struct ReachedDevice {
    ConnectTarget target;
    std::unique_ptr<DeviceConnection> connection;
};

// The one remembered device, online; nothing (and why, printed) otherwise.
std::optional<ReachedDevice> ReachRememberedDevice(ClientPlatform& platform) {
    std::vector<std::string> serials = RememberedDevices(platform);
    if (serials.empty()) {
        platform.Print(OutputStream::kStderr, "adb: no devices/emulators found\n");
        return std::nullopt;
    }
    if (serials.size() > 1) {
        platform.Print(OutputStream::kStderr, "adb: more than one device/emulator\n");
        return std::nullopt;
    }
    std::optional<ConnectTarget> target = ParseConnectTarget(serials[0], kDefaultDevicePort);
    if (!target) {
        platform.Print(OutputStream::kStderr, "adb: bad device '" + serials[0] + "' in " +
                                                  platform.Files().UserFilePath(kDeviceListFile) + "\n");
        return std::nullopt;
    }
    // When connect offered the key and the user let it pass, the device prompts no second time.
    const std::vector<std::string> asked = ListedDevices(platform, kUnauthorizedListFile);
    const bool askedBefore = std::find(asked.begin(), asked.end(), target->serial) != asked.end();
    OpenedDevice opened = OpenDevice(platform, *target, !askedBefore);
    if (opened.tcp.status != TcpConnectResult::Status::kConnected) {
        platform.Print(OutputStream::kStderr,
                       "adb: cannot connect to " + target->serial + ": " + opened.tcp.reason + "\n");
        return std::nullopt;
    }
    if (askedBefore && opened.outcome == HandshakeOutcome::kOnline) {
        List(platform, kUnauthorizedListFile, target->serial, false);
    }
    switch (opened.outcome) {
        case HandshakeOutcome::kOnline:
            return ReachedDevice{*target, std::move(opened.connection)};
        case HandshakeOutcome::kUnauthorized:
            platform.Print(OutputStream::kStderr, kUnauthorizedText);
            return std::nullopt;
        default:
            platform.Print(OutputStream::kStderr, "adb: device offline\n");
            return std::nullopt;
    }
}

InstallTimeouts Timeouts(ClientPlatform& platform) {
    InstallTimeouts timeouts;
    timeouts.replyMs = WaitSetting(platform, "MOSSGATE_ADB_REPLY_WAIT_S", timeouts.replyMs);
    timeouts.resultMs = WaitSetting(platform, "MOSSGATE_ADB_RESULT_WAIT_S", timeouts.resultMs);
    return timeouts;
}

}  // namespace

int KillServer(ClientPlatform& platform) {
    platform.Files().RemoveUserFile(kDeviceListFile);
    platform.Files().RemoveUserFile(kUnauthorizedListFile);
    uint16_t port = kDefaultServerPort;
    if (std::optional<std::string> text = platform.Environment("ANDROID_ADB_SERVER_PORT")) {
        if (std::optional<ConnectTarget> parsed = ParseConnectTarget("localhost:" + *text, kDefaultServerPort)) {
            port = parsed->port;
        }
    }
    TcpConnectResult tcp = platform.ConnectTcp("127.0.0.1", port, kServerTimeoutMs);
    if (tcp.status != TcpConnectResult::Status::kConnected) {
        return 0;  // no server: nothing to stop
    }
    SmartSocketReply reply = SmartSocketRequest(*tcp.stream, "host:kill", kServerTimeoutMs);
    if (reply.status == SmartSocketReply::Status::kFail) {
        platform.Print(OutputStream::kStderr, "error: " + reply.message + "\n");
        return 1;
    }
    if (reply.status != SmartSocketReply::Status::kOkay) {
        platform.Print(OutputStream::kStderr,
                       "adb: error: no ADB server answered on tcp:" + std::to_string(port) + "\n");
        return 1;
    }
    // The server exits after its OKAY; its closing the socket tells us it is gone.
    if (!WaitForClose(*tcp.stream, kServerTimeoutMs)) {
        platform.Print(OutputStream::kStderr, "adb: error: the ADB server on tcp:" + std::to_string(port) +
                                                  " did not stop within " + std::to_string(kServerTimeoutMs / 1000) +
                                                  " s\n");
        return 1;
    }
    return 0;
}

int Connect(ClientPlatform& platform, const std::string& text) {
    std::optional<ConnectTarget> target = ParseConnectTarget(text, kDefaultDevicePort);
    if (!target) {
        platform.Print(OutputStream::kStderr, "adb: bad address '" + text + "': use HOST[:PORT]\n");
        return 1;
    }
    bool known = false;
    for (const std::string& serial : RememberedDevices(platform)) {
        known = known || serial == target->serial;
    }
    OpenedDevice opened = OpenDevice(platform, *target);
    std::string message;
    switch (opened.tcp.status) {
        case TcpConnectResult::Status::kResolveFailed:
            message = "cannot resolve host '" + target->host + "' and port " + std::to_string(target->port) + ": " +
                      opened.tcp.reason;
            break;
        case TcpConnectResult::Status::kConnectFailed:
            message = "cannot connect to " + target->serial + ": " + opened.tcp.reason;
            break;
        case TcpConnectResult::Status::kConnected:
            switch (opened.outcome) {
                case HandshakeOutcome::kOnline:
                    message = (known ? "already connected to " : "connected to ") + target->serial;
                    break;
                case HandshakeOutcome::kUnauthorized:
                    message = "failed to authenticate to " + target->serial;
                    break;
                case HandshakeOutcome::kTlsRequested:
                    platform.Print(OutputStream::kStderr,
                                   "adb: the device asks for TLS (wireless debugging pairing), which this client does "
                                   "not support\n");
                    message = "failed to connect to " + target->serial;
                    break;
                default:
                    message = "failed to connect to " + target->serial;
                    break;
            }
            break;
    }
    // An unauthorized device stays listed, as the real server keeps it: the user may still allow it.
    bool reachable = opened.tcp.status == TcpConnectResult::Status::kConnected &&
                     (opened.outcome == HandshakeOutcome::kOnline || opened.outcome == HandshakeOutcome::kUnauthorized);
    Remember(platform, target->serial, reachable);
    List(platform, kUnauthorizedListFile, target->serial,
         reachable && opened.outcome == HandshakeOutcome::kUnauthorized);
    platform.Print(OutputStream::kStdout, message + "\n");
    return 0;
}

int Install(ClientPlatform& platform, const std::vector<std::string>& options, const std::string& path) {
    std::optional<ReachedDevice> device = ReachRememberedDevice(platform);
    if (!device) {
        return 1;
    }
    return InstallPackage(*device->connection, platform, options, path, Timeouts(platform));
}

int InstallMultiple(ClientPlatform& platform, const std::vector<std::string>& arguments) {
    InstallMultipleArguments parsed = ParseInstallMultipleArguments(arguments);
    if (!parsed.error.empty()) {
        platform.Print(OutputStream::kStderr, "adb: " + parsed.error + "\n");
        return 1;
    }
    bool opened = false;
    std::vector<SplitFile> files = OpenSplitFiles(platform, parsed.files, &opened);
    if (!opened) {
        return 1;
    }
    std::optional<ReachedDevice> device = ReachRememberedDevice(platform);
    if (!device) {
        return 1;
    }
    // No second prompt for the key: the user already let this device in.
    Reconnect reconnect = [&](std::string* problem) -> std::unique_ptr<DeviceConnection> {
        OpenedDevice again = OpenDevice(platform, device->target, false);
        if (again.tcp.status != TcpConnectResult::Status::kConnected) {
            *problem = "cannot connect to " + device->target.serial + ": " + again.tcp.reason;
            return nullptr;
        }
        if (again.outcome != HandshakeOutcome::kOnline) {
            *problem = again.outcome == HandshakeOutcome::kUnauthorized ? "device unauthorized" : "device offline";
            return nullptr;
        }
        return std::move(again.connection);
    };
    return InstallSplits(*device->connection, platform, parsed.options, files, Timeouts(platform), reconnect);
}

int Push(ClientPlatform& platform, const std::string& local, const std::string& remote) {
    std::string error;
    std::unique_ptr<PackageFile> file = platform.OpenPackage(local, &error);
    if (!file) {
        platform.Print(OutputStream::kStderr, "adb: error: cannot stat '" + local + "': " + error + "\n");
        return 1;
    }
    std::optional<ReachedDevice> device = ReachRememberedDevice(platform);
    if (!device) {
        return 1;
    }
    return PushFile(*device->connection, platform, local, *file, PushTarget(remote, platform.DeviceFileName(local)),
                    Timeouts(platform));
}

}  // namespace adb

#include "tools/device_simulator/hostile_device.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "adb/protocol/little_endian.h"
#include "adb/protocol/message.h"
#include "adb/protocol/message_reader.h"
#include "tools/device_simulator/socket_stream.h"

namespace simulator {

const char* const kHostileModes =
    "                         endless-verdict: output without end after the upload\n"
    "                         slow-verdict: one byte a second after the upload\n"
    "                         huge-reason: a 100 MB failure reason after the upload\n"
    "                         talk-during-upload: output instead of acknowledgements\n"
    "                         sync-fail-huge: (push) a sync FAIL claiming 0x7fffffff bytes, then data\n"
    "                         endless-pm: (push) pm output without end\n"
    "                         auth-flood: AUTH tokens back to back\n"
    "                         pre-cnxn-flood: stream messages, never a CNXN\n"
    "                         foreign-okay: OKAYs for another stream in answer to OPEN\n"
    "                         server-talks: a server on the kill-server port: OKAY, then talk\n"
    "                         server-short-fail: a server's FAIL shorter than its length says\n";

namespace {

const char* const kModes[] = {"endless-verdict", "slow-verdict", "huge-reason",      "talk-during-upload",
                              "sync-fail-huge",  "endless-pm",   "auth-flood",       "pre-cnxn-flood",
                              "foreign-okay",    "server-talks", "server-short-fail"};

constexpr int kSendTimeoutMs = 10000;
constexpr uint32_t kDeviceStreamId = 77;

class HostileDevice {
  public:
    HostileDevice(int socket, const Options& options) : stream_(socket), reader_(stream_), options_(options) {}

    void Run() {
        const std::string& mode = options_.hostile;
        if (mode == "server-talks" || mode == "server-short-fail") {
            return Server(mode == "server-talks");
        }
        if (mode == "pre-cnxn-flood") {
            while (Send(adb::kCommandWrte, 1, 1, "x")) {
            }
            return;
        }
        if (!ReadHostConnect()) {
            return;
        }
        if (mode == "auth-flood") {
            std::string token(20, 't');
            while (Send(adb::kCommandAuth, adb::kAuthToken, 0, token)) {
            }
            return;
        }
        bool push = mode == "sync-fail-huge" || mode == "endless-pm";
        std::string banner = "device::ro.product.model=hostile;features=";
        banner += push ? "shell_v2,stat_v2" : "shell_v2,cmd,abb_exec";
        if (!Send(adb::kCommandCnxn, adb::kVersionSkipChecksum, adb::kMaxPayload, banner)) {
            return;
        }
        if (mode == "foreign-okay") {
            adb::ReceivedMessage open;
            if (ReadCommand(adb::kCommandOpen, &open)) {
                while (Send(adb::kCommandOkay, kDeviceStreamId, open.header.arg0 + 1000, {})) {
                }
            }
            return;
        }
        if (push) {
            return Push(mode == "sync-fail-huge");
        }
        Streamed(mode);
    }

  private:
    bool Send(uint32_t command, uint32_t arg0, uint32_t arg1, std::string_view payload) {
        adb::HeaderBytes header = adb::EncodeHeader(adb::MakeHeader(command, arg0, arg1, payload, false));
        return stream_.Send(std::string_view(reinterpret_cast<const char*>(header.data()), header.size()), payload,
                            kSendTimeoutMs);
    }
    bool Read(adb::ReceivedMessage* message) {
        return reader_.Read(message, adb::kMaxPayload, options_.idleSeconds * 1000) ==
               adb::MessageReader::Result::kMessage;
    }
    bool ReadCommand(uint32_t command, adb::ReceivedMessage* message) {
        while (Read(message)) {
            if (message->header.command == command) {
                return true;
            }
        }
        return false;
    }
    bool ReadHostConnect() {
        adb::ReceivedMessage message;
        return ReadCommand(adb::kCommandCnxn, &message);
    }
    bool Write(uint32_t hostId, std::string_view data) {
        return Send(adb::kCommandWrte, kDeviceStreamId, hostId, data);
    }

    // Takes the streamed upload of the size its service names, then answers as the mode says.
    void Streamed(const std::string& mode) {
        adb::ReceivedMessage open;
        if (!ReadCommand(adb::kCommandOpen, &open)) {
            return;
        }
        uint32_t hostId = open.header.arg0;
        std::string service = open.payload;
        while (!service.empty() && service.back() == '\0') {
            service.pop_back();
        }
        size_t digits = service.find_last_not_of("0123456789");
        uint64_t size = std::strtoull(service.c_str() + (digits == std::string::npos ? 0 : digits + 1), nullptr, 10);
        if (!Send(adb::kCommandOkay, kDeviceStreamId, hostId, {})) {
            return;
        }
        std::string chunk(64 * 1024, 'x');
        uint64_t received = 0;
        adb::ReceivedMessage message;
        while (received < size && ReadCommand(adb::kCommandWrte, &message)) {
            received += message.payload.size();
            if (mode == "talk-during-upload") {
                while (Write(hostId, chunk)) {
                }
                return;
            }
            if (!Send(adb::kCommandOkay, kDeviceStreamId, hostId, {})) {
                return;
            }
        }
        if (mode == "endless-verdict") {
            while (Write(hostId, chunk)) {
            }
        } else if (mode == "slow-verdict") {
            const char text[] = "Success";
            for (size_t i = 0; Write(hostId, std::string_view(&text[i % 7], 1)); ++i) {
                std::this_thread::sleep_for(std::chrono::seconds(1));
            }
        } else if (mode == "huge-reason") {
            if (!Write(hostId, "Failure [")) {
                return;
            }
            std::string reason(64 * 1024, 'r');
            for (int i = 0; i < 1600; ++i) {
                if (!Write(hostId, reason)) {
                    return;
                }
            }
            if (Write(hostId, "]\n")) {
                (void)Send(adb::kCommandClse, kDeviceStreamId, hostId, {});
                ReadUntilClosed();
            }
        }
    }

    // The push path: sync, then pm's output through the shell.
    void Push(bool failHuge) {
        adb::ReceivedMessage open;
        if (!ReadCommand(adb::kCommandOpen, &open)) {
            return;
        }
        uint32_t hostId = open.header.arg0;
        if (!Send(adb::kCommandOkay, kDeviceStreamId, hostId, {})) {
            return;
        }
        adb::ReceivedMessage message;
        std::string chunk(64 * 1024, 'f');
        if (failHuge) {
            if (ReadCommand(adb::kCommandWrte, &message)) {
                std::string fail = "FAIL";
                adb::AppendLe32(fail, 0x7fffffff);
                if (Write(hostId, fail)) {
                    while (Write(hostId, chunk)) {
                    }
                }
            }
            return;
        }
        // DONE ends the last write of the upload.
        while (ReadCommand(adb::kCommandWrte, &message)) {
            if (!Send(adb::kCommandOkay, kDeviceStreamId, hostId, {})) {
                return;
            }
            const std::string& data = message.payload;
            if (data.size() >= 8 && data.compare(data.size() - 8, 4, "DONE") == 0) {
                break;
            }
        }
        if (!Write(hostId, std::string("OKAY\0\0\0\0", 8))) {
            return;
        }
        adb::ReceivedMessage shell;
        while (ReadCommand(adb::kCommandOpen, &shell)) {
            if (shell.payload.compare(0, 6, "shell,") != 0 && shell.payload.compare(0, 6, "shell:") != 0) {
                continue;
            }
            uint32_t shellId = shell.header.arg0;
            if (!Send(adb::kCommandOkay, kDeviceStreamId + 1, shellId, {})) {
                return;
            }
            std::string packet(1, '\1');
            adb::AppendLe32(packet, static_cast<uint32_t>(chunk.size()));
            packet += chunk;
            while (Send(adb::kCommandWrte, kDeviceStreamId + 1, shellId, packet)) {
            }
            return;
        }
    }

    // A server on the kill-server port that does not keep to the smart-socket protocol.
    void Server(bool talks) {
        char request[256];
        size_t got = 0;
        if (stream_.Receive(request, sizeof request, options_.idleSeconds * 1000, &got) != adb::ReceiveStatus::kData) {
            return;
        }
        if (!talks) {
            (void)stream_.Send("FAIL0040short", {}, kSendTimeoutMs);
            return;
        }
        if (!stream_.Send("OKAY", {}, kSendTimeoutMs)) {
            return;
        }
        std::string chatter(4096, 'k');
        while (stream_.Send(chatter, {}, kSendTimeoutMs)) {
        }
    }

    void ReadUntilClosed() {
        adb::ReceivedMessage message;
        while (Read(&message)) {
        }
    }

    SocketStream stream_;
    adb::MessageReader reader_;
    const Options& options_;
};

}  // namespace

bool IsHostileMode(const std::string& mode) {
    for (const char* known : kModes) {
        if (mode == known) {
            return true;
        }
    }
    return false;
}

void RunHostileSession(int socket, const Options& options) {
    HostileDevice(socket, options).Run();
}

}  // namespace simulator

#include "tools/device_simulator/device_session.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <thread>

#include "adb/keys/public_key.h"
#include "adb/protocol/banner.h"
#include "tools/device_simulator/device_crypto.h"

namespace simulator {
namespace {

std::string Printable(std::string_view text) {
    std::string out;
    for (char c : text) {
        out += c == '\0' ? '|' : (static_cast<unsigned char>(c) < 0x20 ? '?' : c);
    }
    return out;
}

}  // namespace

struct DeviceSession::Stream {
    uint32_t localId = 0;
    uint32_t remoteId = 0;
    std::string service;
    std::unique_ptr<Service> handler;
    std::deque<std::string> outbox;
    bool waitingOkay = false;
    bool closeWhenFlushed = false;
    bool closeSent = false;
    uint64_t bytesIn = 0;
    uint64_t writesIn = 0;
    uint32_t largestWrite = 0;
};

class DeviceSession::StreamOutput : public ServiceOutput {
  public:
    StreamOutput(DeviceSession& session, Stream& stream) : session_(session), stream_(stream) {}
    void Send(std::string_view data) override {
        while (!data.empty()) {
            std::string_view piece = data.substr(0, session_.maxPayload_);
            stream_.outbox.emplace_back(piece);
            data.remove_prefix(piece.size());
        }
    }
    void Close() override { stream_.closeWhenFlushed = true; }
    void DropConnection(const std::string& reason) override { session_.Drop(reason); }

  private:
    DeviceSession& session_;
    Stream& stream_;
};

DeviceSession::DeviceSession(int socket, int number, DeviceState& state)
    : stream_(socket),
      reader_(stream_),
      name_("conn#" + std::to_string(number)),
      state_(state),
      options_(state.options()),
      version_(options_.legacy ? adb::kVersionMin : adb::kVersionSkipChecksum),
      maxPayload_(options_.maxPayload) {}

DeviceSession::~DeviceSession() = default;

void DeviceSession::Log(const std::string& line) {
    state_.log().Write(name_ + " " + line);
}

void DeviceSession::Drop(const std::string& reason) {
    if (dropped_) {
        return;
    }
    Log("drop: " + reason);
    dropped_ = true;
    // An abortive close: the host sees the connection reset, as when a device goes away.
    struct linger hard = {1, 0};
    (void)setsockopt(stream_.socket(), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    (void)shutdown(stream_.socket(), SHUT_RDWR);
}

void DeviceSession::Stall(const std::string& reason) {
    Log("stall: " + reason);
    // Neither reads nor answers; only notices the host hanging up (or the idle time running out).
    struct pollfd poller = {stream_.socket(), POLLRDHUP, 0};
    (void)poll(&poller, 1, options_.idleSeconds * 1000);
    Log("stall ended");
    dropped_ = true;
}

DeviceSession::Read DeviceSession::ReadMessage(Message* message, int timeoutMs) {
    switch (reader_.Read(message, maxPayload_, timeoutMs)) {
        case adb::MessageReader::Result::kMessage:
            break;
        case adb::MessageReader::Result::kTimeout:
            return Read::kTimeout;
        case adb::MessageReader::Result::kClosed:
            dropped_ = true;
            return Read::kClosed;
        case adb::MessageReader::Result::kBadMagic:
            Drop("violation: bad magic");
            return Read::kViolation;
        case adb::MessageReader::Result::kTooLarge:
            Drop("violation: " + std::string(adb::CommandName(message->header.command)) + " payload of " +
                 std::to_string(message->header.dataLength) + " bytes above the limit of " +
                 std::to_string(maxPayload_));
            return Read::kViolation;
    }
    // A device of the original version checks every payload's byte sum.
    if (options_.legacy && message->header.dataCheck != adb::PayloadChecksum(message->payload)) {
        Drop("violation: bad checksum on " + std::string(adb::CommandName(message->header.command)));
        return Read::kViolation;
    }
    return Read::kMessage;
}

bool DeviceSession::Send(uint32_t command, uint32_t arg0, uint32_t arg1, std::string_view payload) {
    if (dropped_) {
        return false;
    }
    adb::HeaderBytes header =
        adb::EncodeHeader(adb::MakeHeader(command, arg0, arg1, payload, adb::SendsChecksum(version_)));
    if (!stream_.Send(std::string_view(reinterpret_cast<const char*>(header.data()), header.size()), payload,
                      options_.idleSeconds * 1000)) {
        dropped_ = true;
        return false;
    }
    return true;
}

void DeviceSession::SendConnect() {
    std::string banner;
    if (options_.legacy) {
        banner = "device::ro.product.name=sim;ro.product.model=Simulated;ro.product.device=sim;";
        banner += '\0';
    } else {
        banner =
            "device::ro.product.name=windows_x86_64;ro.product.model=Subsystem for Android(TM);"
            "ro.product.device=windows_x86_64;features=" +
            options_.features;
    }
    Log("send CNXN version=0x" +
        [this] {
            char hex[16];
            snprintf(hex, sizeof hex, "%08x", version_);
            return std::string(hex);
        }() +
        " maxdata=" + std::to_string(maxPayload_));
    (void)Send(adb::kCommandCnxn, options_.legacy ? adb::kVersionMin : adb::kVersionSkipChecksum, maxPayload_, banner);
}

void DeviceSession::SendToken() {
    token_ = RandomToken();
    (void)Send(adb::kCommandAuth, adb::kAuthToken, 0, token_);
}

bool DeviceSession::Handshake() {
    int idleMs = options_.idleSeconds * 1000;
    Message message;
    // Nothing counts before the host's CNXN.
    while (true) {
        Read result = ReadMessage(&message, idleMs);
        if (result != Read::kMessage) {
            Log("closed before CNXN");
            return false;
        }
        if (message.header.command == adb::kCommandCnxn) {
            break;
        }
        Log("ignored " + std::string(adb::CommandName(message.header.command)) + " before CNXN");
    }
    const adb::MessageHeader& cnxn = message.header;
    bool checksumOk = cnxn.dataCheck == adb::PayloadChecksum(message.payload);
    Log("recv CNXN version=0x" +
        [&] {
            char hex[16];
            snprintf(hex, sizeof hex, "%08x", cnxn.arg0);
            return std::string(hex);
        }() +
        " maxdata=" + std::to_string(cnxn.arg1) + " checksum=" + (checksumOk ? "ok" : "bad") +
        " banner=" + Printable(message.payload));
    if (!checksumOk) {
        Drop("violation: CNXN without its byte sum");
        return false;
    }
    version_ = std::min(version_, cnxn.arg0);
    maxPayload_ = std::min(maxPayload_, cnxn.arg1);
    hostHasShellV2_ = adb::ParseBanner(message.payload).Has("shell_v2");
    if (options_.auth == AuthMode::kOff) {
        SendConnect();
        return !dropped_;
    }
    SendToken();
    while (true) {
        Read result = ReadMessage(&message, idleMs);
        if (result != Read::kMessage) {
            Log("closed during authentication");
            return false;
        }
        const adb::MessageHeader& header = message.header;
        if (header.command != adb::kCommandAuth) {
            Log("ignored " + std::string(adb::CommandName(header.command)) + " during authentication");
            continue;
        }
        if (header.arg0 == adb::kAuthSignature) {
            bool accepted = false;
            if (options_.auth != AuthMode::kRequireKey) {
                for (const std::string& key : state_.TrustedKeys()) {
                    accepted = accepted || VerifyTokenSignature(key, token_, message.payload);
                }
            }
            Log(std::string("recv AUTH signature ") + (accepted ? "accepted" : "refused"));
            if (accepted) {
                SendConnect();
                return !dropped_;
            }
            SendToken();
        } else if (header.arg0 == adb::kAuthRsaPublicKey) {
            std::string line = message.payload;
            bool terminated = !line.empty() && line.back() == '\0';
            while (!line.empty() && line.back() == '\0') {
                line.pop_back();
            }
            std::optional<std::string> blob = adb::ParsePublicKeyLine(line);
            std::optional<adb::PublicKeyNumbers> numbers =
                blob ? adb::DecodePublicKeyBlob(*blob) : std::optional<adb::PublicKeyNumbers>();
            size_t space = line.find(' ');
            Log(std::string("recv AUTH public key ") + (numbers ? "valid" : "invalid") + " montgomery=" +
                (numbers && numbers->montgomeryValuesCorrect ? "ok" : "bad") + " nul=" + (terminated ? "yes" : "no") +
                " comment=" + Printable(space == std::string::npos ? "" : line.substr(space + 1)));
            if (!numbers || options_.auth == AuthMode::kTrust) {
                Log("the user does not answer the prompt");
                continue;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(options_.allowAfterMs));
            if (options_.auth == AuthMode::kAllow) {
                state_.Trust(*blob);  // "Always allow from this computer"
            }
            Log("the user allowed debugging");
            SendConnect();
            return !dropped_;
        }
    }
}

void DeviceSession::Flush(Stream& stream) {
    if (stream.closeSent) {
        return;
    }
    if (!stream.waitingOkay && !stream.outbox.empty()) {
        (void)Send(adb::kCommandWrte, stream.localId, stream.remoteId, stream.outbox.front());
        stream.outbox.pop_front();
        stream.waitingOkay = true;
    }
    if (!stream.waitingOkay && stream.outbox.empty() && stream.closeWhenFlushed) {
        (void)Send(adb::kCommandClse, stream.localId, stream.remoteId, {});
        stream.closeSent = true;
    }
}

void DeviceSession::OnOpen(const Message& message) {
    std::string service = message.payload;
    while (!service.empty() && service.back() == '\0') {
        service.pop_back();
    }
    if (message.header.arg0 == 0) {
        Drop("violation: OPEN with local id 0");
        return;
    }
    ServiceContext context{state_, options_.features, hostHasShellV2_, name_};
    std::unique_ptr<Service> handler = OpenService(service, context);
    Log("open " + Printable(service) + (handler ? "" : " refused"));
    if (!handler) {
        (void)Send(adb::kCommandClse, 0, message.header.arg0, {});
        return;
    }
    auto stream = std::make_unique<Stream>();
    stream->localId = nextId_++;
    stream->remoteId = message.header.arg0;
    stream->service = Printable(service);
    stream->handler = std::move(handler);
    Stream& opened = *stream;
    streams_[opened.localId] = std::move(stream);
    (void)Send(adb::kCommandOkay, opened.localId, opened.remoteId, {});
    StreamOutput output(*this, opened);
    opened.handler->Start(output);
    Flush(opened);
}

void DeviceSession::OnWrite(const Message& message) {
    auto found = streams_.find(message.header.arg1);
    if (found == streams_.end() || found->second->closeSent) {
        return;  // a write to a stream already closed
    }
    Stream& stream = *found->second;
    stream.bytesIn += message.payload.size();
    stream.writesIn += 1;
    stream.largestWrite = std::max<uint32_t>(stream.largestWrite, static_cast<uint32_t>(message.payload.size()));
    if (options_.stallAfterBytes && stream.bytesIn >= *options_.stallAfterBytes) {
        Stall("after " + std::to_string(stream.bytesIn) + " bytes of " + stream.service);
        return;
    }
    if (options_.okayDelayMs > 0) {
        // Whatever the host sends before our OKAY is there now: another WRTE breaks the flow control.
        std::this_thread::sleep_for(std::chrono::milliseconds(options_.okayDelayMs));
        reader_.ReceiveAvailable();
        for (const adb::MessageHeader& next : reader_.BufferedHeaders()) {
            if (next.command == adb::kCommandWrte && next.arg1 == stream.localId) {
                Drop("violation: a second WRTE before the OKAY of the first");
                return;
            }
        }
    }
    // Like the daemon, acknowledge once the data is taken for the service, before the service is done
    // with it: the host's next write travels while the package manager stores this one.
    (void)Send(adb::kCommandOkay, stream.localId, stream.remoteId, {});
    StreamOutput output(*this, stream);
    stream.handler->Data(message.payload, output);
    Flush(stream);
}

void DeviceSession::OnOkay(const Message& message) {
    auto found = streams_.find(message.header.arg1);
    if (found == streams_.end()) {
        return;
    }
    found->second->waitingOkay = false;
    Flush(*found->second);
}

void DeviceSession::OnClose(const Message& message) {
    auto found = streams_.find(message.header.arg1);
    if (found == streams_.end()) {
        return;
    }
    Stream& stream = *found->second;
    Log("close " + stream.service + " writes=" + std::to_string(stream.writesIn) +
        " bytes=" + std::to_string(stream.bytesIn) + " largest=" + std::to_string(stream.largestWrite));
    stream.handler->HostClosed();
    if (!stream.closeSent) {
        (void)Send(adb::kCommandClse, stream.localId, stream.remoteId, {});
    }
    streams_.erase(found);
}

void DeviceSession::Serve() {
    Message message;
    while (!dropped_) {
        Read result = ReadMessage(&message, options_.idleSeconds * 1000);
        if (result == Read::kTimeout) {
            Drop("idle");
            return;
        }
        if (result != Read::kMessage) {
            return;
        }
        switch (message.header.command) {
            case adb::kCommandOpen:
                OnOpen(message);
                break;
            case adb::kCommandWrte:
                OnWrite(message);
                break;
            case adb::kCommandOkay:
                OnOkay(message);
                break;
            case adb::kCommandClse:
                OnClose(message);
                break;
            default:
                Log("ignored " + std::string(adb::CommandName(message.header.command)));
                break;
        }
    }
}

void DeviceSession::Run() {
    Log("accepted");
    if (options_.silent) {
        // Takes the connection and never says a word.
        char sink[64 * 1024];
        size_t got = 0;
        while (stream_.Receive(sink, sizeof sink, options_.idleSeconds * 1000, &got) == adb::ReceiveStatus::kData) {
        }
        Log("closed (silent)");
        return;
    }
    if (Handshake()) {
        Serve();
    }
    for (auto& [id, stream] : streams_) {
        Log("lost stream " + stream->service + " writes=" + std::to_string(stream->writesIn) +
            " bytes=" + std::to_string(stream->bytesIn) + " largest=" + std::to_string(stream->largestWrite));
        stream->handler->HostClosed();
    }
    Log("closed");
}

}  // namespace simulator

#include "adb/client/device_connection.h"

#include <algorithm>

#include "adb/keys/rsa_key.h"
#include "adb/protocol/deadline.h"

namespace adb {
namespace {

bool Passed(Clock::time_point deadline) {
    return Clock::now() >= deadline;
}

}  // namespace

DeviceConnection::DeviceConnection(std::unique_ptr<ByteStream> stream)
    : stream_(std::move(stream)), reader_(*stream_) {}

bool DeviceConnection::SendMessage(uint32_t command,
                                   uint32_t arg0,
                                   uint32_t arg1,
                                   std::string_view payload,
                                   bool forceChecksum) {
    MessageHeader header = MakeHeader(command, arg0, arg1, payload, forceChecksum || SendsChecksum(version_));
    HeaderBytes bytes = EncodeHeader(header);
    bool sent = stream_->Send(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), payload,
                              sendTimeoutMs_);
    broken_ = broken_ || !sent;
    return sent;
}

DeviceConnection::ReadResult DeviceConnection::ReadMessage(ReceivedMessage* message, int timeoutMs) {
    // Nothing above what anyone agreed to: a larger payload leaves the stream unreadable.
    return reader_.Read(message, kMaxPayload, timeoutMs);
}

HandshakeOutcome DeviceConnection::Handshake(const HandshakeSettings& settings) {
    // CNXN and AUTH carry the byte sum: the device's version is not known yet.
    if (!SendMessage(kCommandCnxn, kVersionSkipChecksum, kMaxPayload, HostBanner(ClientFeatures()), true)) {
        return HandshakeOutcome::kConnectionLost;
    }
    Clock::time_point deadline = DeadlineAfter(settings.handshakeTimeoutMs);
    bool signatureSent = false;
    bool publicKeySent = false;
    while (true) {
        ReceivedMessage message;
        // Checked on every pass: tokens or stray messages that keep coming never extend the wait.
        ReadResult result = Passed(deadline) ? ReadResult::kTimeout : ReadMessage(&message, RemainingMs(deadline));
        if (result == ReadResult::kTimeout) {
            return publicKeySent ? HandshakeOutcome::kUnauthorized : HandshakeOutcome::kNoHandshake;
        }
        if (result != ReadResult::kMessage) {
            return publicKeySent ? HandshakeOutcome::kUnauthorized : HandshakeOutcome::kConnectionLost;
        }
        const MessageHeader& header = message.header;
        if (header.command == kCommandCnxn) {
            version_ = std::min(header.arg0, kVersionSkipChecksum);
            maxPayload_ = header.arg1 == 0 ? kMaxPayloadV1 : std::min(header.arg1, kMaxPayload);
            device_ = ParseBanner(message.payload);
            return HandshakeOutcome::kOnline;
        }
        if (header.command == kCommandStls) {
            return HandshakeOutcome::kTlsRequested;
        }
        if (header.command != kCommandAuth || header.arg0 != kAuthToken) {
            continue;  // nothing but CNXN, AUTH and STLS counts before the device's CNXN
        }
        if (settings.key == nullptr) {
            return HandshakeOutcome::kUnauthorized;
        }
        if (!signatureSent) {
            std::optional<std::string> signature = settings.key->SignToken(message.payload);
            signatureSent = true;
            if (signature) {
                if (!SendMessage(kCommandAuth, kAuthSignature, 0, *signature, true)) {
                    return HandshakeOutcome::kConnectionLost;
                }
                continue;
            }
        }
        if (!publicKeySent && !settings.offerPublicKey) {
            return HandshakeOutcome::kUnauthorized;
        }
        if (!publicKeySent) {
            // A second token: the device does not know our key. Offer it; the user decides on the device.
            std::string payload = settings.publicKeyLine;
            payload += '\0';
            if (!SendMessage(kCommandAuth, kAuthRsaPublicKey, 0, payload, true)) {
                return HandshakeOutcome::kConnectionLost;
            }
            publicKeySent = true;
            deadline = DeadlineAfter(settings.authWaitMs);
        }
    }
}

void DeviceConnection::HandleStreamMessage(const ReceivedMessage& message) {
    const MessageHeader& header = message.header;
    if (localId_ == 0 || header.arg1 != localId_ || header.arg0 != remoteId_) {
        return;  // not ours: a stream closed earlier, or a confused device
    }
    if (header.command == kCommandOkay) {
        awaitingOkay_ = false;
    } else if (header.command == kCommandWrte) {
        pendingOutput_ += message.payload;
        (void)SendMessage(kCommandOkay, localId_, remoteId_, {}, false);
    } else if (header.command == kCommandClse) {
        remoteClosed_ = true;
    }
}

StreamStatus DeviceConnection::FromReadResult(ReadResult result) {
    broken_ = true;
    return result == ReadResult::kTimeout ? StreamStatus::kTimeout : StreamStatus::kConnectionLost;
}

StreamStatus DeviceConnection::Open(std::string_view service, int timeoutMs) {
    Close();
    localId_ = nextLocalId_++;
    remoteId_ = 0;
    awaitingOkay_ = false;
    remoteClosed_ = false;
    pendingOutput_.clear();
    std::string payload(service);
    payload += '\0';
    if (!SendMessage(kCommandOpen, localId_, 0, payload, false)) {
        return StreamStatus::kConnectionLost;
    }
    Clock::time_point deadline = DeadlineAfter(timeoutMs);
    while (true) {
        ReceivedMessage message;
        ReadResult result = Passed(deadline) ? ReadResult::kTimeout : ReadMessage(&message, RemainingMs(deadline));
        if (result != ReadResult::kMessage) {
            localId_ = 0;
            return FromReadResult(result);
        }
        const MessageHeader& header = message.header;
        if (header.arg1 != localId_) {
            continue;
        }
        if (header.command == kCommandOkay) {
            remoteId_ = header.arg0;
            return StreamStatus::kOk;
        }
        if (header.command == kCommandClse) {
            localId_ = 0;
            return StreamStatus::kRefused;
        }
    }
}

StreamStatus DeviceConnection::WaitForOkay(int timeoutMs) {
    Clock::time_point deadline = DeadlineAfter(timeoutMs);
    while (awaitingOkay_ && !remoteClosed_) {
        if (pendingOutput_.size() > kMaxUnreadOutput) {
            return StreamStatus::kTooMuchOutput;
        }
        ReceivedMessage message;
        ReadResult result = Passed(deadline) ? ReadResult::kTimeout : ReadMessage(&message, RemainingMs(deadline));
        if (result != ReadResult::kMessage) {
            return FromReadResult(result);
        }
        HandleStreamMessage(message);
    }
    return remoteClosed_ ? StreamStatus::kEnded : StreamStatus::kOk;
}

StreamStatus DeviceConnection::Write(std::string_view data, int timeoutMs) {
    if (localId_ == 0) {
        return StreamStatus::kConnectionLost;
    }
    while (!data.empty()) {
        // One write in flight: the previous one must be acknowledged first. The last one's OKAY
        // is awaited by the next call, so the caller can prepare more data meanwhile.
        StreamStatus status = WaitForOkay(timeoutMs);
        if (status != StreamStatus::kOk) {
            return status;
        }
        std::string_view piece = data.substr(0, maxPayload_);
        if (!SendMessage(kCommandWrte, localId_, remoteId_, piece, false)) {
            return StreamStatus::kConnectionLost;
        }
        data.remove_prefix(piece.size());
        awaitingOkay_ = true;
    }
    return remoteClosed_ ? StreamStatus::kEnded : StreamStatus::kOk;
}

StreamStatus DeviceConnection::Read(std::string* data, int timeoutMs) {
    return Read(data, DeadlineAfter(timeoutMs));
}

StreamStatus DeviceConnection::Read(std::string* data, Clock::time_point deadline) {
    data->clear();
    while (pendingOutput_.empty()) {
        if (remoteClosed_ || localId_ == 0) {
            return StreamStatus::kEnded;
        }
        ReceivedMessage message;
        ReadResult result = Passed(deadline) ? ReadResult::kTimeout : ReadMessage(&message, RemainingMs(deadline));
        if (result != ReadResult::kMessage) {
            return FromReadResult(result);
        }
        HandleStreamMessage(message);
    }
    data->swap(pendingOutput_);
    return StreamStatus::kOk;
}

void DeviceConnection::Close() {
    if (localId_ != 0 && !reader_.Failed()) {
        // The device answers with its own CLSE, which is ignored as a message for a closed stream.
        (void)SendMessage(kCommandClse, localId_, remoteId_, {}, false);
    }
    localId_ = 0;
}

}  // namespace adb

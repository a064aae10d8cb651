#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "adb/protocol/message_reader.h"

namespace adb {
namespace {

// Delivers the queued pieces one per Receive, cut to the reader's buffer; then times out or closes.
class ScriptedStream : public ByteStream {
  public:
    std::deque<std::string> pieces;
    bool closeAtEnd = false;
    int receives = 0;

    bool Send(std::string_view, std::string_view, int) override { return true; }
    ReceiveStatus Receive(char* data, size_t size, int, size_t* received) override {
        ++receives;
        if (pieces.empty()) {
            return closeAtEnd ? ReceiveStatus::kClosed : ReceiveStatus::kTimeout;
        }
        std::string& piece = pieces.front();
        *received = std::min(size, piece.size());
        piece.copy(data, *received);
        piece.erase(0, *received);
        if (piece.empty()) {
            pieces.pop_front();
        }
        return ReceiveStatus::kData;
    }
};

std::string Wire(uint32_t command, uint32_t arg0, std::string_view payload) {
    HeaderBytes header = EncodeHeader(MakeHeader(command, arg0, 0, payload, false));
    return std::string(reinterpret_cast<const char*>(header.data()), header.size()) + std::string(payload);
}

TEST(MessageReader, ReassemblesMessagesHoweverTheBytesArrive) {
    ScriptedStream stream;
    std::string both = Wire(kCommandWrte, 1, "first payload") + Wire(kCommandOkay, 2, "");
    for (char byte : both.substr(0, 30)) {
        stream.pieces.emplace_back(1, byte);
    }
    stream.pieces.push_back(both.substr(30));
    MessageReader reader(stream);
    ReceivedMessage message;
    ASSERT_EQ(reader.Read(&message, kMaxPayload, 1000), MessageReader::Result::kMessage);
    EXPECT_EQ(message.header.command, kCommandWrte);
    EXPECT_EQ(message.payload, "first payload");
    int receivesForFirst = stream.receives;
    ASSERT_EQ(reader.Read(&message, kMaxPayload, 1000), MessageReader::Result::kMessage);
    EXPECT_EQ(message.header.command, kCommandOkay);
    EXPECT_EQ(message.header.arg0, 2u);
    EXPECT_TRUE(message.payload.empty());
    EXPECT_EQ(stream.receives, receivesForFirst) << "the second message was received with the first";
}

TEST(MessageReader, KeepsAPartialMessageAcrossATimeout) {
    ScriptedStream stream;
    std::string wire = Wire(kCommandWrte, 7, "payload");
    stream.pieces.push_back(wire.substr(0, 26));
    MessageReader reader(stream);
    ReceivedMessage message;
    EXPECT_EQ(reader.Read(&message, kMaxPayload, 0), MessageReader::Result::kTimeout);
    EXPECT_FALSE(reader.Failed());
    stream.pieces.push_back(wire.substr(26));
    ASSERT_EQ(reader.Read(&message, kMaxPayload, 0), MessageReader::Result::kMessage);
    EXPECT_EQ(message.payload, "payload");
}

TEST(MessageReader, GivesUpOnTheStreamAfterABrokenOrOversizedHeader) {
    {
        ScriptedStream stream;
        std::string wire = Wire(kCommandOkay, 1, "");
        wire[20] ^= 1;  // the magic no longer matches
        stream.pieces.push_back(wire + Wire(kCommandOkay, 2, ""));
        MessageReader reader(stream);
        ReceivedMessage message;
        EXPECT_EQ(reader.Read(&message, kMaxPayload, 0), MessageReader::Result::kBadMagic);
        EXPECT_EQ(reader.Read(&message, kMaxPayload, 0), MessageReader::Result::kClosed);
    }
    {
        ScriptedStream stream;
        stream.pieces.push_back(Wire(kCommandWrte, 3, std::string(4097, 'x')));
        MessageReader reader(stream);
        ReceivedMessage message;
        ASSERT_EQ(reader.Read(&message, kMaxPayloadV1, 0), MessageReader::Result::kTooLarge);
        EXPECT_EQ(message.header.command, kCommandWrte);
        EXPECT_EQ(message.header.dataLength, 4097u);
        EXPECT_TRUE(reader.Failed());
        EXPECT_EQ(reader.Read(&message, kMaxPayload, 0), MessageReader::Result::kClosed);
    }
}

TEST(MessageReader, ReportsAClosedStreamOnceAndForAll) {
    ScriptedStream stream;
    stream.pieces.push_back(Wire(kCommandOkay, 1, "").substr(0, 10));
    stream.closeAtEnd = true;
    MessageReader reader(stream);
    ReceivedMessage message;
    EXPECT_EQ(reader.Read(&message, kMaxPayload, 1000), MessageReader::Result::kClosed);
    int receives = stream.receives;
    EXPECT_EQ(reader.Read(&message, kMaxPayload, 0), MessageReader::Result::kClosed);
    EXPECT_EQ(stream.receives, receives);
}

TEST(MessageReader, APassedDeadlineLooksOnceAndDoesNotKeepReceiving) {
    ScriptedStream stream;
    std::string message = Wire(kCommandWrte, 1, std::string(100, 'x'));
    for (char byte : message) {
        stream.pieces.emplace_back(1, byte);
    }
    MessageReader reader(stream);
    ReceivedMessage received;
    EXPECT_EQ(reader.Read(&received, kMaxPayload, 0), MessageReader::Result::kTimeout);
    EXPECT_EQ(stream.receives, 1);
    EXPECT_EQ(reader.Read(&received, kMaxPayload, 1000), MessageReader::Result::kMessage);
    EXPECT_EQ(received.payload, std::string(100, 'x'));
}

TEST(MessageReader, ShowsTheHeadersWaitingWithoutTakingThem) {
    ScriptedStream stream;
    std::string wire = Wire(kCommandOkay, 1, "") + Wire(kCommandWrte, 2, "abc") + Wire(kCommandWrte, 3, "long payload");
    stream.pieces.push_back(wire.substr(0, 24));
    // The last message's payload is cut short: its header counts, nothing beyond it is read.
    stream.pieces.push_back(wire.substr(24, wire.size() - 24 - 5));
    MessageReader reader(stream);
    ReceivedMessage message;
    ASSERT_EQ(reader.Read(&message, kMaxPayload, 0), MessageReader::Result::kMessage);
    EXPECT_TRUE(reader.BufferedHeaders().empty());
    reader.ReceiveAvailable();
    std::vector<MessageHeader> waiting = reader.BufferedHeaders();
    ASSERT_EQ(waiting.size(), 2u);
    EXPECT_EQ(waiting[0].arg0, 2u);
    EXPECT_EQ(waiting[1].arg0, 3u);
    ASSERT_EQ(reader.Read(&message, kMaxPayload, 0), MessageReader::Result::kMessage);
    EXPECT_EQ(message.payload, "abc");
    EXPECT_EQ(reader.Read(&message, kMaxPayload, 0), MessageReader::Result::kTimeout);
}

}  // namespace
}  // namespace adb

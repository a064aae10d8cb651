#include <gtest/gtest.h>

#include <string>

#include "adb/protocol/message.h"

namespace adb {
namespace {

std::string Bytes(const HeaderBytes& header) {
    return std::string(reinterpret_cast<const char*>(header.data()), header.size());
}

TEST(MessageHeader, CommandSpellsItsNameOnTheWireAndMagicIsItsComplement) {
    HeaderBytes bytes = EncodeHeader(MakeHeader(kCommandCnxn, 0x01000001, 0x100000, "host::", true));
    std::string wire = Bytes(bytes);
    EXPECT_EQ(wire.substr(0, 4), "CNXN");
    EXPECT_EQ(wire.substr(4, 4), std::string("\x01\x00\x00\x01", 4));
    EXPECT_EQ(wire.substr(8, 4), std::string("\x00\x00\x10\x00", 4));
    EXPECT_EQ(wire.substr(12, 4), std::string("\x06\x00\x00\x00", 4));
    // 'h'+'o'+'s'+'t'+':'+':' = 0x68+0x6f+0x73+0x74+0x3a+0x3a = 0x232
    EXPECT_EQ(wire.substr(16, 4), std::string("\x32\x02\x00\x00", 4));
    EXPECT_EQ(wire.substr(20, 4), std::string("\xbc\xb1\xa7\xb1", 4));
    for (uint32_t command : {kCommandAuth, kCommandOpen, kCommandOkay, kCommandClse, kCommandWrte, kCommandStls}) {
        std::string name(CommandName(command));
        EXPECT_EQ(Bytes(EncodeHeader(MakeHeader(command, 0, 0, {}, false))).substr(0, 4), name);
    }
}

TEST(MessageHeader, DecodesWhatItEncodesAndRefusesABrokenMagic) {
    MessageHeader header = MakeHeader(kCommandWrte, 7, 9, std::string(300, '\xff'), true);
    HeaderBytes bytes = EncodeHeader(header);
    std::optional<MessageHeader> decoded = DecodeHeader(bytes.data());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->command, kCommandWrte);
    EXPECT_EQ(decoded->arg0, 7u);
    EXPECT_EQ(decoded->arg1, 9u);
    EXPECT_EQ(decoded->dataLength, 300u);
    EXPECT_EQ(decoded->dataCheck, 300u * 255u);
    bytes[23] ^= 1;
    EXPECT_FALSE(DecodeHeader(bytes.data()));
}

TEST(MessageChecksum, IsAnUnsignedByteSumThatWrapsAndOnlyOldVersionsSendIt) {
    EXPECT_EQ(PayloadChecksum(""), 0u);
    EXPECT_EQ(PayloadChecksum(std::string("\x80\x80", 2)), 0x100u);  // bytes are unsigned
    EXPECT_EQ(MakeHeader(kCommandWrte, 1, 2, "abc", false).dataCheck, 0u);
    EXPECT_TRUE(SendsChecksum(kVersionMin));
    EXPECT_FALSE(SendsChecksum(kVersionSkipChecksum));
}

}  // namespace
}  // namespace adb

#include "install/client_text.h"

#include <gtest/gtest.h>

namespace {

TEST(IsUtf8Beyond7Bit, TellsTheMakersUtf8FromTheInterpretersAnsi) {
    // "连接被拒绝。" in UTF-8, as the makers' client writes Winsock's words into a pipe.
    EXPECT_TRUE(
        IsUtf8Beyond7Bit("cannot connect to 127.0.0.1:58526: \xE8\xBF\x9E\xE6\x8E\xA5\xE8\xA2\xAB\xE6\x8B\x92"
                         "\xE7\xBB\x9D\xE3\x80\x82 (10061)\r\n"));
    // The interpreter's GBK complaint and plain ASCII are left alone.
    EXPECT_FALSE(IsUtf8Beyond7Bit("\xCE\xDE\xB7\xA8\xBD\xAB \".\\adb.exe\" \xCA\xB6\xB1\xF0\r\n"));
    EXPECT_FALSE(IsUtf8Beyond7Bit("connected to 127.0.0.1:58526\r\n"));
}

TEST(IsUtf8, RefusesOverlongSurrogateAndCutSequences) {
    EXPECT_TRUE(IsUtf8("a\xC3\xA9\xF0\x9F\x98\x80"));
    EXPECT_FALSE(IsUtf8("\xC0\xAF"));          // overlong '/'
    EXPECT_FALSE(IsUtf8("\xED\xA0\x80"));      // a surrogate
    EXPECT_FALSE(IsUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
    EXPECT_FALSE(IsUtf8("\xE8\xBF"));          // cut short
    EXPECT_FALSE(IsUtf8("\x80"));
}

}  // namespace

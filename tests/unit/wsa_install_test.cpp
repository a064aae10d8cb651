#include "wsa/wsa_install.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Everything of the command line around the path: 29 bytes before it, 19 after.
const std::string kBefore = "powershell add-appxpackage \"'";
const std::string kAfter = "'\"\r\ntime out (5000)";
constexpr size_t kFixedLength = 48;

std::string Expected(const std::string& pathBody) {
    return kBefore + pathBody + kAfter;
}

TEST(BuildWsaInstallCommandLine, KeepsTheFixedTextByteForByte) {
    const std::string line = BuildWsaInstallCommandLine("C:\\wsa.Msixbundle");
    EXPECT_EQ(line, std::string("powershell add-appxpackage \"'C:\\wsa.Msixbundle'\"\x0D\x0Atime out (5000)"));
    EXPECT_EQ(kBefore.size() + kAfter.size(), kFixedLength);
    EXPECT_EQ(line.size(), std::string("C:\\wsa.Msixbundle").size() + kFixedLength);
    EXPECT_EQ(line.back(), ')');  // no CR LF after the closing text
}

TEST(BuildWsaInstallCommandLine, LeavesBlanksDollarsAndBackticksAsTheyAre) {
    EXPECT_EQ(BuildWsaInstallCommandLine("C:\\My Files\\wsa.Msixbundle"), Expected("C:\\My Files\\wsa.Msixbundle"));
    EXPECT_EQ(BuildWsaInstallCommandLine("D:\\$env:TEMP\\a`b\\x.Msixbundle"),
              Expected("D:\\$env:TEMP\\a`b\\x.Msixbundle"));
    // A box of blanks only is a path of blanks.
    EXPECT_EQ(BuildWsaInstallCommandLine("   "), Expected("   "));
    EXPECT_EQ(BuildWsaInstallCommandLine(""), Expected(""));
}

TEST(BuildWsaInstallCommandLine, DoublesEverySingleQuote) {
    EXPECT_EQ(BuildWsaInstallCommandLine("C:\\Bob's\\wsa.Msixbundle"), Expected("C:\\Bob''s\\wsa.Msixbundle"));
    EXPECT_EQ(BuildWsaInstallCommandLine("''"), Expected("''''"));
    EXPECT_EQ(BuildWsaInstallCommandLine("a'b'c").size(), 5 + kFixedLength + 2);
}

TEST(BuildWsaInstallCommandLine, DoublesTypographicSingleQuotes) {
    const std::string left = "\xA1\xAE";   // ‘
    const std::string right = "\xA1\xAF";  // ’
    const std::string path = "C:\\" + left + "x" + right + "\\wsa.Msixbundle";
    EXPECT_EQ(BuildWsaInstallCommandLine(path),
              Expected("C:\\" + left + left + "x" + right + right + "\\wsa.Msixbundle"));
    // The literal as the compiler writes it in GBK is the same character.
    EXPECT_EQ(std::string("’"), right);
    // Each doubled character adds itself once more: two bytes here.
    EXPECT_EQ(BuildWsaInstallCommandLine(path).size(), path.size() + kFixedLength + 4);
}

TEST(BuildWsaInstallCommandLine, KeepsChineseCharactersWhole) {
    const std::string path = "C:\\用户\\中文路径\\安装包.Msixbundle";
    EXPECT_EQ(path.substr(3, 4), "\xD3\xC3\xBB\xA7");  // GBK, not UTF-8
    EXPECT_EQ(BuildWsaInstallCommandLine(path), Expected(path));
}

TEST(BuildWsaInstallCommandLine, NeverMatchesAByteInsideAnotherCharacter) {
    // 啊 (B0 A1) then 畝 (AE 80): the bytes A1 AE straddle the two characters and are no quote.
    const std::string straddling = "\xB0\xA1\xAE\x80";
    EXPECT_EQ(BuildWsaInstallCommandLine(straddling), Expected(straddling));
    // Trail bytes that look like ASCII: 乣 (81 60, a backtick), 乗 (81 5C, a backslash), 亅 (81 7C, a bar).
    const std::string asciiTrails = "\x81\x60\x81\x5C\x81\x7C";
    EXPECT_EQ(BuildWsaInstallCommandLine(asciiTrails), Expected(asciiTrails));
    // A character whose trail byte is 0xA1, then a real ’: only the ’ is doubled.
    EXPECT_EQ(BuildWsaInstallCommandLine("\xB0\xA1\xA1\xAF"), Expected("\xB0\xA1\xA1\xAF\xA1\xAF"));
    // A lead byte with nothing after it stays as it is; the quote before it is still doubled.
    EXPECT_EQ(BuildWsaInstallCommandLine("'\xA1"), Expected("''\xA1"));
}

TEST(BuildWsaInstallCommandLine, QuoteAfterALoneLeadByteIsStillDoubled) {
    // 0x27 cannot be a trail byte: the stray lead byte stands alone and the quote is a quote.
    EXPECT_EQ(BuildWsaInstallCommandLine("\xA1'x"), Expected("\xA1''x"));
    EXPECT_EQ(BuildWsaInstallCommandLine("\xA1\xA1\xAF"), Expected("\xA1\xA1\xAF"));  // 　 then a stray AF
}

}  // namespace

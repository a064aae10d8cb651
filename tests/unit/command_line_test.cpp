#include "app/command_line.h"

#include <gtest/gtest.h>

using Args = std::vector<std::string>;

TEST(SplitArguments, SkipsQuotedProgramNameAndOneBlank) {
    EXPECT_EQ(SplitArguments("\"C:\\My Tools\\mossgate.exe\" \"C:\\Apps\\a b.apk\""), Args{"C:\\Apps\\a b.apk"});
    EXPECT_EQ(SplitArguments("\"C:\\x.exe\""), Args{});
    EXPECT_EQ(SplitArguments("\"C:\\unterminated.exe x"), Args{});
}

TEST(SplitArguments, SkipsPlainProgramNameUpToFirstBlank) {
    EXPECT_EQ(SplitArguments("mossgate.exe C:\\a.apk"), Args{"C:\\a.apk"});
    EXPECT_EQ(SplitArguments("mossgate.exe"), Args{});
    EXPECT_EQ(SplitArguments(""), Args{});
}

TEST(SplitArguments, UnquotedPathWithBlankGivesTwoArguments) {
    EXPECT_EQ(SplitArguments("p.exe C:\\My Apps\\x.apk second"), (Args{"C:\\My", "Apps\\x.apk", "second"}));
}

TEST(SplitArguments, SeparatorsAreBlanksTabsAndControlBytes) {
    EXPECT_EQ(SplitArguments("p.exe a\tb\x01"
                             "c  \r\n d"),
              (Args{"a", "b", "c", "d"}));
}

TEST(SplitArguments, QuoteInsidePlainArgumentStartsQuotedOne) {
    EXPECT_EQ(SplitArguments("p.exe a\"b c\"d"), (Args{"a", "b c", "d"}));
}

TEST(SplitArguments, AdjacentQuotesGiveEmptyArgument) {
    EXPECT_EQ(SplitArguments("p.exe \"\""), Args{""});
    EXPECT_EQ(SplitArguments("p.exe \"\" x"), (Args{"", "x"}));
}

TEST(SplitArguments, UnclosedQuoteRunsToTheEnd) {
    EXPECT_EQ(SplitArguments("p.exe \"a b"), Args{"a b"});
}

TEST(SplitArguments, KeepsGbkCharactersWhole) {
    // "安装包.apk" in GBK, quoted and plain.
    const std::string name = "\xB0\xB2\xD7\xB0\xB0\xFC.apk";
    EXPECT_EQ(SplitArguments("p.exe \"D:\\" + name + "\""), Args{"D:\\" + name});
    EXPECT_EQ(SplitArguments("p.exe D:\\" + name), Args{"D:\\" + name});
}

TEST(SplitArguments, LeadByteKeepsTrailByteThatLooksLikeBlankOrQuote) {
    EXPECT_EQ(SplitArguments("p.exe a\x81 b"), Args{"a\x81 b"});
    EXPECT_EQ(SplitArguments("p.exe a\x81\"b"), Args{"a\x81\"b"});
    EXPECT_EQ(SplitArguments("p.exe \"a\x81\" b\""), Args{"a\x81\" b"});
}

TEST(SplitArguments, LeadByteAtTheVeryEndIsDropped) {
    EXPECT_EQ(SplitArguments("p.exe ab\x81"), Args{"ab"});
    EXPECT_EQ(SplitArguments("p.exe \"ab\x81"), Args{"ab"});
}

TEST(SplitWideArguments, SplitsByTheSameRulesAndKeepsEveryCharacter) {
    using Wide = std::vector<std::wstring>;
    // A Hangul syllable and an emoji, which no ANSI code page holds.
    std::wstring path = L"C:\\# %.apk";
    path[3] = static_cast<wchar_t>(0xC571);
    path[5] = static_cast<wchar_t>(0x1F600);
    EXPECT_EQ(SplitWideArguments(L"\"C:\\My Tools\\m.exe\" \"" + path + L"\" x"), (Wide{path, L"x"}));
    EXPECT_EQ(SplitWideArguments(L"m.exe a\"b c\"d\t\"\""), (Wide{L"a", L"b c", L"d", L""}));
    EXPECT_EQ(SplitWideArguments(L"m.exe \"unterminated path"), Wide{L"unterminated path"});
    EXPECT_EQ(SplitWideArguments(L"m.exe"), Wide{});
}

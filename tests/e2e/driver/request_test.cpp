// The driver's plain parts, natively: reading requests, writing answers, the control names.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/driver/control_names.h"
#include "tests/e2e/driver/json_value.h"
#include "tests/e2e/driver/request.h"

namespace {

std::string U8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

TEST(ParseRequestLine, ReadsJsonArraysWithEscapesNumbersAndLiterals) {
    RequestLine line = ParseRequestLine(U8(u8R"( ["type", "编辑框4", "a \"b\"\\\n\t", 5, -0x1f, true, null] )"));
    ASSERT_EQ(line.error, "");
    std::vector<std::string> expected = {"type", U8(u8"编辑框4"), "a \"b\"\\\n\t", "5", "-0x1f", "true", ""};
    EXPECT_EQ(line.words, expected);
}

TEST(ParseRequestLine, JoinsSurrogatePairsAndReplacesLoneSurrogates) {
    RequestLine line = ParseRequestLine(R"(["\u4e2d\ud83d\ude00", "\ud83d!", "\u00e9"])");
    ASSERT_EQ(line.error, "");
    EXPECT_EQ(line.words[0], U8(u8"中\U0001F600"));
    EXPECT_EQ(line.words[1], U8(u8"\uFFFD!"));
    EXPECT_EQ(line.words[2], U8(u8"é"));
}

TEST(ParseRequestLine, RejectsBrokenJson) {
    EXPECT_NE(ParseRequestLine(R"(["gettext", "a)").error, "");
    EXPECT_NE(ParseRequestLine(R"(["gettext"] extra)").error, "");
    EXPECT_NE(ParseRequestLine(R"(["a" "b"])").error, "");
    EXPECT_NE(ParseRequestLine(R"(["\x"])").error, "");
    EXPECT_NE(ParseRequestLine("[").error, "");
    EXPECT_NE(ParseRequestLine("   ").error, "");
}

TEST(ParseRequestLine, SplitsWordsWithQuotesAndTheirEscapes) {
    RequestLine line = ParseRequestLine(U8(u8"settext  编辑框4 \"a b \\\"c\\\" \\\\ \\n\" C:\\x\\y \"\""));
    ASSERT_EQ(line.error, "");
    std::vector<std::string> expected = {"settext", U8(u8"编辑框4"), "a b \"c\" \\ \n", "C:\\x\\y", ""};
    EXPECT_EQ(line.words, expected);
    EXPECT_NE(ParseRequestLine("type x \"open").error, "");
}

TEST(Arguments, KeepsRequiredArgumentsPositionalEvenWhenTheyLookLikeOptions) {
    Arguments arguments = Arguments::Split({"type", "编辑框4", "a=b", "mode=post", "X=1", "7"}, 2);
    ASSERT_EQ(arguments.Count(), 4u);
    EXPECT_EQ(arguments.At(1), "a=b");
    EXPECT_EQ(arguments.At(2), "X=1");  // not an option: options are lowercase
    EXPECT_EQ(arguments.At(3), "7");
    EXPECT_EQ(arguments.Option("mode"), "post");
    EXPECT_EQ(arguments.Option("timeout", "5"), "5");
    EXPECT_EQ(arguments.OptionNames(), std::vector<std::string>{"mode"});
}

TEST(Arguments, IntegerOptionsAreCheckedNotGuessed) {
    Arguments arguments = Arguments::Split({"sync", "timeout=0x10", "settle=12ms"}, 0);
    EXPECT_EQ(arguments.IntOption("timeout", 1), 16);
    EXPECT_EQ(arguments.IntOption("settle", 1), std::nullopt);
    EXPECT_EQ(arguments.IntOption("absent", 42), 42);
}

TEST(ParseInteger, DecimalHexSignsAndGarbage) {
    EXPECT_EQ(ParseInteger("259"), 259);
    EXPECT_EQ(ParseInteger("-12"), -12);
    EXPECT_EQ(ParseInteger("0x1F"), 31);
    EXPECT_EQ(ParseInteger("0x"), std::nullopt);
    EXPECT_EQ(ParseInteger(""), std::nullopt);
    EXPECT_EQ(ParseInteger("12a"), std::nullopt);
    EXPECT_EQ(ParseInteger("99999999999999999999"), std::nullopt);
}

TEST(JsonValue, WritesAsciiOnlyWithEscapes) {
    JsonValue object = JsonValue::MakeObject();
    object.Set("text", U8(u8"中\"\\\n\U0001F600"))
        .Set("bad", std::string("a\xff"
                                "b"))
        .Set("n", -3);
    object.Set("list", JsonValue::Array{true, nullptr, 1.5});
    object.Set("n", 4);  // replaces, keeps the place
    EXPECT_EQ(object.Serialize(),
              R"({"text":"\u4e2d\"\\\n\ud83d\ude00","bad":"a\ufffdb","n":4,"list":[true,null,1.5]})");
    EXPECT_EQ(object.Find("n")->Serialize(), "4");
    EXPECT_EQ(object.Find("none"), nullptr);
}

TEST(JsonValue, EachInvalidUtf8SequenceBecomesOneReplacement) {
    EXPECT_EQ(JsonValue(std::string("\xe4\xb8")).Serialize(), R"("\ufffd")");  // cut short
    EXPECT_EQ(JsonValue(std::string("\xc0\xaf"
                                    "A"))
                  .Serialize(),
              R"("\ufffdA")");                                                     // overlong
    EXPECT_EQ(JsonValue(std::string("\xed\xa0\x80")).Serialize(), R"("\ufffd")");  // a surrogate
    EXPECT_EQ(JsonValue(std::string("\x80\xe4\xb8\xad")).Serialize(), R"("\ufffd\u4e2d")");
    EXPECT_EQ(JsonValue(std::string("\x01")).Serialize(), R"("\u0001")");
}

TEST(ControlNames, AreUtf8WhateverTheExecutionCharacterSet) {
    EXPECT_EQ(ControlIdFromName(U8(u8"编辑框4")), 204);
    EXPECT_EQ(ControlIdFromName(U8(u8"IP编辑框1")), 301);
    EXPECT_EQ(ControlIdFromName(U8(u8"选择夹1")), 701);
    EXPECT_EQ(ControlIdFromName("\xb1\xe0\xbc\xad\xbf\xf2"
                                "4"),
              std::nullopt);  // the GBK spelling
    EXPECT_EQ(ControlNameFromId(107), U8(u8"按钮7"));
    EXPECT_EQ(ControlNameFromId(999), "");
    EXPECT_EQ(ControlNames().size(), 30u);
}

}  // namespace

#include "base/ansi_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Characters(std::string_view text, LeadBytes rule) {
    std::vector<std::string> characters;
    ForEachCharacter(text, rule, [&](size_t at, size_t length) { characters.emplace_back(text.substr(at, length)); });
    return characters;
}

TEST(ForEachCharacter, TakesATrailByteThatLooksLikeASeparatorAlongWithItsLead) {
    // 乗 is 81 5C and 亅 is 81 7C: their trail bytes read as '\' and '|'.
    const std::vector<std::string> expected = {"a", "\x81\x5C", "\\", "\x81\x7C", "|"};
    EXPECT_EQ(Characters("a\x81\x5C\\\x81\x7C|", LeadBytes::Gbk), expected);
    EXPECT_EQ(Characters("a\x81\x5C\\\x81\x7C|", LeadBytes::AnyHighByte), expected);
}

TEST(ForEachCharacter, TheTwoRulesDifferOnlyAt0x80And0xFF) {
    // 0x80 and 0xFF lead a character on the command line, not in a file name.
    EXPECT_EQ(Characters("\x80\\", LeadBytes::AnyHighByte), std::vector<std::string>({"\x80\\"}));
    EXPECT_EQ(Characters("\x80\\", LeadBytes::Gbk), std::vector<std::string>({"\x80", "\\"}));
    EXPECT_EQ(Characters("\xFF|", LeadBytes::AnyHighByte), std::vector<std::string>({"\xFF|"}));
    EXPECT_EQ(Characters("\xFF|", LeadBytes::Gbk), std::vector<std::string>({"\xFF", "|"}));
    EXPECT_EQ(Characters("\xFE|", LeadBytes::Gbk), std::vector<std::string>({"\xFE|"}));
}

TEST(ForEachCharacter, ALeadByteAtTheEndStandsAlone) {
    EXPECT_EQ(Characters("ab\xB0", LeadBytes::Gbk), std::vector<std::string>({"a", "b", "\xB0"}));
    EXPECT_EQ(CharacterLength("\xB0", 0, LeadBytes::AnyHighByte), 1u);
    EXPECT_TRUE(Characters("", LeadBytes::Gbk).empty());
}

}  // namespace

#include "ui/file_dialog.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(SystemFilterList, EndsThePairsWithTwoNulsAndTurnsEveryPipeIntoANul) {
    EXPECT_EQ(ui::SystemFilterList("安装包(*.apk)|*.apk"), "安装包(*.apk)\0*.apk\0\0"s);
    EXPECT_EQ(ui::SystemFilterList("a|*.a|b|*.b"), "a\0*.a\0b\0*.b\0\0"s);
}

TEST(SystemFilterList, FilterEndingInTwoPipesIsPassedOnUnchanged) {
    EXPECT_EQ(ui::SystemFilterList("a|*.a||"), "a\0*.a\0\0"s);
}

TEST(SystemFilterList, OnePipeAtTheEndStillGetsTwoMore) {
    EXPECT_EQ(ui::SystemFilterList("a|*.a|"), "a\0*.a\0\0\0"s);
}

TEST(SystemFilterList, EmptyFilterGivesNoList) {
    EXPECT_EQ(ui::SystemFilterList(""), "");
}

// In GBK the byte 0x7C ('|') is also a trail byte: such a character stays whole.
TEST(SystemFilterList, KeepsGbkCharacterWhoseTrailByteIsAPipe) {
    EXPECT_EQ(ui::SystemFilterList("\x81\x7C|*.a"), "\x81\x7C\0*.a\0\0"s);
    // The filter ends in one separator after such a character, not in "||".
    EXPECT_EQ(ui::SystemFilterList("a|\x81\x7C|"), "a\0\x81\x7C\0\0\0"s);
}

}  // namespace

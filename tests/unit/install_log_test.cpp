#include "install/install_log.h"

#include <gtest/gtest.h>

#include <string>

namespace {

size_t Lines(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) +
           (text.empty() || text.back() == '\n' ? 0 : 1);
}

TEST(ShownText, LeavesWhatAClientNormallyPrintsAsItIs) {
    const std::string output =
        "Performing Streamed Install\r\nadb: failed to install C:\\\xB0\xB2.apk: Failure [X]\r\n";
    EXPECT_EQ(ShownText(output), output);
    EXPECT_EQ(ShownText(""), "");
    const std::string exactly(kShownHeadBytes + kShownTailBytes, 'x');
    std::string lines;
    while (lines.size() + 100 < exactly.size()) {
        lines += std::string(98, 'y') + "\r\n";
    }
    EXPECT_EQ(ShownText(lines), lines);
}

TEST(ShownText, KeepsTheBeginningAndTheEndOfAFloodAndSaysHowMuchWentMissing) {
    std::string flood;
    for (int i = 0; flood.size() < 1000000; ++i) {
        flood += "line " + std::to_string(i) + "\r\n";
    }
    flood += "Failure [INSTALL_FAILED_INVALID_APK]\r\n";
    const std::string shown = ShownText(flood);
    EXPECT_LE(shown.size(), kShownHeadBytes + kShownTailBytes + 200);
    EXPECT_EQ(shown.substr(0, 14), "line 0\r\nline 1");
    EXPECT_TRUE(shown.ends_with("Failure [INSTALL_FAILED_INVALID_APK]\r\n"));
    EXPECT_NE(shown.find("省略"), std::string::npos) << "the left-out part is named";
    // The tail starts at a line of its own.
    const size_t marker = shown.find("……（此处省略");
    ASSERT_NE(marker, std::string::npos);
    const size_t after = shown.find('\n', marker) + 1;
    EXPECT_EQ(shown.substr(after, 5), "line ");
}

TEST(ShownOutput, TakenChunkByChunkGivesTheSameAsAtOnceAndStaysBounded) {
    std::string whole;
    ShownOutput shown;
    for (int i = 0; i < 20000; ++i) {
        const std::string chunk = "chunk " + std::to_string(i) + (i % 7 == 0 ? "\r\n" : " ");
        whole += chunk;
        shown.Add(chunk);
    }
    EXPECT_EQ(shown.Text(), ShownText(whole));
    EXPECT_EQ(shown.TotalBytes(), whole.size());
}

TEST(CutLongLines, CutsAnEndlessLineWithoutSplittingADoubleByteCharacter) {
    std::string line;
    while (line.size() < 10000) {
        line += "\xB0\xB2";  // 安
    }
    const std::string cut = CutLongLines(line + "\r\nnext\r\n", 4001);
    // 4001 bytes would split a character: 4000 are kept.
    EXPECT_EQ(cut.substr(0, 4000), line.substr(0, 4000));
    EXPECT_TRUE(cut.substr(4000).starts_with("……"));
    EXPECT_TRUE(cut.ends_with("\r\nnext\r\n"));
    EXPECT_EQ(Lines(cut), 2u);
}

TEST(CutLongLines, PrefersToCutWhereAWordEnds) {
    std::string line;
    while (line.size() < 5000) {
        line += "word ";
    }
    // "word " repeated: the limit falls inside a word, the cut comes before the blank that starts it.
    const std::string cut = CutLongLines(line, 4002);
    EXPECT_EQ(cut.substr(0, 3999), line.substr(0, 3999));
    EXPECT_TRUE(cut.substr(3999).starts_with("……"));
}

TEST(BoxLogExcerpt, ShowsTheLastLinesWithoutLeadingEmptyOnes) {
    EXPECT_EQ(BoxLogExcerpt("\r\n\r\nconnected\r\nSuccess\r\n"), "connected\r\nSuccess\r\n");
    std::string log;
    for (int i = 0; i < 100; ++i) {
        log += "line " + std::to_string(i) + "\r\n";
    }
    const std::string excerpt = BoxLogExcerpt(log);
    EXPECT_EQ(Lines(excerpt), kBoxLogLines);
    EXPECT_TRUE(excerpt.starts_with("……（前 76 行略）……\r\nline 76\r\n"));
    EXPECT_TRUE(excerpt.ends_with("line 99\r\n"));
    EXPECT_LE(BoxLogExcerpt(std::string(100000, 'x')).size(), kBoxLineBytes + 100);
}

}  // namespace

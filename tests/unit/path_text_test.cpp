#include "base/path_text.h"

#include <gtest/gtest.h>

TEST(FolderOf, CutsBeforeTheLastSeparator) {
    EXPECT_EQ(FolderOf("C:\\Users\\me\\Documents\\MOSSGATE\\coolapk.apk"), "C:\\Users\\me\\Documents\\MOSSGATE");
    EXPECT_EQ(FolderOf("MOSSGATE\\WSAAPK.ico"), "MOSSGATE");
    EXPECT_EQ(FolderOf("a/b"), "a");
}

TEST(FolderOf, KeepsTheRootAndFallsBackToCurrentFolder) {
    EXPECT_EQ(FolderOf("C:\\adb.exe"), "C:\\");
    EXPECT_EQ(FolderOf("\\adb.exe"), "\\");
    EXPECT_EQ(FolderOf("adb.exe"), ".");
}

TEST(FolderOf, IgnoresBackslashThatIsAGbkTrailByte) {
    // 0x955C is one GBK character whose trail byte is a backslash.
    EXPECT_EQ(FolderOf("D:\\\x95\x5C.apk"), "D:\\");
}

TEST(LastPathSeparator, FindsTheLastRealSeparator) {
    EXPECT_EQ(LastPathSeparator("C:\\Tools\\\x81\x5C.exe"), 8u);
    EXPECT_EQ(LastPathSeparator("mossgate.exe"), std::string_view::npos);
    EXPECT_EQ(LastPathSeparator("a\\b\\"), 3u);
}

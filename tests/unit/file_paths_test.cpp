#include "install/file_paths.h"

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

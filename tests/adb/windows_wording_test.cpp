// The plain half of the Windows platform: how errors are worded and which part of a path names the file.
#include <gtest/gtest.h>

#include "adb/win/error_text.h"
#include "adb/win/package_file.h"

namespace adb {
namespace {

TEST(SocketErrorWording, TakesTheSystemsWordsWithoutTheirLineEnd) {
    EXPECT_EQ(WordSocketError(10061, "No connection could be made. \r\n"), "No connection could be made. (10061)");
}

TEST(SocketErrorWording, FallsBackToTheWindowsClientsWordsWhenTheSystemHasNone) {
    EXPECT_EQ(WordSocketError(kWinsockConnectionRefused, ""),
              "No connection could be made because the target machine actively refused it. (10061)");
    EXPECT_EQ(WordSocketError(kWinsockHostNotFound, "\r\n"), "No such host is known. (11001)");
    EXPECT_EQ(WordSocketError(10013, ""), "Winsock error (10013)");
}

TEST(FileErrorWording, SpeaksAsTheCLibraryForTheErrorsAUserMeets) {
    EXPECT_EQ(FileErrorText(kFileNotFound), "No such file or directory");
    EXPECT_EQ(FileErrorText(kPathNotFound), "No such file or directory");
    EXPECT_EQ(FileErrorText(kSharingViolation), "Permission denied");
    EXPECT_EQ(FileErrorText(kDiskFull), "No space left on device");
    EXPECT_EQ(FileErrorText(kFileNameTooLong), "File name too long");
    EXPECT_EQ(FileErrorText(kTooManyOpenFiles), "Too many open files");
    EXPECT_EQ(FileErrorText(kWriteProtect), "Read-only file system");
    EXPECT_EQ(FileErrorText(kNotADirectory), "Not a directory");
    EXPECT_EQ(FileErrorText(kReadFault), "Input/output error");
    EXPECT_EQ(FileErrorText(87), "error 87");
}

TEST(PackageFileName, IsWhatFollowsTheLastSeparatorOrDriveColon) {
    EXPECT_EQ(PackageFileName("C:\\Users\\me\\app.apk"), "app.apk");
    EXPECT_EQ(PackageFileName("downloads/app.apk.1"), "app.apk.1");
    EXPECT_EQ(PackageFileName("D:app.apk"), "app.apk");
    EXPECT_EQ(PackageFileName("app.apk"), "app.apk");
    EXPECT_EQ(PackageFileName("C:\\folder\\"), "");
}

TEST(PackageFileName, TakesAGbkTrailByteThatLooksLikeABackslashAsPartOfItsCharacter) {
    // "C:\目录\乗 应用.apk": the second byte of 乗 (0x81 0x5C) is a backslash.
    EXPECT_EQ(PackageFileName("C:\\\xc4\xbf\xc2\xbc\\\x81\x5c \xd3\xa6\xd3\xc3.apk"), "\x81\x5c \xd3\xa6\xd3\xc3.apk");
    // A lead byte at the very end stands alone.
    EXPECT_EQ(PackageFileName("dir\\\x81"), "\x81");
}

}  // namespace
}  // namespace adb

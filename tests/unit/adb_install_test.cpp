#include "install/adb_install.h"

#include <gtest/gtest.h>

TEST(InstallCommands, AreTheClientCommandsWithArgumentsUnchanged) {
    EXPECT_EQ(KillServerCommand(), ".\\adb.exe kill-server");
    EXPECT_EQ(ConnectCommand("127.0.0.1", "58526"), ".\\adb.exe connect 127.0.0.1:58526");
    EXPECT_EQ(ConnectCommand("", "58526"), ".\\adb.exe connect :58526");
    EXPECT_EQ(InstallCommand("C:\\My Apps\\\xB0\xB2\xD7\xB0.apk"), ".\\adb.exe install \"C:\\My Apps\\\xB0\xB2\xD7\xB0.apk\"");
    EXPECT_EQ(InstallCommand(""), ".\\adb.exe install \"\"");
}

TEST(IsValidPort, AcceptsOneToFiveDigitsFromOneTo65535) {
    for (const char* port : {"1", "80", "5555", "58526", "65535", "00080"}) {
        EXPECT_TRUE(IsValidPort(port)) << port;
    }
}

TEST(IsValidPort, RefusesAnythingTheInterpreterCouldTakeAsMore) {
    for (const char* port : {"", "0", "00000", "65536", "99999", "123456", "58526 & del x", " 5555", "5555 ",
                             "-1", "+80", "５５５５", "58526\"", "8080|x"}) {
        EXPECT_FALSE(IsValidPort(port)) << port;
    }
}

TEST(OutputSaysSuccess, NeedsALineThatIsExactlySuccess) {
    EXPECT_TRUE(OutputSaysSuccess("Performing Streamed Install\r\nSuccess\r\n"));
    EXPECT_TRUE(OutputSaysSuccess("Success"));
    EXPECT_TRUE(OutputSaysSuccess("a\nSuccess\n"));
    EXPECT_FALSE(OutputSaysSuccess(""));
    EXPECT_FALSE(OutputSaysSuccess("Performing Streamed Install\r\nadb: failed to install x.apk: Failure [X]\r\n"));
    EXPECT_FALSE(OutputSaysSuccess("Successful? no\r\n"));
    EXPECT_FALSE(OutputSaysSuccess(" Success\r\n"));
    EXPECT_FALSE(OutputSaysSuccess("'.\\adb.exe' is not recognized: Success\r\n"));
}

TEST(OutputSaysSuccess, AFailureAfterTheSuccessLineWins) {
    EXPECT_FALSE(OutputSaysSuccess("Success\r\nadb: failed to install x.apk: Failure [INSTALL_FAILED_INVALID_APK]\r\n"));
    EXPECT_FALSE(OutputSaysSuccess("Success\r\nFailure [INSTALL_FAILED_OLDER_SDK]\r\n"));
    EXPECT_TRUE(OutputSaysSuccess("Failure [X]\r\nretrying\r\nSuccess\r\n"));
    // A file name that reads like a failure is no verdict.
    EXPECT_TRUE(OutputSaysSuccess("Success\r\nC:\\Failure [1]\\a.apk: 1 file pushed\r\n"));
}

TEST(InstallSucceeded, NeedsExitStatusZeroAndTheSuccessVerdict) {
    const std::string success = "Performing Streamed Install\r\nSuccess\r\n";
    EXPECT_TRUE(InstallSucceeded({"", "", success, 0u}));
    EXPECT_FALSE(InstallSucceeded({"", "", success, 1u}));
    EXPECT_FALSE(InstallSucceeded({"", "", success, std::nullopt}));
    EXPECT_FALSE(InstallSucceeded({"", "", "Failure [X]\r\n", 0u}));
}

TEST(InstallLogText, JoinsTheThreeOutputsWithCrLf) {
    EXPECT_EQ(InstallLogText({"a\r\n", "", "c"}), "a\r\n\r\n\r\nc");
}

TEST(QuotedForInterpreter, PutsEveryPercentSignBetweenQuotedParts) {
    EXPECT_EQ(QuotedForInterpreter("C:\\a b\\x.apk"), "\"C:\\a b\\x.apk\"");
    EXPECT_EQ(QuotedForInterpreter("a%OS%b.apk"), "\"a\"%\"OS\"%\"b.apk\"");
    EXPECT_EQ(QuotedForInterpreter("%%"), "\"\"%\"\"%\"\"");
    EXPECT_EQ(InstallCommand("a%OS%b.apk"), ".\\adb.exe install \"a\"%\"OS\"%\"b.apk\"");
}

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

TEST(InstallSucceeded, NeedsALineThatIsExactlySuccess) {
    EXPECT_TRUE(InstallSucceeded("Performing Streamed Install\r\nSuccess\r\n"));
    EXPECT_TRUE(InstallSucceeded("Success"));
    EXPECT_TRUE(InstallSucceeded("a\nSuccess\n"));
    EXPECT_FALSE(InstallSucceeded(""));
    EXPECT_FALSE(InstallSucceeded("Performing Streamed Install\r\nadb: failed to install x.apk: Failure [X]\r\n"));
    EXPECT_FALSE(InstallSucceeded("Successful? no\r\n"));
    EXPECT_FALSE(InstallSucceeded(" Success\r\n"));
    EXPECT_FALSE(InstallSucceeded("'.\\adb.exe' is not recognized: Success\r\n"));
}

TEST(InstallLogText, JoinsTheThreeOutputsWithCrLf) {
    EXPECT_EQ(InstallLogText({"a\r\n", "", "c"}), "a\r\n\r\n\r\nc");
}

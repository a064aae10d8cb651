#include "install/adb_install.h"

#include <gtest/gtest.h>

TEST(InstallCommands, AreTheClientCommandsWithArgumentsUnchanged) {
    EXPECT_EQ(KillServerCommand(), ".\\adb.exe kill-server");
    EXPECT_EQ(ConnectCommand("127.0.0.1", "58526"), ".\\adb.exe connect 127.0.0.1:58526");
    EXPECT_EQ(ConnectCommand("", "58526"), ".\\adb.exe connect :58526");
    EXPECT_EQ(InstallCommand("C:\\My Apps\\\xB0\xB2\xD7\xB0.apk"),
              ".\\adb.exe install \"C:\\My Apps\\\xB0\xB2\xD7\xB0.apk\"");
    EXPECT_EQ(InstallCommand(""), ".\\adb.exe install \"\"");
}

TEST(IsValidPort, AcceptsOneToFiveDigitsFromOneTo65535) {
    for (const char* port : {"1", "80", "5555", "58526", "65535", "00080"}) {
        EXPECT_TRUE(IsValidPort(port)) << port;
    }
}

TEST(IsValidPort, RefusesAnythingTheInterpreterCouldTakeAsMore) {
    for (const char* port : {"", "0", "00000", "65536", "99999", "123456", "58526 & del x", " 5555", "5555 ", "-1",
                             "+80", "５５５５", "58526\"", "8080|x"}) {
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
    EXPECT_FALSE(
        OutputSaysSuccess("Success\r\nadb: failed to install x.apk: Failure [INSTALL_FAILED_INVALID_APK]\r\n"));
    EXPECT_FALSE(OutputSaysSuccess("Success\r\nFailure [INSTALL_FAILED_OLDER_SDK]\r\n"));
    EXPECT_TRUE(OutputSaysSuccess("Failure [X]\r\nretrying\r\nSuccess\r\n"));
    // A file name that reads like a failure is no verdict.
    EXPECT_TRUE(OutputSaysSuccess("Success\r\nC:\\Failure [1]\\a.apk: 1 file pushed\r\n"));
}

InstallOutputs Outputs(std::string install, std::optional<uint32_t> status, std::vector<StepOutput> pushes = {}) {
    InstallOutputs outputs;
    outputs.install = std::move(install);
    outputs.installStatus = status;
    outputs.pushes = std::move(pushes);
    return outputs;
}

TEST(InstallSucceeded, NeedsExitStatusZeroAndTheSuccessVerdictAndEveryPush) {
    const std::string success = "Performing Streamed Install\r\nSuccess\r\n";
    EXPECT_TRUE(InstallSucceeded(Outputs(success, 0u)));
    EXPECT_FALSE(InstallSucceeded(Outputs(success, 1u)));
    EXPECT_FALSE(InstallSucceeded(Outputs(success, std::nullopt)));
    EXPECT_FALSE(InstallSucceeded(Outputs("Failure [X]\r\n", 0u)));
    const StepOutput pushed{"1.obb: 1 file pushed, 0 skipped.\r\n", 0u};
    EXPECT_TRUE(InstallSucceeded(Outputs("Success\r\n", 0u, {pushed, pushed})));
    for (const std::optional<uint32_t> status : {std::optional<uint32_t>(1u), std::optional<uint32_t>()}) {
        EXPECT_FALSE(InstallSucceeded(Outputs("Success\r\n", 0u, {pushed, {"adb: error: ...", status}})));
    }
}

TEST(InstallLogText, JoinsTheOutputsWithCrLf) {
    InstallOutputs outputs = Outputs("c", 0u);
    outputs.killServer = "a\r\n";
    EXPECT_EQ(InstallLogText(outputs), "a\r\n\r\n\r\nc");
    outputs.pushes = {{"d", 0u}, {"e", 1u}};
    EXPECT_EQ(InstallLogText(outputs), "a\r\n\r\n\r\nc\r\nd\r\ne");
}

TEST(InstallCommands, BundlesInstallTogetherAndPushTheirObbFiles) {
    EXPECT_EQ(InstallMultipleCommand({"C:\\w\\1.apk", "C:\\w\\2.apk"}),
              ".\\adb.exe install-multiple \"C:\\w\\1.apk\" \"C:\\w\\2.apk\"");
    EXPECT_EQ(PushCommand("C:\\100%\\1.obb", "/sdcard/Android/obb/a.b/main.1.a.b.obb"),
              ".\\adb.exe push \"C:\\100\"%\"\\1.obb\" \"/sdcard/Android/obb/a.b/main.1.a.b.obb\"");
}

TEST(QuotedForInterpreter, PutsEveryPercentSignBetweenQuotedParts) {
    EXPECT_EQ(QuotedForInterpreter("C:\\a b\\x.apk"), "\"C:\\a b\\x.apk\"");
    EXPECT_EQ(QuotedForInterpreter("a%OS%b.apk"), "\"a\"%\"OS\"%\"b.apk\"");
    EXPECT_EQ(QuotedForInterpreter("%%"), "\"\"%\"\"%\"\"");
    EXPECT_EQ(InstallCommand("a%OS%b.apk"), ".\\adb.exe install \"a\"%\"OS\"%\"b.apk\"");
}

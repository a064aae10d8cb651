#include <gtest/gtest.h>

#include "adb/client/connect_target.h"
#include "adb/client/file_push.h"
#include "adb/client/split_installer.h"
#include "adb/protocol/install_service.h"
#include "adb/protocol/sync_framing.h"

namespace adb {
namespace {

TEST(StreamedInstallService, AbbExecJoinsArgumentsWithNul) {
    using namespace std::string_literals;
    std::string expected = "abb_exec:package\0install\0-r\0-S\0"s + "253";
    EXPECT_EQ(StreamedInstallService(InstallMethod::kAbbExec, {"-r"}, 253), expected);
}

TEST(StreamedInstallService, ExecCmdQuotesEachUserArgument) {
    EXPECT_EQ(StreamedInstallService(InstallMethod::kExecCmd, {}, 30000000), "exec:cmd package 'install' -S 30000000");
    EXPECT_EQ(StreamedInstallService(InstallMethod::kExecCmd, {"-r", "it's"}, 5),
              "exec:cmd package 'install' '-r' 'it'\\''s' -S 5");
}

TEST(PushInstall, UsesTheFileNameUnderDataLocalTmpQuotedForTheShell) {
    EXPECT_EQ(PushTargetPath("C:\\Users\\me\\Downloads\\x.apk.1"), "/data/local/tmp/x.apk.1");
    EXPECT_EQ(PushTargetPath("dir/sub/a b.apk"), "/data/local/tmp/a b.apk");
    EXPECT_EQ(PmInstallCommand({}, "/data/local/tmp/a b.apk"), "pm 'install' '/data/local/tmp/a b.apk'");
    EXPECT_EQ(RemoveFileCommand("/data/local/tmp/o'k.apk"), "rm '/data/local/tmp/o'\\''k.apk' </dev/null");
    EXPECT_EQ(ShellService(ParseBanner("device::features=shell_v2"), "ls"), "shell,v2,raw:ls");
    EXPECT_EQ(ShellService(ParseBanner("device::features=cmd"), "ls"), "shell:ls");
}

TEST(InstallSession, MethodFollowsTheDevicesFeatures) {
    EXPECT_EQ(ChooseSessionMethod(ParseBanner("device::features=cmd,abb_exec")), SessionMethod::kAbbExec);
    EXPECT_EQ(ChooseSessionMethod(ParseBanner("device::features=cmd,shell_v2")), SessionMethod::kExecCmd);
    EXPECT_EQ(ChooseSessionMethod(ParseBanner("device::ro.product.name=old;")), SessionMethod::kExecPm);
}

std::string JoinedByNul(const std::vector<std::string>& words) {
    std::string joined;
    for (const std::string& word : words) {
        joined += (joined.empty() ? "" : std::string(1, '\0')) + word;
    }
    return joined;
}

TEST(InstallSession, ServicesQuoteOnlyTheUsersOptionsForTheShell) {
    EXPECT_EQ(SessionCreateService(SessionMethod::kAbbExec, {"-r", "it's"}, 300),
              JoinedByNul({"abb_exec:package", "install-create", "-S", "300", "-r", "it's"}));
    EXPECT_EQ(SessionCreateService(SessionMethod::kExecCmd, {"-r", "it's"}, 300),
              "exec:cmd package install-create -S 300 '-r' 'it'\\''s'");
    EXPECT_EQ(SessionCreateService(SessionMethod::kExecPm, {}, 7), "exec:pm install-create -S 7");
    EXPECT_EQ(SessionWriteService(SessionMethod::kAbbExec, 100, 2000000001, "0_base.apk"),
              JoinedByNul({"abb_exec:package", "install-write", "-S", "100", "2000000001", "0_base.apk", "-"}));
    EXPECT_EQ(SessionWriteService(SessionMethod::kExecCmd, 100, 5, "1_a.apk"),
              "exec:cmd package install-write -S 100 5 1_a.apk -");
    EXPECT_EQ(SessionService(SessionMethod::kExecPm, "install-commit", 5), "exec:pm install-commit 5");
    EXPECT_EQ(SessionService(SessionMethod::kAbbExec, "install-abandon", 5),
              JoinedByNul({"abb_exec:package", "install-abandon", "5"}));
    EXPECT_EQ(PmSessionCommand("install-commit", 5), "pm install-commit 5");
}

TEST(InstallSession, IdIsTheNumberInTheLastBracketsOfASuccess) {
    EXPECT_EQ(ParseSessionId("Success: created install session [1234567890]\n"), 1234567890u);
    EXPECT_EQ(ParseSessionId("Success: [7] then [2147483647]"), 2147483647u);
    EXPECT_FALSE(ParseSessionId("Success: created install session [2147483648]"));
    EXPECT_FALSE(ParseSessionId("Success: created install session [99999999999999999999]"));
    EXPECT_FALSE(ParseSessionId("Failure [INSTALL_FAILED_ABORTED]"));
    EXPECT_FALSE(ParseSessionId(" Success [12]"));
    EXPECT_FALSE(ParseSessionId("Success: []"));
    EXPECT_FALSE(ParseSessionId("Success: [-3]"));
    EXPECT_FALSE(ParseSessionId("Success: ]12["));
    EXPECT_FALSE(ParseSessionId("Success: [12"));
}

TEST(InstallSession, FileNamesBecomeSafeAsciiNamesNumberedInOrder) {
    EXPECT_EQ(SplitName(0, "base.apk"), "0_base.apk");
    EXPECT_EQ(SplitName(1, "split_config.arm64-v8a.apk"), "1_split_config.arm64-v8a.apk");
    EXPECT_EQ(SplitName(2, "\xe4\xb9\x97 \xe5\xba\x94\xe7\x94\xa8.apk"), "2__.apk");
    EXPECT_EQ(SplitName(3, "it's a 'name'.apk"), "3_it_s_a_name_.apk");
    std::string longName = SplitName(12, std::string(300, 'x') + ".apk");
    EXPECT_EQ(longName.size(), kSplitNameMax);
    EXPECT_EQ(longName.substr(0, 4), "12_x");
    EXPECT_EQ(longName.substr(longName.size() - 5), "x.apk");
}

TEST(InstallMultipleArguments, TrailingPackagesAreFilesAndTheRestGoesToThePackageManager) {
    InstallMultipleArguments parsed = ParseInstallMultipleArguments({"-r", "-i", "x.apk.1", "A.APK", "b.apk"});
    EXPECT_EQ(parsed.options, (std::vector<std::string>{"-r", "-i", "x.apk.1"}));
    EXPECT_EQ(parsed.files, (std::vector<std::string>{"A.APK", "b.apk"}));
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(ParseInstallMultipleArguments({"-r", "notes.txt"}).error, "need APK file on command line");
    EXPECT_EQ(ParseInstallMultipleArguments({"m.apex", "b.apk"}).error,
              "APEX packages are not compatible with install-multiple");
}

TEST(PushTarget, AFolderGetsTheFilesOwnName) {
    EXPECT_EQ(PushTarget("/sdcard/Android/obb/p/main.1.p.obb", "x.obb"), "/sdcard/Android/obb/p/main.1.p.obb");
    EXPECT_EQ(PushTarget("/sdcard/Download/", "x.obb"), "/sdcard/Download/x.obb");
}

TEST(SyncFraming, SendRequestCarriesPathAndDecimalMode) {
    std::string request = SyncSendRequest("/data/local/tmp/a.apk", 0100644);
    EXPECT_EQ(request.substr(0, 4), "SEND");
    std::string argument = "/data/local/tmp/a.apk,33188";
    EXPECT_EQ(ParseSyncHeader(request).value, argument.size());
    EXPECT_EQ(request.substr(8), argument);
    EXPECT_EQ(SyncPacket("DATA", 65536), std::string("DATA\0\0\1\0", 8));
}

TEST(ShellPacketReader, ReassemblesPacketsSplitAnywhere) {
    std::string stream = ShellPacket(ShellPacketId::kStdout, "Success\n") + ShellPacket(ShellPacketId::kExit, "\x01");
    ShellPacketReader reader;
    std::string out;
    int exitCode = -1;
    for (char c : stream) {
        reader.Append(std::string(1, c));
        while (auto packet = reader.Next()) {
            if (packet->id == ShellPacketId::kStdout) {
                out += packet->data;
            } else if (packet->id == ShellPacketId::kExit) {
                exitCode = packet->data[0];
            }
        }
    }
    EXPECT_EQ(out, "Success\n");
    EXPECT_EQ(exitCode, 1);
}

TEST(ParseConnectTarget, DefaultsThePortAndKeepsTheSerialAsTyped) {
    auto target = ParseConnectTarget("127.0.0.1:58526", 5555);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->host, "127.0.0.1");
    EXPECT_EQ(target->port, 58526);
    EXPECT_EQ(target->serial, "127.0.0.1:58526");
    EXPECT_EQ(ParseConnectTarget("localhost", 5555)->serial, "localhost:5555");
    EXPECT_EQ(ParseConnectTarget("[::1]:6000", 5555)->host, "::1");
    EXPECT_EQ(ParseConnectTarget("::1", 5555)->serial, "[::1]:5555");
    EXPECT_EQ(ParseConnectTarget(":58526", 5555)->host, "");  // a blank address box
    EXPECT_FALSE(ParseConnectTarget("127.0.0.1:", 5555));
    EXPECT_FALSE(ParseConnectTarget("127.0.0.1:0", 5555));
    EXPECT_FALSE(ParseConnectTarget("127.0.0.1:65536", 5555));
    EXPECT_FALSE(ParseConnectTarget("127.0.0.1:5x", 5555));
}

TEST(DeviceList, DropsBlanksAndDuplicates) {
    EXPECT_EQ(ParseDeviceList("a:1\r\n\n  b:2 \na:1\n"), (std::vector<std::string>{"a:1", "b:2"}));
    EXPECT_EQ(ParseDeviceList(FormatDeviceList({"x:5", "y:6"})), (std::vector<std::string>{"x:5", "y:6"}));
    EXPECT_TRUE(ParseDeviceList("").empty());
}

}  // namespace
}  // namespace adb

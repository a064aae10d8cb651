#include <gtest/gtest.h>

#include "adb/client/connect_target.h"
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

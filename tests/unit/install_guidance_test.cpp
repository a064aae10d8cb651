#include "install/install_guidance.h"

#include <gtest/gtest.h>

#include <string>

namespace {

HintContext Wsa(std::string path = "C:\\apps\\a.apk") {
    return {std::move(path), "127.0.0.1", "58526", std::nullopt, "", std::nullopt};
}

bool Says(const std::string& hint, const std::string& words) {
    return hint.starts_with("提示：") && hint.find(words) != std::string::npos;
}

// Real client texts: ours, Debian's adb 29, and the makers' Windows client (adb.exe: prefix, Winsock words).
TEST(InstallHint, RefusedOnLoopbackMeansWsaIsNotRunningAndNamesTheReservedPortCommands) {
    for (const char* log : {
             "\r\ncannot connect to 127.0.0.1:58526: 连接被拒绝。 (10061)\r\n\r\nadb: no devices/emulators found\r\n",
             "cannot connect to 127.0.0.1:58526: No connection could be made because the target machine actively "
             "refused it. (10061)\r\nadb.exe: no devices/emulators found\r\n",
             "cannot connect to 127.0.0.1:58526: 由于目标计算机积极拒绝，无法连接。 (10061)\r\n",
             "failed to connect to '127.0.0.1:58526': Connection refused\nerror: no devices/emulators found\n",
         }) {
        const std::string hint = InstallHint(log, Wsa());
        EXPECT_TRUE(Says(hint, "请先启动 WSA")) << log;
        EXPECT_TRUE(Says(hint, "开发人员模式")) << log;
        EXPECT_TRUE(Says(hint, "netsh int ipv4 add excludedportrange protocol=tcp startport=58526 numberofports=1"))
            << log;
        EXPECT_TRUE(Says(hint, "netsh interface ipv4 show excludedportrange protocol=tcp")) << log;
    }
    // The port the client tried is the one to reserve.
    EXPECT_TRUE(Says(InstallHint("cannot connect to localhost:5555: x (10061)\r\n", Wsa()), "startport=5555 "));
}

TEST(InstallHint, RefusedOrSilentElsewhereAsksToCheckTheAddress) {
    HintContext remote = Wsa();
    remote.host = "192.168.1.9";
    const std::string refused = InstallHint("cannot connect to 192.168.1.9:5555: 连接被拒绝。 (10061)\r\n", remote);
    EXPECT_TRUE(Says(refused, "请检查 IP 地址和端口")) << refused;
    EXPECT_FALSE(Says(refused, "netsh"));
    for (const char* log : {
             "cannot connect to 10.0.0.1:58526: A connection attempt failed because the connected party did not "
             "properly respond after a period of time. (10060)\r\n",
             "cannot connect to 10.0.0.1:58526: Error 317 while retrieving message for error 10065 (10065)\r\n",
             "failed to connect to 127.0.0.1:58526\r\n",
         }) {
        EXPECT_TRUE(Says(InstallHint(log, remote), "连接没有回应")) << log;
    }
}

TEST(InstallHint, UnauthorizedAsksToAllowDebuggingAndTickAlwaysAllow) {
    for (
        const char* log : {
            "failed to authenticate to 127.0.0.1:58526\r\n\r\nadb: device unauthorized.\r\n",
            "already connected to 127.0.0.1:58526\r\nadb.exe: device unauthorized.\nThis adb server's $ADB_VENDOR_KEYS "
            "is not set\nTry 'adb kill-server' if that seems wrong.\nOtherwise check for a confirmation dialog on your "
            "device.\n",
        }) {
        const std::string hint = InstallHint(log, Wsa());
        EXPECT_TRUE(Says(hint, "一律允许使用这台计算机进行调试")) << log;
        EXPECT_TRUE(Says(hint, "再安装一次")) << log;
    }
}

TEST(InstallHint, DevicesMissingOrSeveral) {
    EXPECT_TRUE(Says(InstallHint("connected to 127.0.0.1:58526\r\nadb.exe: more than one device/emulator\r\n", Wsa()),
                     "不止一个"));
    EXPECT_TRUE(Says(InstallHint("error: device '127.0.0.1:1' not found\n", Wsa()), "没有连上 WSA"));
    EXPECT_TRUE(Says(InstallHint("adb.exe: device offline\r\n", Wsa()), "没有连上 WSA"));
}

TEST(InstallHint, MissingFileNamesThePathAndAnEmptyBoxSaysSo) {
    const std::string missing = InstallHint(
        "connected to 127.0.0.1:58526\r\nadb: failed to stat C:\\apps\\a.apk: No such file or directory\r\n", Wsa());
    EXPECT_TRUE(Says(missing, "“C:\\apps\\a.apk”")) << missing;
    EXPECT_TRUE(Says(InstallHint("adb: failed to stat : No such file or directory\r\n", Wsa("")), "路径是空的"));
    // A file of the client's own that is missing is not the package.
    const std::string own = InstallHint(
        "adb: cannot write Z:\\home\\.android\\mossgate-devices: No such file or directory\r\n"
        "connected to 127.0.0.1:58526\r\nadb: no devices/emulators found\r\n",
        Wsa());
    EXPECT_FALSE(Says(own, "读不到安装包")) << own;
}

TEST(InstallHint, MissingClientMeansTheToolsCouldNotBeWritten) {
    for (const char* log : {
             "无法将 \".\\adb.exe kill-server\" 识别为内部或外部命令，或者批处理脚本。\r\n",
             "'.\\adb.exe' 不是内部或外部命令，也不是可运行的程序\r\n或批处理文件。\r\n",
             "'.\\adb.exe' is not recognized as an internal or external command,\r\noperable program or batch "
             "file.\r\n",
         }) {
        EXPECT_TRUE(Says(InstallHint(log, Wsa()), "移到一个你能写入的")) << log;
    }
}

TEST(InstallHint, FailureCodesGetTheirMeaningAndRemedy) {
    const struct {
        const char* line;
        const char* words;
    } cases[] = {
        {"adb: failed to install C:\\apps\\a.apk: Failure [INSTALL_FAILED_VERSION_DOWNGRADE: Downgrade detected]",
         "不能直接降级"},
        {"adb.exe: failed to install C:\\apps\\a.apk: Failure [INSTALL_FAILED_UPDATE_INCOMPATIBLE: Existing package "
         "x signatures do not match newer version; ignoring!]",
         "签名不同"},
        {"Failure [INSTALL_PARSE_FAILED_NO_CERTIFICATES: No signature found]", "没有有效的签名"},
        {"Failure [INSTALL_FAILED_OLDER_SDK: Requires newer sdk version #34 (current version is #33)]",
         "更新的安卓版本"},
        {"Failure [INSTALL_FAILED_MISSING_SPLIT: Missing split for x]", "分包"},
        {"Failure [INSTALL_FAILED_NO_MATCHING_ABIS: Failed to extract native libraries, res=-113]", "架构"},
        {"Failure [INSTALL_FAILED_INSUFFICIENT_STORAGE]", "存储空间不够"},
        {"Failure [INSTALL_FAILED_TEST_ONLY]", "仅供测试"},
        {"Failure [INSTALL_FAILED_USER_RESTRICTED: Install canceled by user]", "允许通过 USB 安装"},
        {"Failure [INSTALL_FAILED_ALREADY_EXISTS]", "已经装在"},
        {"Failure [INSTALL_FAILED_INVALID_APK: Split null was defined multiple times]", "无效"},
    };
    for (const auto& c : cases) {
        const std::string log = std::string("Performing Streamed Install\r\n") + c.line + "\r\n";
        EXPECT_TRUE(Says(InstallHint(log, Wsa()), c.words)) << c.line;
    }
    // A code the table does not know, or a number, is named in a general line.
    EXPECT_TRUE(
        Says(InstallHint("Failure [INSTALL_FAILED_VENDOR_THING: x]\r\n", Wsa()), "INSTALL_FAILED_VENDOR_THING"));
    EXPECT_TRUE(Says(InstallHint("Failure [-124: x]\r\n", Wsa()), "-124"));
}

TEST(InstallHint, ThePackagesOwnIdentityMakesTwoHintsConcrete) {
    HintContext context = Wsa();
    context.minSdk = 34;
    context.versionName = "2.1";
    context.versionCode = 210;
    EXPECT_TRUE(Says(InstallHint("Failure [INSTALL_FAILED_OLDER_SDK]\r\n", context), "至少需要安卓 API 34"));
    EXPECT_TRUE(Says(InstallHint("Failure [INSTALL_FAILED_VERSION_DOWNGRADE]\r\n", context), "2.1（版本号 210）"));
}

TEST(InstallHint, WordsInThePackagePathAreNoMessage) {
    // Folders named like client words: only the real failure counts.
    const std::string path = "C:\\unauthorized\\Failure [x]\\No such file\\a.apk";
    const std::string log = "connected to 127.0.0.1:58526\r\nadb: failed to install " + path +
                            ": Failure [INSTALL_FAILED_INSUFFICIENT_STORAGE]\r\n";
    EXPECT_TRUE(Says(InstallHint(log, Wsa(path)), "存储空间不够")) << InstallHint(log, Wsa(path));
    EXPECT_EQ(FailureCode("installing C:\\Failure [1]\\a.apk\r\n"), std::nullopt);
    // A path that is part of the stand-in text it is replaced with still ends.
    EXPECT_TRUE(Says(InstallHint("package p: Failure [INSTALL_FAILED_TEST_ONLY]\r\n", Wsa("p")), "仅供测试"));
}

TEST(InstallHint, AnythingElseGetsTheGeneralParagraph) {
    EXPECT_TRUE(Says(InstallHint("something odd\r\n", Wsa()), "安装没有成功"));
}

TEST(RefusedOnLoopback, OnlyARefusalToThisMachineCounts) {
    EXPECT_TRUE(RefusedOnLoopback("cannot connect to 127.0.0.1:58526: 连接被拒绝。 (10061)\r\n", "127.0.0.1"));
    EXPECT_TRUE(RefusedOnLoopback("cannot connect to localhost:58526: x (10061)\r\n", "localhost"));
    EXPECT_FALSE(RefusedOnLoopback("cannot connect to 10.0.0.2:58526: x (10061)\r\n", "10.0.0.2"));
    EXPECT_FALSE(RefusedOnLoopback("connected to 127.0.0.1:58526\r\n", "127.0.0.1"));
    EXPECT_FALSE(RefusedOnLoopback("cannot connect to 127.0.0.1:58526: x (10060)\r\n", "127.0.0.1"));
}

}  // namespace

#include "install/install_queue.h"

#include <gtest/gtest.h>

namespace {

QueuedResult Result(std::string file, bool succeeded, std::string shown = "", std::string hint = "") {
    QueuedResult result;
    result.fileName = std::move(file);
    result.shownName = std::move(shown);
    result.succeeded = succeeded;
    result.hint = std::move(hint);
    result.log = "\r\nconnected\r\nadb: failed\r\n";
    return result;
}

TEST(InstallQueue, HeaderLinesNameThePlaceAndThePackage) {
    EXPECT_EQ(QueueHeaderLine(2, 3, Result("app.apk", false)), "【2/3】 app.apk");
    EXPECT_EQ(QueueHeaderLine(1, 2, Result("a.xapk", false, "商店 1.0")), "【1/2】 商店 1.0（a.xapk）");
}

TEST(InstallQueue, SummaryCountsAndNamesTheFailures) {
    EXPECT_EQ(QueueSummaryLine({Result("a.apk", true), Result("b.apk", true)}), "共 2 个安装包，全部安装成功。");
    EXPECT_EQ(QueueSummaryLine({Result("a.apk", true), Result("b.apk", false), Result("c.apk", false)}),
              "共 3 个安装包：1 个安装成功，2 个失败（b.apk、c.apk）。");
}

TEST(InstallQueue, OnePackageGivesTheBoxOfASingleInstall) {
    EXPECT_EQ(CommandLineBoxText({Result("a.apk", true)}), "安装成功");
    EXPECT_EQ(CommandLineBoxText({Result("a.apk", false, "", "提示：启动 WSA。")}),
              "安装失败\r\n\r\n提示：启动 WSA。\r\n\r\nconnected\r\nadb: failed\r\n");
}

TEST(InstallQueue, SeveralPackagesGetALineEachAndTheAdviceOfEachFailure) {
    EXPECT_EQ(CommandLineBoxText({Result("a.apk", true, "商店 1.0"), Result("b.apk", true)}),
              "安装成功\r\n\r\n商店 1.0（a.apk）\r\nb.apk");
    const std::string failed = CommandLineBoxText(
        {Result("a.apk", true), Result("b.apk", false, "", "提示：换一个版本。"), Result("c.apks", false)});
    EXPECT_EQ(failed,
              "安装失败\r\n\r\n成功：a.apk\r\n失败：b.apk\r\n失败：c.apks\r\n\r\nb.apk\r\n提示：换一个版本。"
              "\r\n\r\nc.apks\r\nconnected\r\nadb: failed\r\n");
}

}  // namespace

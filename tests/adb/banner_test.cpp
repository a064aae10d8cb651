#include <gtest/gtest.h>

#include "adb/protocol/banner.h"
#include "adb/protocol/install_service.h"

namespace adb {
namespace {

TEST(ParseBanner, ReadsTodaysDeviceBanner) {
    Banner banner = ParseBanner(
        "device::ro.product.name=windows_x86_64;ro.product.model=Subsystem for Android(TM);"
        "ro.product.device=windows_x86_64;features=shell_v2,cmd,abb_exec");
    EXPECT_EQ(banner.systemType, "device");
    EXPECT_EQ(banner.properties["ro.product.model"], "Subsystem for Android(TM)");
    EXPECT_EQ(banner.properties["ro.product.device"], "windows_x86_64");
    EXPECT_TRUE(banner.Has("cmd"));
    EXPECT_TRUE(banner.Has("abb_exec"));
    EXPECT_FALSE(banner.Has("abb"));
}

TEST(ParseBanner, ReadsTheOldFormWithTrailingSeparatorsAndNul) {
    std::string old = "device::ro.product.name=sim;ro.product.model=Old;ro.product.device=sim;";
    old += '\0';
    Banner banner = ParseBanner(old);
    EXPECT_EQ(banner.systemType, "device");
    EXPECT_EQ(banner.properties.size(), 3u);
    EXPECT_EQ(banner.properties["ro.product.device"], "sim");
    EXPECT_TRUE(banner.features.empty());
}

TEST(ParseBanner, ToleratesMissingPiecesAndBrokenItems) {
    EXPECT_EQ(ParseBanner("recovery").systemType, "recovery");
    EXPECT_TRUE(ParseBanner("device:serial").properties.empty());
    Banner banner = ParseBanner("device::junk;;features=,cmd,;a=b=c");
    EXPECT_EQ(banner.features, std::set<std::string>{"cmd"});
    EXPECT_EQ(banner.properties["a"], "b=c");
}

TEST(HostBanner, ListsOurFeaturesWithoutDelayedAck) {
    std::string banner = HostBanner(ClientFeatures());
    EXPECT_EQ(banner.rfind("host::features=", 0), 0u);
    Banner parsed = ParseBanner(banner);
    EXPECT_EQ(parsed.features, ClientFeatures());
    EXPECT_FALSE(parsed.Has("delayed_ack"));
    EXPECT_LE(banner.size(), 4096u);
}

TEST(ChooseInstallMethod, FollowsTheFeaturesBothSidesHave) {
    EXPECT_EQ(ChooseInstallMethod(ParseBanner("device::features=cmd,abb_exec")), InstallMethod::kAbbExec);
    EXPECT_EQ(ChooseInstallMethod(ParseBanner("device::features=cmd,shell_v2")), InstallMethod::kExecCmd);
    EXPECT_EQ(ChooseInstallMethod(ParseBanner("device::features=abb_exec,shell_v2")), InstallMethod::kPush);
    EXPECT_EQ(ChooseInstallMethod(ParseBanner("device::ro.product.name=x;")), InstallMethod::kPush);
}

}  // namespace
}  // namespace adb

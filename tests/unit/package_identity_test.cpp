#include "install/package_identity.h"

#include <iconv.h>

#include <gtest/gtest.h>

#include "install/zip_entries_minizip.h"

namespace {

// Texts of the packages are UTF-8; the sources' plain literals are compiled to GBK.
std::string Utf8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

std::string Gbk(std::string_view utf8) {
    iconv_t convert = iconv_open("GBK", "UTF-8");
    std::string in(utf8);
    std::string out(in.size() * 2 + 4, '\0');
    char* from = in.data();
    char* to = out.data();
    size_t fromLeft = in.size();
    size_t toLeft = out.size();
    (void)iconv(convert, &from, &fromLeft, &to, &toLeft);
    iconv_close(convert);
    out.resize(out.size() - toLeft);
    return out;
}

std::optional<PackageIdentity> IdentityOf(const std::string& name) {
    std::unique_ptr<ZipEntries> archive = OpenZipFile(name.front() == '/' ? name : IDENTITY_PACKAGES "/" + name);
    return archive ? ReadPackageIdentity(*archive) : std::nullopt;
}

TEST(ReadPackageIdentity, PlatformFrameworkWithItsLabelFromTheResourceTable) {
    const auto identity = IdentityOf("/usr/share/android-framework-res/framework-res.apk");
    ASSERT_TRUE(identity);
    EXPECT_EQ(identity->packageName, "android");
    EXPECT_EQ(identity->versionName, "10.0.0");
    EXPECT_EQ(identity->versionCode, 29);
    EXPECT_EQ(identity->minSdk, "29");
    EXPECT_EQ(identity->targetSdk, "29");
    EXPECT_EQ(identity->label, "Android System");
    EXPECT_FALSE(identity->isBundle);
}

TEST(ReadPackageIdentity, OwnStorePackage) {
    const auto identity = IdentityOf("store.apk");
    ASSERT_TRUE(identity);
    EXPECT_EQ(identity->packageName, "net.mossgate.store");
    EXPECT_EQ(identity->versionName, "1.0");
    EXPECT_EQ(identity->versionCode, 1);
    EXPECT_EQ(identity->minSdk, "21");
    EXPECT_EQ(identity->targetSdk, "29");
    EXPECT_EQ(identity->label, "MOSSGATE Store");
}

TEST(ReadPackageIdentity, LiteralLabel) {
    const auto identity = IdentityOf("literal.apk");
    ASSERT_TRUE(identity);
    EXPECT_EQ(identity->label, Utf8(u8"字面 Literal"));
    EXPECT_EQ(identity->versionName, "2.5-beta");
    EXPECT_EQ(identity->versionCode, 42);
    EXPECT_EQ(identity->minSdk, "23");
    EXPECT_EQ(identity->targetSdk, "30");
}

TEST(ReadPackageIdentity, LabelAndVersionFromDefaultConfigurationInBothPoolEncodings) {
    for (const char* name : {"resource.apk", "resource_utf16.apk"}) {
        SCOPED_TRACE(name);
        const auto identity = IdentityOf(name);
        ASSERT_TRUE(identity);
        EXPECT_EQ(identity->packageName, "net.mossgate.test.resource");
        EXPECT_EQ(identity->label, "Default Name \xE2\x9C\x93");
        EXPECT_EQ(identity->versionName, "7.0.1");
        EXPECT_EQ(identity->versionCode, 70000);
        // No target given: it is the minimum.
        EXPECT_EQ(identity->targetSdk, "19");
    }
}

TEST(ReadPackageIdentity, LabelFromTheFirstConfigurationWithoutADefault) {
    const auto identity = IdentityOf("only_zh.apk");
    ASSERT_TRUE(identity);
    EXPECT_EQ(identity->label, Utf8(u8"只有中文"));
    EXPECT_EQ(identity->versionName, "");
    EXPECT_EQ(identity->minSdk, "");
}

TEST(ReadPackageIdentity, BundlesFromTheirBasePackage) {
    const auto xapk = IdentityOf("literal.xapk");
    ASSERT_TRUE(xapk);
    EXPECT_TRUE(xapk->isBundle);
    EXPECT_EQ(xapk->packageName, "net.mossgate.test.literal");
    EXPECT_EQ(xapk->label, Utf8(u8"字面 Literal"));  // the base's own label beats the description's
    EXPECT_EQ(xapk->targetSdk, "30");
    EXPECT_EQ(xapk->splitCount, 2u);
    EXPECT_EQ(xapk->obbCount, 1u);

    const auto apkm = IdentityOf("resource.apkm");
    ASSERT_TRUE(apkm);
    EXPECT_EQ(apkm->label, "Default Name \xE2\x9C\x93");
    EXPECT_EQ(apkm->splitCount, 1u);
    EXPECT_EQ(apkm->obbCount, 0u);

    const auto apks = IdentityOf("resource.apks");
    ASSERT_TRUE(apks);
    EXPECT_EQ(apks->packageName, "net.mossgate.test.resource");
    EXPECT_EQ(apks->versionCode, 70000);
    EXPECT_EQ(apks->splitCount, 3u);
}

TEST(ReadPackageIdentity, BundleDescriptionWhenTheBaseIsDamaged) {
    const auto identity = IdentityOf("damaged_base.xapk");
    ASSERT_TRUE(identity);
    EXPECT_EQ(identity->packageName, "net.example.fallback");
    EXPECT_EQ(identity->label, Utf8(u8"后备 Fallback"));
    EXPECT_EQ(identity->versionName, "0.9");
    EXPECT_EQ(identity->versionCode, 9);  // a number in the description
    EXPECT_EQ(identity->minSdk, "24");
    EXPECT_EQ(identity->targetSdk, "33");  // a string in the description
    EXPECT_EQ(identity->splitCount, 1u);
    EXPECT_EQ(identity->obbCount, 2u);
}

TEST(ReadPackageIdentity, UnknownForHostileOrMissingArchives) {
    EXPECT_FALSE(IdentityOf("huge_declared.apk"));
    EXPECT_FALSE(IdentityOf("nested_json.xapk"));
    EXPECT_EQ(OpenZipFile(IDENTITY_PACKAGES "/no such file.apk"), nullptr);
    EXPECT_EQ(OpenZipBytes(std::string(4096, 'P')), nullptr);
}

TEST(ZipEntries, ReadRefusesEntriesOverTheLimit) {
    auto archive = OpenZipFile(IDENTITY_PACKAGES "/literal.apk");
    ASSERT_TRUE(archive);
    const auto manifest = archive->Read("AndroidManifest.xml", kMaxManifestBytes);
    ASSERT_TRUE(manifest);
    EXPECT_TRUE(archive->Read("AndroidManifest.xml", manifest->size()));
    EXPECT_FALSE(archive->Read("AndroidManifest.xml", manifest->size() - 1));
    EXPECT_FALSE(archive->Read("missing", kMaxManifestBytes));
}

PackageIdentity Sample() {
    PackageIdentity identity;
    identity.packageName = "net.mossgate.test.literal";
    identity.label = Utf8(u8"字面 Literal");
    identity.versionName = "2.5-beta";
    identity.versionCode = 42;
    identity.minSdk = "23";
    return identity;
}

TEST(IdentityLogLine, NamesLabelVersionPackageAndCode) {
    EXPECT_EQ(IdentityLogLine(Sample(), Gbk), "应用：字面 Literal 2.5-beta（net.mossgate.test.literal，版本号 42）");
    PackageIdentity bundle = Sample();
    bundle.isBundle = true;
    bundle.splitCount = 2;
    bundle.obbCount = 1;
    EXPECT_EQ(IdentityLogLine(bundle, Gbk),
              "应用：字面 Literal 2.5-beta（net.mossgate.test.literal，版本号 42，分包 2 个，数据包 1 个）");
}

TEST(IdentityLogLine, UnknownPartsLeftOutAndTheLabelFallsBackToThePackage) {
    PackageIdentity identity;
    identity.packageName = "net.example";
    EXPECT_EQ(IdentityLogLine(identity, Gbk), "应用：net.example（net.example）");
}

TEST(IdentityLogLine, PackageTextsCannotForgeLinesOrFloodTheLog) {
    PackageIdentity identity = Sample();
    identity.label = "a\r\nInstall finished\tb";
    identity.versionName = std::string(5000, 'v');
    const std::string line = IdentityLogLine(identity, Gbk);
    EXPECT_EQ(line.find_first_of("\r\n\t"), std::string::npos);
    EXPECT_NE(line.find("a  Install finished b"), std::string::npos);
    EXPECT_LT(line.size(), 400u);
}

TEST(GuidanceNotes, NameTheMinimumSdkAndTheVersionBeingInstalled) {
    EXPECT_EQ(MinSdkNote(Sample(), Gbk), "「字面 Literal」至少需要 Android 6.0（API 23）。");
    PackageIdentity preview = Sample();
    preview.minSdk = "Tiramisu";
    EXPECT_EQ(MinSdkNote(preview, Gbk), "「字面 Literal」要求的最低系统版本为 Tiramisu。");
    preview.minSdk.clear();
    EXPECT_EQ(MinSdkNote(preview, Gbk), "");

    EXPECT_EQ(InstallingVersionNote(Sample(), Gbk), "正在安装的是「字面 Literal」2.5-beta（版本号 42）。");
    PackageIdentity unknown;
    unknown.packageName = "net.example";
    EXPECT_EQ(InstallingVersionNote(unknown, Gbk), "");
}

}  // namespace

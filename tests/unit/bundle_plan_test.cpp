#include "install/bundle_plan.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "install/bundle_extract.h"
#include "install/zip_entries_minizip.h"

namespace {

using Names = std::vector<std::string>;

std::string AsIs(std::string_view text) {
    return std::string(text);
}

std::string Path(const std::string& name) {
    return IDENTITY_PACKAGES "/" + name;
}

std::string Head(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    char head[4] = {};
    file.read(head, sizeof head);
    return std::string(head, static_cast<size_t>(file.gcount()));
}

ArchivePlan PlanOf(const std::string& name) {
    std::unique_ptr<ZipEntries> archive = OpenZipFile(Path(name));
    return PlanArchive(name, Head(Path(name)), archive.get(), AsIs);
}

std::string Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

class TempFolder {
  public:
    TempFolder() {
        char pattern[] = "/tmp/bundle_plan_test.XXXXXX";
        path_ = mkdtemp(pattern);
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    std::string Slash() const { return path_ + "/"; }
    size_t FileCount() const {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(path_), {}));
    }

  private:
    std::string path_;
};

TEST(PlanArchive, EachBundleKindInstallsItsApksBaseFirst) {
    const ArchivePlan xapk = PlanOf("literal.xapk");
    ASSERT_EQ(xapk.shape, ArchiveShape::kBundle) << xapk.problem;
    EXPECT_EQ(xapk.bundle.apks, (Names{"net.mossgate.test.literal.apk", "config.x86_64.apk", "config.zh.apk"}));
    const std::string obb = "Android/obb/net.mossgate.test.literal/main.42.net.mossgate.test.literal.obb";
    ASSERT_EQ(xapk.bundle.obbs.size(), 1u);
    EXPECT_EQ(xapk.bundle.obbs[0].entry, obb);
    EXPECT_EQ(xapk.bundle.obbs[0].devicePath, "/sdcard/" + obb);

    EXPECT_EQ(PlanOf("resource.apkm").bundle.apks, (Names{"base.apk", "split_config.en.apk"}));
    // Only the split set of the app-bundle tool, each module's master first; never its other variants.
    EXPECT_EQ(PlanOf("app_bundle.apks").bundle.apks, (Names{"splits/base-master.apk", "splits/feature-master.apk",
                                                            "splits/base-xxhdpi.apk", "splits/base-en.apk"}));
    // A plain archive of APKs: those at its root, base.apk first.
    EXPECT_EQ(PlanOf("plain.apks").bundle.apks, (Names{"base.apk", "split_config.x86.apk"}));
}

TEST(PlanArchive, AnXapkWithoutListsTakesItsRootApksAndItsObbFilesInPlace) {
    const ArchivePlan plan = PlanOf("damaged_base.xapk");
    ASSERT_EQ(plan.shape, ArchiveShape::kBundle) << plan.problem;
    EXPECT_EQ(plan.bundle.apks, (Names{"net.example.fallback.apk", "config.arm64_v8a.apk"}));
    ASSERT_EQ(plan.bundle.obbs.size(), 2u);
    EXPECT_EQ(plan.bundle.obbs[1].devicePath,
              "/sdcard/Android/obb/net.example.fallback/patch.9.net.example.fallback.obb");
}

TEST(PlanArchive, APackageGoesToTheClientWholeWhateverItsNameAndSoDoesWhatIsNoZip) {
    EXPECT_EQ(PlanOf("renamed.apk.1").shape, ArchiveShape::kPackage);
    EXPECT_EQ(PlanOf("store.apk").shape, ArchiveShape::kPackage);
    EXPECT_EQ(PlanOf("not_a_zip.apk").shape, ArchiveShape::kPackage);
    EXPECT_EQ(PlanOf("no such file.xapk").shape, ArchiveShape::kPackage);
}

TEST(PlanArchive, BundlesThatCannotBeInstalledSayWhy) {
    const ArchivePlan encrypted = PlanOf("encrypted.apkm");
    EXPECT_EQ(encrypted.shape, ArchiveShape::kProblem);
    EXPECT_EQ(encrypted.problem, "这个 .apkm 文件是旧的加密格式，无法安装，请重新下载");

    const auto problem = [](const char* name) {
        const ArchivePlan plan = PlanOf(name);
        EXPECT_EQ(plan.shape, ArchiveShape::kProblem) << name;
        return plan.problem;
    };
    EXPECT_NE(problem("truncated.xapk").find("下载完整"), std::string::npos);
    EXPECT_NE(problem("no_apk.xapk").find("没有可安装的 APK"), std::string::npos);
    EXPECT_NE(problem("bad_obb_path.xapk").find("Android/obb/../../evil.obb"), std::string::npos);
    EXPECT_NE(problem("missing_split.xapk").find("config.gone.apk"), std::string::npos);
}

TEST(IsObbInstallPath, TakesOnlyAFileInThePackagesOwnObbFolder) {
    EXPECT_TRUE(IsObbInstallPath("Android/obb/com.a/main.1.com.a.obb", "com.a"));
    EXPECT_TRUE(IsObbInstallPath("Android/obb/com.a/patch-2_x.obb", ""));
    for (const char* path : {"Android/obb/com.b/main.obb", "Android/obb/com.a/../x.obb", "Android/obb/com.a/..",
                             "Android/obb/com.a/a/b.obb", "/Android/obb/com.a/x.obb", "Android/obb/com.a/c:x.obb",
                             "Android/obb/com.a\\x.obb", "Android/data/com.a/x.obb", "Android/obb/com.a/"}) {
        EXPECT_FALSE(IsObbInstallPath(path, "com.a")) << path;
    }
}

TEST(ExtractBundle, WritesEveryEntryByteForByteUnderShortNamesInInstallOrder) {
    const ArchivePlan plan = PlanOf("literal.xapk");
    auto archive = OpenZipFile(Path("literal.xapk"));
    TempFolder folder;
    uint64_t reported = 0;
    const ExtractedBundle files = ExtractBundle(*archive, plan.bundle, folder.Slash(), AsIs, [&](uint64_t written) {
        reported = written;
        return true;
    });
    ASSERT_EQ(files.problem, "");
    EXPECT_EQ(files.apkFiles, (Names{folder.Slash() + "1.apk", folder.Slash() + "2.apk", folder.Slash() + "3.apk"}));
    EXPECT_EQ(Contents(files.apkFiles[0]), *archive->Read("net.mossgate.test.literal.apk", 1 << 20));
    ASSERT_EQ(files.obbFiles.size(), 1u);
    EXPECT_EQ(files.obbFiles[0].file, folder.Slash() + "1.obb");
    EXPECT_EQ(Contents(files.obbFiles[0].file), "obb data");
    EXPECT_EQ(reported, *BundleBytes(*archive, plan.bundle));
    EXPECT_EQ(files.written.size(), 4u);
}

TEST(ExtractBundle, ADamagedEntryStopsItAndNamesTheEntry) {
    for (const auto& [name, words] :
         {std::pair{"bad_crc.apkm", "CRC"}, std::pair{"larger_than_declared.apks", "CRC"}}) {
        SCOPED_TRACE(name);
        const ArchivePlan plan = PlanOf(name);
        ASSERT_EQ(plan.shape, ArchiveShape::kBundle);
        auto archive = OpenZipFile(Path(name));
        TempFolder folder;
        const ExtractedBundle files =
            ExtractBundle(*archive, plan.bundle, folder.Slash(), AsIs, [](uint64_t) { return true; });
        EXPECT_NE(files.problem.find(words), std::string::npos) << files.problem;
        EXPECT_NE(files.problem.find(plan.bundle.apks.back()), std::string::npos) << files.problem;
        EXPECT_EQ(files.written.size(), 2u);
    }
}

TEST(ExtractBundle, StopsWhenTheProgressSaysSo) {
    const ArchivePlan plan = PlanOf("literal.xapk");
    auto archive = OpenZipFile(Path("literal.xapk"));
    TempFolder folder;
    const ExtractedBundle files =
        ExtractBundle(*archive, plan.bundle, folder.Slash(), AsIs, [](uint64_t) { return false; });
    EXPECT_FALSE(files.problem.empty());
    EXPECT_EQ(files.written.size(), 1u);
    EXPECT_EQ(folder.FileCount(), 1u);
}

}  // namespace

#include "app/dropped_files.h"

#include <gtest/gtest.h>

TEST(DroppedFiles, KindByExtensionInAnyCase) {
    for (const char* name : {"a.apk", "B.APK", "c.apks", "d.ApkM", "e.xapk"}) {
        EXPECT_EQ(DroppedKindByName(name), DroppedKind::kPackage) << name;
    }
    for (const char* name : {"WSA.Msixbundle", "w.msix", "w.appx", "w.AppxBundle"}) {
        EXPECT_EQ(DroppedKindByName(name), DroppedKind::kWsaPackage) << name;
    }
    for (const char* name : {"notes.txt", "apk", "x.apk.1", "a.apk.zip", "msix"}) {
        EXPECT_EQ(DroppedKindByName(name), DroppedKind::kOther) << name;
    }
}

TEST(DroppedFiles, RefusalNamesEachFileUpToALimit) {
    const std::string two = RefusedDropMessage({"a.txt", "图片.png"});
    EXPECT_NE(two.find("\r\na.txt\r\n图片.png"), std::string::npos);
    const std::string many = RefusedDropMessage(std::vector<std::string>(kMaxNamedFiles + 3, "x.txt"));
    EXPECT_NE(many.find("还有 3 个"), std::string::npos);
}

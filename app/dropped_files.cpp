#include "app/dropped_files.h"

#include "base/path_text.h"

DroppedKind DroppedKindByName(std::string_view fileName) {
    for (const char* extension : {".apk", ".apks", ".apkm", ".xapk"}) {
        if (EndsWithNoCase(fileName, extension)) {
            return DroppedKind::kPackage;
        }
    }
    for (const char* extension : {".msixbundle", ".msix", ".appxbundle", ".appx"}) {
        if (EndsWithNoCase(fileName, extension)) {
            return DroppedKind::kWsaPackage;
        }
    }
    return DroppedKind::kOther;
}

std::string RefusedDropMessage(const std::vector<std::string>& fileNames) {
    std::string message =
        "这些文件既不是安卓安装包（.apk、.apks、.apkm、.xapk），也不是 WSA 安装文件（.Msixbundle），"
        "没有安装任何东西：";
    for (size_t i = 0; i < fileNames.size() && i < kMaxNamedFiles; ++i) {
        message += "\r\n" + fileNames[i];
    }
    if (fileNames.size() > kMaxNamedFiles) {
        message += "\r\n……还有 " + std::to_string(fileNames.size() - kMaxNamedFiles) + " 个";
    }
    return message;
}

#include "install/bundle_extract.h"

#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { (void)std::fclose(file); }
};

std::string Quoted(const std::string& entry, const FromUtf8& fromUtf8) {
    return "「" + fromUtf8(LogSafeText(entry)) + "」";
}

std::string CopyProblem(ZipCopyResult result,
                        const std::string& entry,
                        const std::string& file,
                        const FromUtf8& fromUtf8) {
    const std::string name = Quoted(entry, fromUtf8);
    switch (result) {
        case ZipCopyResult::kOk:
            return {};
        case ZipCopyResult::kMissing:
            return "安装包已损坏：压缩包里找不到" + name + "，请重新下载。";
        case ZipCopyResult::kUnsupported:
            return "无法解压压缩包里的" + name + "：它是加密的，或用了不支持的压缩方式。";
        case ZipCopyResult::kDamaged:
            return "安装包已损坏：压缩包里的" + name + "无法解压，请重新下载。";
        case ZipCopyResult::kBadCrc:
            return "安装包已损坏：压缩包里的" + name + "校验失败（CRC 不符），请重新下载。";
        case ZipCopyResult::kWrongSize:
            return "安装包已损坏：压缩包里的" + name + "的长度与压缩包记录的不符，请重新下载。";
        case ZipCopyResult::kSinkFailed:
            break;
    }
    return "无法把" + name + "解压到 " + file + "：写入失败，磁盘可能已满。";
}

}  // namespace

ExtractedBundle BundleFileNames(const BundlePlan& plan, const std::string& folder) {
    ExtractedBundle files;
    for (size_t i = 0; i < plan.apks.size(); ++i) {
        files.apkFiles.push_back(folder + std::to_string(i + 1) + ".apk");
    }
    for (size_t i = 0; i < plan.obbs.size(); ++i) {
        files.obbFiles.push_back({folder + std::to_string(i + 1) + ".obb", plan.obbs[i].devicePath});
    }
    return files;
}

std::optional<uint64_t> BundleBytes(ZipEntries& archive, const BundlePlan& plan) {
    uint64_t total = 0;
    for (const std::string& entry : plan.apks) {
        const std::optional<uint64_t> size = archive.DeclaredSize(entry);
        if (!size) {
            return std::nullopt;
        }
        total += *size;
    }
    for (const BundleObb& obb : plan.obbs) {
        const std::optional<uint64_t> size = archive.DeclaredSize(obb.entry);
        if (!size) {
            return std::nullopt;
        }
        total += *size;
    }
    return total;
}

ExtractedBundle ExtractBundle(ZipEntries& archive,
                              const BundlePlan& plan,
                              const std::string& folder,
                              const FromUtf8& fromUtf8,
                              const ExtractionProgress& progress) {
    ExtractedBundle files = BundleFileNames(plan, folder);
    std::vector<std::pair<std::string, std::string>> jobs;  // entry, file
    for (size_t i = 0; i < plan.apks.size(); ++i) {
        jobs.emplace_back(plan.apks[i], files.apkFiles[i]);
    }
    for (size_t i = 0; i < plan.obbs.size(); ++i) {
        jobs.emplace_back(plan.obbs[i].entry, files.obbFiles[i].file);
    }
    uint64_t written = 0;
    for (const auto& [entry, file] : jobs) {
        std::unique_ptr<std::FILE, FileCloser> out(std::fopen(file.c_str(), "wb"));
        if (!out) {
            files.problem = "无法在 " + folder + " 里建立文件 " + file + "，请检查工作文件夹。";
            return files;
        }
        files.written.push_back(file);
        bool stopped = false;
        const ZipCopyResult result = archive.Copy(entry, [&](const char* data, size_t size) {
            if (std::fwrite(data, 1, size, out.get()) != size) {
                return false;
            }
            written += size;
            stopped = !progress(written);
            return !stopped;
        });
        const bool closed = std::fclose(out.release()) == 0;
        if (stopped) {
            files.problem = "安装已取消。";
            return files;
        }
        files.problem = CopyProblem(result == ZipCopyResult::kOk && !closed ? ZipCopyResult::kSinkFailed : result,
                                    entry, file, fromUtf8);
        if (!files.problem.empty()) {
            return files;
        }
    }
    return files;
}

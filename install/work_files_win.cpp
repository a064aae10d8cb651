#include "install/work_files_win.h"

#include <windows.h>

#include "app/program_state.h"
#include "install/client_text_win.h"
#include "process/responsive_delay_win.h"
#include "ui/main_window_win.h"

namespace {

// Room left over on the disk after the files, for whatever else writes there meanwhile.
constexpr uint64_t kSpareBytes = 16ull * 1024 * 1024;
// The window gets its messages after every this many bytes written.
constexpr uint64_t kAnswerEveryBytes = 1024 * 1024;

std::string Megabytes(uint64_t bytes) {
    return std::to_string((bytes + 1024 * 1024 - 1) / (1024 * 1024)) + " MB";
}

}  // namespace

std::string BundleFolder() {
    return WorkFolderPath + "\\bundle";
}

std::string CopyFolder() {
    return WorkFolderPath + "\\copy";
}

void RemoveInstallFiles() {
    RemoveFolderWithFiles(BundleFolder());
    RemoveFolderWithFiles(CopyFolder());
}

void RemoveFolderWithFiles(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                const std::string file = folder + "\\" + found.cFileName;
                (void)SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
                (void)DeleteFileA(file.c_str());
            }
        } while (FindNextFileA(search, &found));
        (void)FindClose(search);
    }
    (void)RemoveDirectoryA(folder.c_str());
}

ExtractedBundle ExtractBundleForInstall(ZipEntries& archive, const BundlePlan& plan) {
    const std::string folder = BundleFolder();
    RemoveFolderWithFiles(folder);
    (void)CreateDirectoryA(folder.c_str(), nullptr);

    ExtractedBundle files;
    const std::optional<uint64_t> needed = BundleBytes(archive, plan);
    ULARGE_INTEGER available = {};
    if (!needed) {
        files.problem = "安装包已损坏：压缩包的目录与它的内容不符，请重新下载。";
        return files;
    }
    if (GetDiskFreeSpaceExA(folder.c_str(), &available, nullptr, nullptr) &&
        available.QuadPart < *needed + kSpareBytes) {
        files.problem = "工作文件夹 " + WorkFolderPath + " 所在的磁盘空间不足：解压这个安装包需要 " +
                        Megabytes(*needed + kSpareBytes) + "，只剩 " + Megabytes(available.QuadPart) +
                        "。请腾出空间后再试。";
        return files;
    }
    uint64_t answeredAt = 0;
    return ExtractBundle(archive, plan, folder + "\\", Utf8ToAnsi, [&](uint64_t written) {
        if (written - answeredAt >= kAnswerEveryBytes) {
            answeredAt = written;
            DispatchPendingMessages();
        }
        // The window was closed meanwhile: nothing is installed any more.
        return MainWindow() != nullptr;
    });
}

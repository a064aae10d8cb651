#include "install/package_path_win.h"

#include <memory>
#include <optional>

#include "app/program_state.h"
#include "base/wide_text_win.h"
#include "install/bundle_plan.h"
#include "install/work_files_win.h"
#include "install/zip_entries_minizip.h"

namespace {

// The copy keeps a plain extension, so a bundle is still told by its kind where only the name can tell.
std::wstring PlainExtension(const std::wstring& path) {
    const size_t dot = path.find_last_of(L".\\/");
    if (dot == std::wstring::npos || path[dot] != L'.' || path.size() - dot > 9) {
        return L".apk";
    }
    for (size_t i = dot + 1; i < path.size(); ++i) {
        const wchar_t c = path[i];
        if (!((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9'))) {
            return L".apk";
        }
    }
    return path.substr(dot);
}

std::optional<std::string> ShortForm(const std::wstring& path, ShortPathFunction shortPath) {
    std::wstring shortened(32768, L'\0');
    const DWORD length = shortPath(path.c_str(), shortened.data(), static_cast<DWORD>(shortened.size()));
    if (length == 0 || length >= shortened.size()) {
        return std::nullopt;
    }
    shortened.resize(length);
    return ExactAnsi(shortened);
}

}  // namespace

std::optional<std::string> AnsiPathOf(const std::wstring& path, ShortPathFunction shortPath) {
    if (std::optional<std::string> exact = ExactAnsi(path)) {
        return exact;
    }
    return ShortForm(path, shortPath);
}

bool IsPackageByContent(const std::wstring& path) {
    const std::optional<std::string> ansi = AnsiPathOf(path);
    if (!ansi) {
        return false;
    }
    try {
        const std::unique_ptr<ZipEntries> archive = OpenZipFile(*ansi);
        return archive && PlanArchive(*ansi, "", archive.get(), [](std::string_view text) {
                              return std::string(text);
                          }).shape != ArchiveShape::kProblem;
    } catch (const std::exception&) {
        return false;
    }
}

ClientPackagePath::ClientPackagePath(const std::wstring& path, ShortPathFunction shortPath) {
    if (const std::optional<std::string> ansi = AnsiPathOf(path, shortPath)) {
        ansi_ = *ansi;
        return;
    }
    // A volume without short names: the package goes to the client under a name of our own.
    const std::string folder = CopyFolder();
    RemoveFolderWithFiles(folder);
    (void)CreateDirectoryA(folder.c_str(), nullptr);
    const std::wstring copy = WideFromAnsi(folder) + L"\\package" + PlainExtension(path);
    copied_ = true;
    ansi_ = AnsiFromWide(copy);
    if (!CopyFileW(path.c_str(), copy.c_str(), FALSE)) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            problem_ = "找不到安装包：" + AnsiFromWide(path);
        } else {
            problem_ = "安装包的文件名含有系统代码页无法表示的字符，它的复制件也无法写入工作文件夹 " + folder +
                       "（错误 " + std::to_string(error) + "）。请把它改成只含中英文的名字再安装。";
        }
    }
}

ClientPackagePath::~ClientPackagePath() {
    if (copied_) {
        RemoveFolderWithFiles(CopyFolder());
    }
}

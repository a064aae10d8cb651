#include "ui/file_dialog_win.h"

#include <windows.h>

#include <commdlg.h>

#include <vector>

#include "ui/file_dialog.h"
#include "ui/main_window_win.h"

FileDialog 通用对话框1{.filter = "安装文件(*.Msixbundle)|*.Msixbundle"};
FileDialog 通用对话框2{.filter = "安装包(*.apk;*.apks;*.apkm;*.xapk)|*.apk;*.apks;*.apkm;*.xapk"};

namespace {

// Room for any path the dialog may hand back.
constexpr size_t kFileNameCapacity = 32768;

const char* TextOrNull(const std::string& text) {
    return text.empty() ? nullptr : text.c_str();
}

}  // namespace

bool RunFileDialog(FileDialog& dialog) {
    const std::string filter = ui::SystemFilterList(dialog.filter);
    std::vector<char> fileName(kFileNameCapacity, '\0');
    // The dialog reopens on the last file chosen.
    dialog.fileName.copy(fileName.data(), fileName.size() - 1);

    OPENFILENAMEA request = {};
    request.lStructSize = sizeof(request);
    request.hwndOwner = MainWindow();
    request.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = fileName.data();
    request.nMaxFile = static_cast<DWORD>(fileName.size());
    request.lpstrTitle = TextOrNull(dialog.title);
    request.lpstrInitialDir = TextOrNull(dialog.initialFolder);
    request.lpstrDefExt = TextOrNull(dialog.defaultExtension);
    // No OFN_NOCHANGEDIR: the dialog may move the current directory, and the commands of the
    // program are started in the run directory rather than relying on it.
    request.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;

    if (!GetOpenFileNameA(&request)) {
        return false;
    }
    dialog.fileName = fileName.data();
    return true;
}

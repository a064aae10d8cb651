#include "ui/file_dialog_win.h"

#include <windows.h>

#include <commdlg.h>

#include <vector>

#include "base/wide_text_win.h"
#include "ui/file_dialog.h"
#include "ui/main_window_win.h"

FileDialog 通用对话框1{.filter = "安装文件(*.Msixbundle)|*.Msixbundle"};
FileDialog 通用对话框2{.filter = "安装包(*.apk;*.apks;*.apkm;*.xapk)|*.apk;*.apks;*.apkm;*.xapk"};

namespace {

// Room for any path the dialog may hand back.
constexpr size_t kFileNameCapacity = 32768;

const wchar_t* TextOrNull(const std::wstring& text) {
    return text.empty() ? nullptr : text.c_str();
}

}  // namespace

bool RunFileDialog(FileDialog& dialog) {
    // The wide dialog: a file whose name the ANSI code page cannot hold is still named exactly.
    const std::wstring filter = WideFromAnsi(ui::SystemFilterList(dialog.filter));
    const std::wstring title = WideFromAnsi(dialog.title);
    const std::wstring initialFolder = WideFromAnsi(dialog.initialFolder);
    const std::wstring defaultExtension = WideFromAnsi(dialog.defaultExtension);
    std::vector<wchar_t> fileName(kFileNameCapacity, L'\0');
    // The dialog reopens on the last file chosen.
    const std::wstring last =
        AnsiFromWide(dialog.wideFileName) == dialog.fileName ? dialog.wideFileName : WideFromAnsi(dialog.fileName);
    last.copy(fileName.data(), fileName.size() - 1);

    OPENFILENAMEW request = {};
    request.lStructSize = sizeof(request);
    request.hwndOwner = MainWindow();
    request.lpstrFilter = TextOrNull(filter);
    request.nFilterIndex = 1;
    request.lpstrFile = fileName.data();
    request.nMaxFile = static_cast<DWORD>(fileName.size());
    request.lpstrTitle = TextOrNull(title);
    request.lpstrInitialDir = TextOrNull(initialFolder);
    request.lpstrDefExt = TextOrNull(defaultExtension);
    // No OFN_NOCHANGEDIR: the dialog may move the current directory, and the commands of the
    // program are started in the run directory rather than relying on it.
    request.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;

    if (!GetOpenFileNameW(&request)) {
        return false;
    }
    dialog.wideFileName = fileName.data();
    dialog.fileName = AnsiFromWide(dialog.wideFileName);
    return true;
}

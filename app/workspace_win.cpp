#include "app/workspace_win.h"

#include <windows.h>

#include <shlobj.h>

#include "app/command_line.h"
#include "app/installer_role_win.h"
#include "app/program_state.h"
#include "base/payload_win.h"
#include "install/command_line_install_win.h"
#include "install/work_files_win.h"
#include "ui/file_dialog_win.h"
#include "ui/main_window_win.h"

namespace {

constexpr char kWorkFolderName[] = "MOSSGATE";

// The Documents folder with a trailing backslash, or "" when it cannot be had: the work folder
// then lands in the current directory under the relative name "MOSSGATE".
std::string DocumentsFolder() {
    char path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, path, CSIDL_PERSONAL, FALSE)) {
        return {};
    }
    std::string folder = path;
    if (!folder.empty() && folder.back() != '\\') {
        folder += '\\';
    }
    return folder;
}

}  // namespace

void RemoveAdbTools() {
    if (!HoldsInstallerRole()) {
        return;
    }
    for (const AdbToolFile& tool : kAdbToolFiles) {
        (void)DeleteFileA((RunDirectory + "\\" + tool.fileName).c_str());
    }
}

void BecomeInstaller() {
    RemoveAdbTools();
    RemoveInstallFiles();
    for (const AdbToolFile& tool : kAdbToolFiles) {
        (void)ExtractPayloadItem(FindPayloadItem(tool.payloadName), RunDirectory + "\\" + tool.fileName);
    }
    PublishInstallerWindow(MainWindow());
}

std::vector<std::string> SplitCommandLine() {
    return SplitArguments(GetCommandLineA());
}

std::vector<std::wstring> SplitWideCommandLine() {
    return SplitWideArguments(GetCommandLineW());
}

void PrepareWorkspace() {
    const std::string documents = DocumentsFolder();
    const std::string workFolder = documents + kWorkFolderName;
    (void)CreateDirectoryA(workFolder.c_str(), nullptr);
    // Replaces the settable attributes: a folder made visible or read-only is hidden again.
    (void)SetFileAttributesA(workFolder.c_str(), FILE_ATTRIBUTE_HIDDEN);
    ApkIconPath = workFolder + "\\WSAAPK.ico";
    WorkFolderPath = workFolder;

    通用对话框1.initialFolder = RunDirectory;
    通用对话框2.initialFolder = RunDirectory;

    // Another instance that installs keeps its toolkit; this one writes its own once it installs.
    if (HoldsInstallerRole()) {
        BecomeInstaller();
    }
    (void)ExtractPayloadItem(FindPayloadItem(payload::kApkIcon), WorkFolderPath + "\\WSAAPK.ico");

    CommandLineArgs = SplitCommandLine();
    if (!CommandLineArgs.empty()) {
        const std::vector<std::wstring> wide = SplitWideCommandLine();
        RunCommandLineInstall(wide.empty() ? std::wstring() : wide.front(), StopTakingHandoffs);
    }
}

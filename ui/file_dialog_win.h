// The two open-file dialogs of the main window.
#pragma once

#include <string>

struct FileDialog {
    std::string filter{};         // pipe-separated pairs: "display|pattern"
    std::string title{};          // empty: the system's own title
    std::string initialFolder{};  // set to the run directory at start-up
    std::string fileName{};       // the last file confirmed, or empty; '?' for what the ANSI code page lacks
    std::wstring wideFileName{};  // the same file's full path in its wide form, which names it exactly
    std::string defaultExtension{};
};

extern FileDialog 通用对话框1;  // .Msixbundle, WSA page
extern FileDialog 通用对话框2;  // .apk, APK page

// Runs the system open-file dialog modally. True when the user confirmed a file; its full path is
// then the dialog's fileName. On cancel fileName is left as it was.
bool RunFileDialog(FileDialog& dialog);

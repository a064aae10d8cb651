// Program-wide values: owned by the program for the whole run, replaced by assignment.
#pragma once

#include <string>
#include <vector>

// Folder of the executable, without a trailing backslash; also the current directory from process start.
extern std::string RunDirectory;
// The Documents folder + "MOSSGATE": the hidden work folder.
extern std::string WorkFolderPath;
// The Documents folder + "MOSSGATE\WSAAPK.ico": the icon the .apk association names.
extern std::string ApkIconPath;
// The command-line arguments without the program name; CommandLineArgs[0] is the first argument.
extern std::vector<std::string> CommandLineArgs;
// The .Msixbundle path, kept equal to 编辑框1.
extern std::string WsaPackagePath;
// The .apk path, kept equal to 编辑框4.
extern std::string ApkPackagePath;
// The wide form of the package last chosen in the dialog or installed from a drop, which names the file
// exactly when its name does not fit the ANSI code page; it stands for 编辑框4 while the box shows it.
extern std::wstring ApkPackageWidePath;

// Releases every program-wide value; registered to run when the program ends.
void ReleaseProgramState();

// The ADB install sequence of the APK page.
#pragma once

#include <string>

#include "install/adb_install.h"

// Where one install's part of the log goes: below `above` (the parts of the packages before it in a run),
// and, when it is one of several (place > 0), under the line "【place/total】 <name>".
struct LogPlacement {
    std::string above;
    size_t place = 0;
    size_t total = 0;
    // The package's name as the user knows it (the client may get a short name or a copy); empty: the path's.
    std::string fileName;
};

// kill-server, connect host:port, install "path", each through the command interpreter; the
// install log 编辑框2 shows each output as it arrives and becomes the three outputs joined by "\r\n",
// followed by a paragraph of advice when the install did not succeed. A connect refused on this
// machine starts WSA (when its URL scheme is registered) and is tried again for up to a minute.
// A bundle is written into the work folder first and installed with install-multiple, its OBB files
// pushed after it; a bundle that cannot be installed gets one line saying why and starts nothing.
// Returns the outputs.
// The path is taken by value: the window's handlers run during the sequence and may change the
// program-wide path a caller passes, and the package installed is the one asked for.
InstallOutputs InstallApk(std::string packagePath,
                          const std::string& host,
                          const std::string& port,
                          const LogPlacement& placement = {});

// InstallApk for a path in its wide form, which the client gets as ANSI text, as a short name, or as a
// copy under an ASCII name (see ClientPackagePath).
InstallOutputs InstallApkAt(const std::wstring& packagePath,
                            const std::string& host,
                            const std::string& port,
                            const LogPlacement& placement = {});

// Replaces the whole install log 编辑框2 and brings its newest line into view.
void ShowInstallLog(const std::string& text);

// The package the APK page names: the wide path the dialog or a drop gave while the box still shows it,
// else the box's text.
std::wstring ChosenApkPath();

// A second sequence started while one runs would stop the first one's server with its kill-server
// and mix the two logs, so both install buttons stay disabled while any lock lives (a run of several
// packages holds one over all of them).
class InstallButtonsLock {
  public:
    InstallButtonsLock();
    ~InstallButtonsLock();
    InstallButtonsLock(const InstallButtonsLock&) = delete;
    InstallButtonsLock& operator=(const InstallButtonsLock&) = delete;
};

// Whether an install sequence or a run of them is going on.
bool InstallRunning();

inline constexpr char kInvalidPortMessage[] = "端口号无效，请输入 1 到 65535 之间的数字";

// Click on 按钮4: the chosen package, the address of IP编辑框1 and the port of 编辑框3.
void InstallChosenApk();

// Click on 按钮8: writes the bundled app store to the work folder and installs it.
void InstallAppStore();

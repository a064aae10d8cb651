// The ADB install sequence of the APK page.
#pragma once

#include <string>

#include "install/adb_install.h"

// kill-server, connect host:port, install "path", each through the command interpreter; the
// install log 编辑框2 shows each output as it arrives and becomes the three outputs joined by "\r\n",
// followed by a paragraph of advice when the install did not succeed. A connect refused on this
// machine starts WSA (when its URL scheme is registered) and is tried again for up to a minute.
// Returns the outputs.
// The path is taken by value: the window's handlers run during the sequence and may change the
// program-wide path a caller passes, and the package installed is the one asked for.
InstallOutputs InstallApk(std::string packagePath, const std::string& host, const std::string& port);

// Click on 按钮4: the chosen package, the address of IP编辑框1 and the port of 编辑框3.
void InstallChosenApk();

// Click on 按钮8: writes the bundled app store to the work folder and installs it.
void InstallAppStore();

// The ADB install sequence of the APK page.
#pragma once

#include <string>

// kill-server, connect host:port, install "path"; the three outputs become the install log.
void InstallApk(const std::string& packagePath, const std::string& host, const std::string& port);
void InstallChosenApk();
void InstallAppStore();

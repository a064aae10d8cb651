#include "install/adb_install_win.h"

void InstallApk(const std::string&, const std::string&, const std::string&) {}
void InstallChosenApk() {}
void InstallAppStore() {}

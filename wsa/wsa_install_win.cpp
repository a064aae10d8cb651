#include "wsa/wsa_install_win.h"

void InstallWsaPackage() {}
bool RunProgram(const std::string&, bool, std::optional<int>) {
    return false;
}

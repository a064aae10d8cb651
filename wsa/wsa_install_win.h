// Installing the WSA platform package through PowerShell.
#pragma once

#include <optional>
#include <string>

// Click on 按钮2: "路径不能为空" when 编辑框1 is empty, else PowerShell's add-appxpackage for
// WsaPackagePath in a maximised window of its own, not followed.
void InstallWsaPackage();

// Starts a command line (the program found by the system's usual search) in the caller's current
// directory and environment, inheriting no handles. Show mode 1..6 (clamped; 2 when left out) means
// hidden, normal, minimised, maximised, shown without activation, minimised and not active. Waits
// for the program to end, or at most 1000 ms for it to become input-idle; false when it cannot start.
bool RunProgram(const std::string& commandLine, bool waitForExit, std::optional<int> showMode = std::nullopt);

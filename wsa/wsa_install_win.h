// Installing the WSA platform package through PowerShell.
#pragma once

#include <optional>
#include <string>

void InstallWsaPackage();
bool RunProgram(const std::string& commandLine, bool waitForExit, std::optional<int> showMode = std::nullopt);

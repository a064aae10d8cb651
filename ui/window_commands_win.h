// The main window's own commands, each bound to one control event.
#pragma once

#include <string>

void ChooseWsaPackage();
void SyncWsaPackagePath();
void ChooseApkPackage();
void SyncApkPackagePath();
void OpenDownloadShare();
void OpenFirstAuthorPage();
void OpenSecondAuthorPage();
void RevealEasterEgg();

// Hands a web address to the shell's "open"; a failure shows nothing.
void OpenUrl(const std::string& address);

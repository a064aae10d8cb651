#include "ui/window_commands_win.h"

void ChooseWsaPackage() {}
void SyncWsaPackagePath() {}
void ChooseApkPackage() {}
void SyncApkPackagePath() {}
void OpenDownloadShare() {}
void OpenFirstAuthorPage() {}
void OpenSecondAuthorPage() {}
void RevealEasterEgg() {}
void OpenUrl(const std::string&) {}

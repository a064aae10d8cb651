// Files dropped anywhere on the main window.
#pragma once

#include <string>
#include <vector>

// Packages (by name, or by content under another name) are installed one after another with the address
// and port of the APK page; a WSA package is named on the WSA page, which comes to the front, and nothing
// is started for it; when any file is neither, a message names those files and nothing happens at all.
void HandleDroppedFiles(const std::vector<std::wstring>& files);

// What the log and the command-line box say of a run of several packages installed one after another.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct QueuedResult {
    std::string fileName;   // the package's file name, ANSI
    std::string shownName;  // "<label> <version>" when the package tells it, else empty
    bool succeeded = false;
    std::string hint;  // the advice the log got after a failure
    std::string log;   // the client's outputs of its sequence, as InstallLogText gives them
};

// "MOSSGATE Store 1.0（app.apk）" when the package tells its name, else "app.apk".
std::string QueuedName(const QueuedResult& result);

// The line above each package's part of the log: "【2/3】 app.apk", with the name as QueuedName gives it.
std::string QueueHeaderLine(size_t place, size_t total, const QueuedResult& result);

// The log's last line after several packages: how many succeeded, and which failed.
std::string QueueSummaryLine(const std::vector<QueuedResult>& results);

// The command-line install's box once its queue is empty. One package: "安装成功", or "安装失败" with the
// advice and the end of the log. Several: "安装成功" or "安装失败", then a line per package, then the
// advice for each one that failed.
std::string CommandLineBoxText(const std::vector<QueuedResult>& results);

#include "install/install_queue.h"

#include <algorithm>

#include "install/install_log.h"

std::string QueuedName(const QueuedResult& result) {
    return result.shownName.empty() ? result.fileName : result.shownName + "（" + result.fileName + "）";
}

std::string QueueHeaderLine(size_t place, size_t total, const QueuedResult& result) {
    return "【" + std::to_string(place) + "/" + std::to_string(total) + "】 " + QueuedName(result);
}

std::string QueueSummaryLine(const std::vector<QueuedResult>& results) {
    const size_t succeeded =
        static_cast<size_t>(std::count_if(results.begin(), results.end(), [](const auto& r) { return r.succeeded; }));
    std::string line = "共 " + std::to_string(results.size()) + " 个安装包";
    if (succeeded == results.size()) {
        return line + "，全部安装成功。";
    }
    line +=
        "：" + std::to_string(succeeded) + " 个安装成功，" + std::to_string(results.size() - succeeded) + " 个失败（";
    bool first = true;
    for (const QueuedResult& result : results) {
        if (!result.succeeded) {
            line += (first ? "" : "、") + result.fileName;
            first = false;
        }
    }
    return line + "）。";
}

std::string CommandLineBoxText(const std::vector<QueuedResult>& results) {
    const bool allSucceeded =
        !results.empty() && std::all_of(results.begin(), results.end(), [](const auto& r) { return r.succeeded; });
    if (results.size() == 1) {
        // The user never sees the log in this mode, so a failure shows the client's own words.
        const QueuedResult& only = results.front();
        return allSucceeded ? "安装成功" : "安装失败\r\n\r\n" + only.hint + "\r\n\r\n" + BoxLogExcerpt(only.log);
    }
    std::string text = allSucceeded ? "安装成功\r\n" : "安装失败\r\n";
    for (const QueuedResult& result : results) {
        text += "\r\n" + std::string(allSucceeded ? "" : result.succeeded ? "成功：" : "失败：") + QueuedName(result);
    }
    for (const QueuedResult& result : results) {
        if (!result.succeeded) {
            // A package that started nothing has its one line in place of advice.
            text += "\r\n\r\n" + QueuedName(result) + "\r\n" +
                    (result.hint.empty() ? BoxLogExcerpt(result.log) : result.hint);
        }
    }
    return text;
}

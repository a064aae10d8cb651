#include "install/install_queue_win.h"

#include <deque>

#include "app/program_state.h"
#include "base/path_text.h"
#include "base/wide_text_win.h"
#include "install/adb_install_win.h"
#include "ui/control_events_win.h"
#include "ui/controls_win.h"
#include "ui/main_window_win.h"

namespace {

std::deque<std::wstring> waiting;
bool running = false;
int holds = 0;
std::vector<QueuedResult> results;

QueuedResult InstallOne(const std::wstring& path, const std::string& above, size_t place, size_t total) {
    ShowTabPage(ui::Page::Apk);
    ApkPackageWidePath = path;
    // Rewriting the same text would move the caret of a user who typed it.
    if (const std::string shown = AnsiFromWide(path); shown != GetEditText(control::编辑框4)) {
        SetEditText(control::编辑框4, shown);
    }

    QueuedResult result;
    result.fileName = FileNameOf(AnsiFromWide(path));
    const std::string host = GetIpAddressText(control::IP编辑框1);
    const std::string port = GetEditText(control::编辑框3);
    const LogPlacement placement{above, total > 1 ? place : 0, total, result.fileName};
    if (!IsValidPort(port)) {
        // The port box was changed during the run.
        result.log = kInvalidPortMessage;
        ShowInstallLog(above + (placement.place > 0 ? QueueHeaderLine(place, total, result) + "\r\n" : "") +
                       result.log);
        return result;
    }
    const InstallOutputs outputs = InstallApkAt(path, host, port, placement);
    result.shownName = outputs.shownName;
    result.succeeded = InstallSucceeded(outputs);
    result.hint = outputs.hint;
    result.log = InstallLogText(outputs);
    return result;
}

}  // namespace

size_t InstallQueueRoom() {
    const size_t taken = waiting.size() + (running ? results.size() : 0);
    return taken < kMaxQueuedPackages ? kMaxQueuedPackages - taken : 0;
}

void QueuePackages(const std::vector<std::wstring>& paths) {
    for (size_t i = 0, room = InstallQueueRoom(); i < paths.size() && i < room; ++i) {
        waiting.push_back(paths[i]);
    }
}

void RunInstallQueue() {
    // A single install that runs (the app store's) starts the queue once it ends.
    if (running || holds > 0 || waiting.empty() || MainWindow() == nullptr || InstallRunning()) {
        return;
    }
    running = true;
    results.clear();
    const InstallButtonsLock lock;
    std::string log;  // the parts of the packages installed so far
    bool firstAlone = false;
    while (!waiting.empty() && MainWindow() != nullptr) {
        const std::wstring path = waiting.front();
        waiting.pop_front();
        const size_t place = results.size() + 1;
        const size_t total = place + waiting.size();
        // A package that came alone gets its line once others follow it.
        if (place == 1) {
            firstAlone = total == 1;
        } else if (place == 2 && firstAlone) {
            log = QueueHeaderLine(1, total, results.front()) + "\r\n" + log;
        }
        results.push_back(InstallOne(path, log.empty() ? "" : log + "\r\n\r\n", place, total));
        log = GetEditText(control::编辑框2);
    }
    if (results.size() > 1 && MainWindow() != nullptr) {
        ShowInstallLog(log + "\r\n\r\n" + QueueSummaryLine(results));
    }
    running = false;
}

InstallQueueHold::InstallQueueHold() {
    ++holds;
}

InstallQueueHold::~InstallQueueHold() {
    --holds;
}

bool InstallsWaiting() {
    return !waiting.empty();
}

const std::vector<QueuedResult>& LastQueueResults() {
    return results;
}

// Packages installed one after another: dropped on the window, handed over by another instance of the
// program, or given on the command line.
#pragma once

#include <string>
#include <vector>

#include "install/install_queue.h"

// A run takes at most this many packages.
inline constexpr size_t kMaxQueuedPackages = 500;

// How many more packages the queue takes now.
size_t InstallQueueRoom();

// Adds packages (full paths in their wide form) to the end of the queue, as many as it has room for.
void QueuePackages(const std::vector<std::wstring>& paths);

// Installs what is queued, and what is queued meanwhile, one after another through the install sequence
// with the address and port of the APK page, which comes to the front; the path box shows the package
// being installed. A run of several puts each package's part of the log under its own line and ends the
// log with a summary. Returns when the queue is empty, or at once when a run is going on already (that
// run takes them) or the window is gone.
void RunInstallQueue();

// While one lives, RunInstallQueue starts nothing: what is queued meanwhile waits for the holder.
class InstallQueueHold {
  public:
    InstallQueueHold();
    ~InstallQueueHold();
    InstallQueueHold(const InstallQueueHold&) = delete;
    InstallQueueHold& operator=(const InstallQueueHold&) = delete;
};

// Whether packages wait to be installed.
bool InstallsWaiting();

// The results of the last run, in order.
const std::vector<QueuedResult>& LastQueueResults();

#include "process/run_program_win.h"

#include <windows.h>

#include <algorithm>

#include "base/owned_handle_win.h"

namespace {

constexpr int kDefaultShowMode = 2;
// wShowWindow for the show modes 1 to 6.
constexpr WORD kShowCommands[] = {SW_HIDE,          SW_SHOWNORMAL,     SW_SHOWMINIMIZED,
                                  SW_SHOWMAXIMIZED, SW_SHOWNOACTIVATE, SW_MINIMIZE};
constexpr DWORD kInputIdleTimeoutMs = 1000;

WORD ShowCommandFor(std::optional<int> showMode) {
    const int mode = std::clamp(showMode.value_or(kDefaultShowMode), 1, 6);
    return kShowCommands[mode - 1];
}

}  // namespace

bool RunProgram(const std::string& commandLine, bool waitForExit, std::optional<int> showMode) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = ShowCommandFor(showMode);

    // CreateProcessA may write into its command line, so it gets a copy of its own.
    std::string writableLine = commandLine;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, writableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started)) {
        return false;
    }
    OwnedKernelHandle process(started.hProcess);
    OwnedKernelHandle thread(started.hThread);
    if (waitForExit) {
        (void)WaitForSingleObject(process.get(), INFINITE);
    } else {
        (void)WaitForInputIdle(process.get(), kInputIdleTimeoutMs);
    }
    thread.reset();
    process.reset();
    return true;
}

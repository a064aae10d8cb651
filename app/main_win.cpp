// Program entry: run directory, program-wide values, the main window and its message loop.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "app/file_paths.h"
#include "app/program_state.h"
#include "process/message_pump_win.h"
#include "ui/main_window_win.h"
#include "ui/message_box_win.h"

namespace {

// The folder of the executable, cut before the last backslash of the module path.
std::string ExecutableFolder() {
    char path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string module(path, length);
    size_t backslash = LastPathSeparator(module);
    return backslash == std::string::npos ? std::string() : module.substr(0, backslash);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    RunDirectory = ExecutableFolder();
    // The install commands name ".\adb.exe", relative to the current directory.
    (void)SetCurrentDirectoryA(RunDirectory.c_str());

    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TAB_CLASSES | ICC_INTERNET_CLASSES | ICC_STANDARD_CLASSES};
    (void)InitCommonControlsEx(&controls);

    CommandLineArgs.clear();
    std::atexit(ReleaseProgramState);

    HWND window = CreateMainWindow(instance);
    if (window == nullptr) {
        ShowMessage("载入启动窗口失败", MB_ICONERROR, "MOSSGATE");
        return 1;
    }
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);

    MSG message = {};
    while (PumpOneMessage(message)) {
    }
    return static_cast<int>(message.wParam);
}

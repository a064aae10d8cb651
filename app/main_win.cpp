// Program entry: run directory, program-wide values, the bindings, the main window and its message loop.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "app/program_state.h"
#include "app/routine_bindings_win.h"
#include "base/module_path_win.h"
#include "process/console_command_win.h"
#include "process/responsive_delay_win.h"
#include "ui/control_events_win.h"
#include "ui/main_window_win.h"
#include "ui/message_box_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    RunDirectory = ModuleFolder();
    // The install commands name ".\adb.exe", relative to the current directory.
    (void)SetCurrentDirectoryA(RunDirectory.c_str());
    SetCommandWorkingFolder(RunDirectory);
    SetPreTranslateHook(PreTranslateAppMessage);
    SetRoutineRunner(RunBoundRoutine);

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

// Program entry: run directory, program-wide values, the bindings, the main window and its message loop.
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>

#include "app/dropped_files_win.h"
#include "app/installer_role_win.h"
#include "app/program_state.h"
#include "app/routine_bindings_win.h"
#include "app/workspace_win.h"
#include "base/module_path_win.h"
#include "process/console_command_win.h"
#include "process/responsive_delay_win.h"
#include "ui/control_events_win.h"
#include "ui/main_window_win.h"
#include "ui/message_box_win.h"

namespace {

// How long a starting instance tries to hand its package over: the installing one may be starting too.
constexpr DWORD kHandoffTimeoutMs = 60000;

}  // namespace

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

    // One instance of the session installs; one started with a package while it runs hands the package
    // to it and ends, writing and deleting nothing.
    if (!TakeInstallerRole()) {
        const std::vector<std::wstring> arguments = SplitWideCommandLine();
        if (!arguments.empty()) {
            switch (HandOverPackages({arguments.front()}, kHandoffTimeoutMs)) {
                case HandoffOutcome::kHandedOver:
                    return 0;
                case HandoffOutcome::kFailed:
                    ShowMessage(
                        "安装失败\r\n\r\n另一个 MOSSGATE 正在安装，但它一直没有回应，安装包没能交给它。请稍后再试。", 0,
                        "MOSSGATE");
                    return 1;
                case HandoffOutcome::kBecameInstaller:
                    break;
            }
        }
    }
    SetDropHandler(HandleDroppedFiles);
    SetCopyDataHandler(TakeHandedOverPackages);

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
    // The window is gone, and with it the toolkit: another instance may install now.
    GiveUpInstallerRole();
    return static_cast<int>(message.wParam);
}

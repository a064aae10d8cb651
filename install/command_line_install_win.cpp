#include "install/command_line_install_win.h"

#include "app/program_state.h"
#include "install/adb_install_win.h"
#include "install/install_log.h"
#include "ui/controls_win.h"
#include "ui/main_window_win.h"
#include "ui/message_box_win.h"

void RunCommandLineInstall() {
    const InstallOutputs outputs = InstallApk(CommandLineArgs.front(), GetIpAddressText(control::IP编辑框1),
                                              GetEditText(control::编辑框3));
    // The user never sees the log in this mode, so a failure shows the client's own words.
    if (InstallSucceeded(outputs)) {
        ShowMessage("安装成功", 0, "MOSSGATE");
    } else {
        ShowMessage("安装失败\r\n\r\n" + outputs.hint + "\r\n\r\n" + BoxLogExcerpt(InstallLogText(outputs)), 0,
                    "MOSSGATE");
    }
    CloseMainWindow();
}

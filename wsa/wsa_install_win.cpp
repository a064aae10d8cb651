#include "wsa/wsa_install_win.h"

#include "app/program_state.h"
#include "process/run_program_win.h"
#include "ui/controls_win.h"
#include "ui/message_box_win.h"
#include "wsa/wsa_install.h"

namespace {
constexpr int kShowMaximized = 4;
}  // namespace

void InstallWsaPackage() {
    // Only a box with nothing in it is empty; blanks alone still make a path.
    if (GetEditText(control::编辑框1).empty()) {
        (void)ShowMessage("路径不能为空");
        return;
    }
    // PowerShell runs on its own; the click neither waits for it nor reports how it went.
    (void)RunProgram(BuildWsaInstallCommandLine(WsaPackagePath), false, kShowMaximized);
}

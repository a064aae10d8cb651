#include "install/command_line_install_win.h"

#include "ui/controls_win.h"

void RunCommandLineInstall() {
    CloseMainWindow();
}

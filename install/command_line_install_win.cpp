#include "install/command_line_install_win.h"

#include "install/install_queue_win.h"
#include "ui/main_window_win.h"
#include "ui/message_box_win.h"

void RunCommandLineInstall(const std::wstring& package, void (*finish)()) {
    QueuePackages({package});
    // Packages handed over while a box is open are installed after it, with a box of their own.
    do {
        RunInstallQueue();
        // The box's own message loop would otherwise start them behind it, and their results would go unseen.
        const InstallQueueHold hold;
        ShowMessage(CommandLineBoxText(LastQueueResults()), 0, "MOSSGATE");
    } while (InstallsWaiting());
    // Nothing is taken after this: a package handed over later goes to an instance that installs it.
    finish();
    CloseMainWindow();
}

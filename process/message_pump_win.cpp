#include "process/message_pump_win.h"

#include "ui/main_window_win.h"

bool PumpOneMessage(MSG& message) {
    if (GetMessageA(&message, nullptr, 0, 0) <= 0) {
        return false;
    }
    if (!PreTranslateAppMessage(message)) {
        (void)TranslateMessage(&message);
        (void)DispatchMessageA(&message);
    }
    return true;
}

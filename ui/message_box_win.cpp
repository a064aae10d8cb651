#include "ui/message_box_win.h"

int ShowMessage(const std::string& text, UINT style, const std::optional<std::string>& caption, HWND owner) {
    if ((style & MB_SYSTEMMODAL) == 0) {
        style |= MB_TASKMODAL;
    }
    const std::string& shownCaption = caption ? *caption : std::string("信息：");
    switch (MessageBoxA(owner, text.c_str(), shownCaption.c_str(), style)) {
        case IDCANCEL: return 1;
        case IDABORT: return 2;
        case IDRETRY: return 3;
        case IDIGNORE: return 4;
        case IDYES: return 5;
        case IDNO: return 6;
        default: return 0;
    }
}

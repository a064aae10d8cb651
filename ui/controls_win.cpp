#include "ui/controls_win.h"

#include <commctrl.h>

#include <map>

#include "base/window_text_win.h"
#include "ui/ip_address.h"
#include "ui/picture_box_win.h"

namespace {

std::map<int, HWND>& Registry() {
    static std::map<int, HWND> controls;
    return controls;
}

}  // namespace

void RegisterControl(int controlId, HWND window) {
    Registry()[controlId] = window;
}

void ForgetControls() {
    Registry().clear();
}

HWND ControlWindow(int controlId) {
    auto found = Registry().find(controlId);
    return found == Registry().end() ? nullptr : found->second;
}

std::string GetEditText(int controlId) {
    HWND box = ControlWindow(controlId);
    if (box == nullptr) {
        return {};
    }
    return WindowText(box);
}

std::string GetIpAddressText(int controlId) {
    HWND box = ControlWindow(controlId);
    if (box == nullptr || SendMessageA(box, IPM_ISBLANK, 0, 0) != 0) {
        return {};
    }
    DWORD address = 0;
    (void)SendMessageA(box, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
    return ui::FormatIpAddress(
        {static_cast<uint8_t>(FIRST_IPADDRESS(address)), static_cast<uint8_t>(SECOND_IPADDRESS(address)),
         static_cast<uint8_t>(THIRD_IPADDRESS(address)), static_cast<uint8_t>(FOURTH_IPADDRESS(address))});
}

void SetPicture(int controlId, const void* bytes, size_t size) {
    if (HWND box = ControlWindow(controlId)) {
        ShowPictureInBox(box, bytes, size);
    }
}

void EnableControl(int controlId, bool enabled) {
    if (HWND control = ControlWindow(controlId)) {
        (void)EnableWindow(control, enabled ? TRUE : FALSE);
    }
}

// Prints the window description as JSON lines (texts in GBK), so the end-to-end tests compare the
// running window against the description's own data rather than a copy of it.
#include <cstdio>
#include <string>

#include "ui/window_description.h"

namespace {

const char* NameOf(int id) {
#define MOSSGATE_CONTROL_NAME(name, value) \
    if (id == value)                       \
        return #name;
    MOSSGATE_CONTROLS(MOSSGATE_CONTROL_NAME)
#undef MOSSGATE_CONTROL_NAME
    return "";
}

const char* KindOf(ui::ControlKind kind) {
    switch (kind) {
        case ui::ControlKind::PushButton:
            return "PushButton";
        case ui::ControlKind::EditBox:
            return "EditBox";
        case ui::ControlKind::IpAddressBox:
            return "IpAddressBox";
        case ui::ControlKind::Label:
            return "Label";
        case ui::ControlKind::TransparentLabel:
            return "TransparentLabel";
        case ui::ControlKind::PictureBox:
            return "PictureBox";
        case ui::ControlKind::TabControl:
            return "TabControl";
    }
    return "";
}

std::string Quoted(const char* text) {
    std::string quoted = "\"";
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '"' || *c == '\\') {
            quoted += '\\';
            quoted += *c;
        } else if (*c == '\r') {
            quoted += "\\r";
        } else if (*c == '\n') {
            quoted += "\\n";
        } else {
            quoted += *c;
        }
    }
    return quoted + "\"";
}

}  // namespace

int main() {
    std::printf("{\"window\": {\"width\": %d, \"height\": %d}, \"pages\": [", ui::kWindowWidth, ui::kWindowHeight);
    const char* separator = "";
    for (const char* header : ui::PageHeaders()) {
        std::printf("%s%s", separator, Quoted(header).c_str());
        separator = ", ";
    }
    std::printf("]}\n");
    for (const ui::ControlDescription& control : ui::Controls()) {
        std::printf(
            "{\"name\": \"%s\", \"kind\": \"%s\", \"page\": %d, \"left\": %d, \"top\": %d, \"width\": %d, "
            "\"height\": %d, \"text\": %s}\n",
            NameOf(control.id), KindOf(control.kind), static_cast<int>(control.page), control.rect.left,
            control.rect.top, control.rect.width, control.rect.height, Quoted(control.text).c_str());
    }
    return 0;
}

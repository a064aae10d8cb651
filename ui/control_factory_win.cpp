#include "ui/control_factory_win.h"

#include <commctrl.h>

#include "ui/gdi_cache_win.h"
#include "ui/ip_address.h"
#include "ui/label_win.h"
#include "ui/picture_box_win.h"

namespace {

using ui::ControlKind;

// The kinds' Win32 class and styles. Every control clips its siblings so that overlapping controls
// paint in Z order (a label's text over a picture box).
struct Realisation {
    const char* className;
    DWORD style;
    DWORD extendedStyle;
};

Realisation RealisationOf(const ui::ControlDescription& control) {
    constexpr DWORD kChild = WS_CHILD | WS_CLIPSIBLINGS;
    switch (control.kind) {
        case ControlKind::PushButton:
            return {"BUTTON", kChild | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER, 0};
        case ControlKind::EditBox:
            if (control.multiLine) {
                return {"EDIT",
                        kChild | WS_TABSTOP | WS_VSCROLL | ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                        WS_EX_CLIENTEDGE};
            }
            return {"EDIT", kChild | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
        case ControlKind::IpAddressBox:
            return {WC_IPADDRESSA, kChild | WS_TABSTOP, 0};
        case ControlKind::Label:
            return {kLabelClass, kChild, 0};
        case ControlKind::TransparentLabel:
            return {kTransparentLabelClass, kChild, 0};
        case ControlKind::PictureBox:
            return {kPictureBoxClass, kChild, 0};
        case ControlKind::TabControl:
            // The pages' controls are its children: it must not paint over them, and keyboard
            // navigation has to look inside it.
            return {WC_TABCONTROLA, kChild | WS_CLIPCHILDREN | TCS_TABS | TCS_SINGLELINE, WS_EX_CONTROLPARENT};
    }
    return {"STATIC", kChild, 0};
}

int TextHeight(HFONT font) {
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, font);
    TEXTMETRICA metrics = {};
    (void)GetTextMetricsA(screen, &metrics);
    (void)SelectObject(screen, previous);
    (void)ReleaseDC(nullptr, screen);
    return metrics.tmHeight;
}

// A single-line edit box lower than its text plus the sunken edge is made that tall.
int EditBoxHeight(const ui::ControlDescription& control) {
    if (control.multiLine) {
        return control.rect.height;
    }
    const int minimum = TextHeight(FontFor(control.font)) + 2 * GetSystemMetrics(SM_CYEDGE);
    return control.rect.height < minimum ? minimum : control.rect.height;
}

void SetInitialContent(HWND window, const ui::ControlDescription& control) {
    switch (control.kind) {
        case ControlKind::EditBox:
            (void)SendMessageA(window, EM_SETLIMITTEXT, 0, 0);  // no length limit
            break;
        case ControlKind::IpAddressBox:
            // Some IP controls (Wine's) keep the font to themselves; their four fields get it directly.
            for (HWND field = GetWindow(window, GW_CHILD); field != nullptr; field = GetWindow(field, GW_HWNDNEXT)) {
                (void)SendMessageA(field, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(control.font)), FALSE);
            }
            if (auto fields = ui::ParseIpAddress(control.text)) {
                (void)SendMessageA(window, IPM_SETADDRESS, 0,
                                   MAKEIPADDRESS((*fields)[0], (*fields)[1], (*fields)[2], (*fields)[3]));
            }
            break;
        case ControlKind::TabControl: {
            const auto headers = ui::PageHeaders();
            for (size_t page = 0; page < headers.size(); ++page) {
                TCITEMA item = {};
                item.mask = TCIF_TEXT;
                item.pszText = const_cast<char*>(headers[page]);
                (void)SendMessageA(window, TCM_INSERTITEMA, page, reinterpret_cast<LPARAM>(&item));
            }
            break;
        }
        default:
            break;
    }
}

}  // namespace

HWND CreateControl(const ui::ControlDescription& control, HWND parent, HINSTANCE instance, bool visible) {
    const Realisation realisation = RealisationOf(control);
    const int height = control.kind == ControlKind::EditBox ? EditBoxHeight(control) : control.rect.height;
    // The IP box takes its address from IPM_SETADDRESS, not from its window text.
    const char* text = control.kind == ControlKind::IpAddressBox ? "" : control.text;
    // Our own classes read their description from the creation parameter; system classes get none.
    const bool ownClass = control.kind == ControlKind::Label || control.kind == ControlKind::TransparentLabel ||
                          control.kind == ControlKind::PictureBox;
    void* creationParameter = ownClass ? const_cast<ui::ControlDescription*>(&control) : nullptr;
    HWND window = CreateWindowExA(
        realisation.extendedStyle, realisation.className, text, realisation.style | (visible ? WS_VISIBLE : 0),
        control.rect.left, control.rect.top, control.rect.width, height, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, creationParameter);
    if (window == nullptr) {
        return nullptr;
    }
    (void)SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(control.font)), FALSE);
    SetInitialContent(window, control);
    return window;
}

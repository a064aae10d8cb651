#include "ui/label_win.h"

#include <string>

#include "base/window_text_win.h"
#include "ui/control_events_win.h"
#include "ui/gdi_cache_win.h"
#include "ui/paint_behind_win.h"
#include "ui/window_class_win.h"
#include "ui/window_description.h"

namespace {

// The font given with WM_SETFONT lives in the window's extra bytes.
constexpr int kFontSlot = 0;

HFONT FontOf(HWND label) {
    return reinterpret_cast<HFONT>(GetWindowLongPtrA(label, kFontSlot));
}

const ui::ControlDescription* DescriptionOf(HWND label) {
    return reinterpret_cast<const ui::ControlDescription*>(GetWindowLongPtrA(label, GWLP_USERDATA));
}

// Without word wrap the text is one line centred vertically; with it, it is drawn from the top
// and breaks at words and at the line breaks of the text.
UINT TextFormat(const ui::ControlDescription& label) {
    UINT format = DT_LEFT | DT_NOCLIP;
    return format | (label.wordWrap ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER);
}

void DrawLabel(HWND window, HDC dc, bool transparent) {
    const ui::ControlDescription* label = DescriptionOf(window);
    if (label == nullptr) {
        return;
    }
    RECT client;
    (void)GetClientRect(window, &client);
    if (transparent) {
        PaintWhatLiesBehind(window, dc);
    } else {
        (void)FillRect(dc, &client, BrushFor(ResolveColour(label->backColour)));
    }
    const std::string text = WindowText(window);
    HFONT font = FontOf(window);
    HGDIOBJ previousFont = SelectObject(dc, font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
    (void)SetBkMode(dc, TRANSPARENT);
    (void)SetTextColor(dc, ResolveColour(label->textColour));
    (void)DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &client, TextFormat(*label));
    (void)SelectObject(dc, previousFont);
}

void PaintLabel(HWND window, HDC target, bool transparent) {
    RECT client;
    (void)GetClientRect(window, &client);
    OffscreenCanvas canvas(target, client.right, client.bottom);
    if (canvas.dc() == nullptr) {
        DrawLabel(window, target, transparent);
        return;
    }
    DrawLabel(window, canvas.dc(), transparent);
    canvas.Present(target);
}

LRESULT HandleLabelMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool transparent) {
    switch (message) {
        case WM_NCCREATE: {
            const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            (void)SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
            break;
        }
        case WM_NCHITTEST:
            // A transparent label without a mouse binding lets clicks through to what lies behind it.
            if (transparent && DescriptionOf(window) != nullptr && DescriptionOf(window)->event == ui::Event::None) {
                return HTTRANSPARENT;
            }
            break;
        case WM_SETFONT:
            (void)SetWindowLongPtrA(window, kFontSlot, static_cast<LONG_PTR>(wParam));
            if (LOWORD(lParam)) {
                (void)InvalidateRect(window, nullptr, FALSE);
            }
            return 0;
        case WM_GETFONT:
            return static_cast<LRESULT>(GetWindowLongPtrA(window, kFontSlot));
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT paints everything
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            PaintLabel(window, dc, transparent);
            (void)EndPaint(window, &paint);
            return 0;
        }
        case WM_PRINTCLIENT:
            PaintLabel(window, reinterpret_cast<HDC>(wParam), transparent);
            return 0;
        case WM_SETTEXT: {
            LRESULT result = DefWindowProcA(window, message, wParam, lParam);
            (void)InvalidateRect(window, nullptr, FALSE);
            return result;
        }
        case WM_LBUTTONDOWN:
            RunControlEvent(GetDlgCtrlID(window), ui::Event::LeftButtonDown);
            return 0;
        case WM_LBUTTONUP:
            RunControlEvent(GetDlgCtrlID(window), ui::Event::LeftButtonUp);
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK LabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return HandleLabelMessage(window, message, wParam, lParam, false);
}

LRESULT CALLBACK TransparentLabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return HandleLabelMessage(window, message, wParam, lParam, true);
}

}  // namespace

bool RegisterLabelClasses(HINSTANCE instance) {
    return RegisterWindowClass(instance, kLabelClass, LabelProc, sizeof(LONG_PTR)) &&
           RegisterWindowClass(instance, kTransparentLabelClass, TransparentLabelProc, sizeof(LONG_PTR));
}

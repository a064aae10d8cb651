#include "ui/picture_box_win.h"

#include <optional>

#include "ui/control_events_win.h"
#include "ui/gdi_cache_win.h"
#include "ui/picture_decode.h"
#include "ui/window_class_win.h"
#include "ui/window_description.h"

namespace {

struct PictureBoxState {
    const ui::ControlDescription* description = nullptr;
    std::optional<ui::Picture> picture;  // opaque: alpha is blended over the background when set
};

PictureBoxState* StateOf(HWND box) {
    return reinterpret_cast<PictureBoxState*>(GetWindowLongPtrA(box, GWLP_USERDATA));
}

COLORREF BackgroundOf(const PictureBoxState& state) {
    return ResolveColour(state.description ? state.description->backColour : ui::kDefaultColour);
}

void PaintPictureBox(HWND box, HDC dc) {
    const PictureBoxState* state = StateOf(box);
    RECT client;
    (void)GetClientRect(box, &client);
    if (state == nullptr || !state->picture) {
        (void)FillRect(dc, &client, BrushFor(state ? BackgroundOf(*state) : GetSysColor(COLOR_BTNFACE)));
        return;
    }
    const ui::Picture& picture = *state->picture;
    BITMAPINFO header = {};
    header.bmiHeader.biSize = sizeof(header.bmiHeader);
    header.bmiHeader.biWidth = picture.width;
    header.bmiHeader.biHeight = -picture.height;  // rows top-down
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    const int previousMode = SetStretchBltMode(dc, HALFTONE);
    POINT previousOrigin;
    (void)SetBrushOrgEx(dc, 0, 0, &previousOrigin);  // HALFTONE wants it reset after the mode is set
    (void)StretchDIBits(dc, 0, 0, client.right, client.bottom, 0, 0, picture.width, picture.height,
                        picture.pixels.data(), &header, DIB_RGB_COLORS, SRCCOPY);
    (void)SetBrushOrgEx(dc, previousOrigin.x, previousOrigin.y, nullptr);
    (void)SetStretchBltMode(dc, previousMode);
}

LRESULT CALLBACK PictureBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCREATE: {
            const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            auto* state = new PictureBoxState;
            state->description = static_cast<const ui::ControlDescription*>(create->lpCreateParams);
            (void)SetWindowLongPtrA(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
            break;
        }
        case WM_NCDESTROY:
            delete StateOf(box);
            (void)SetWindowLongPtrA(box, GWLP_USERDATA, 0);
            break;
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT paints every pixel
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(box, &paint);
            PaintPictureBox(box, dc);
            (void)EndPaint(box, &paint);
            return 0;
        }
        case WM_PRINTCLIENT:
            PaintPictureBox(box, reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_LBUTTONDOWN:
            RunControlEvent(GetDlgCtrlID(box), ui::Event::LeftButtonDown);
            return 0;
        case WM_LBUTTONUP:
            RunControlEvent(GetDlgCtrlID(box), ui::Event::LeftButtonUp);
            return 0;
    }
    return DefWindowProcA(box, message, wParam, lParam);
}

// The box and whatever overlaps it from above (a transparent label draws the box behind its text).
void RepaintWithOverlappingSiblings(HWND box) {
    HWND parent = GetParent(box);
    RECT area;
    (void)GetWindowRect(box, &area);
    (void)MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
    (void)RedrawWindow(parent, &area, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

}  // namespace

bool RegisterPictureBoxClass(HINSTANCE instance) {
    return RegisterWindowClass(instance, kPictureBoxClass, PictureBoxProc);
}

void ShowPictureInBox(HWND box, const void* bytes, size_t size) {
    PictureBoxState* state = StateOf(box);
    if (state == nullptr) {
        return;
    }
    state->picture = ui::DecodePicture(bytes, size);
    if (state->picture && state->picture->hasAlpha) {
        ui::CompositeOver(*state->picture, BackgroundOf(*state));
    }
    RepaintWithOverlappingSiblings(box);
}

#include "ui/paint_behind_win.h"

#include <vector>

namespace {

// The client origin of window in the client coordinates of parent.
POINT ClientOriginIn(HWND window, HWND parent) {
    POINT origin = {0, 0};
    (void)MapWindowPoints(window, parent, &origin, 1);
    return origin;
}

bool Overlap(HWND first, HWND second) {
    RECT a, b, common;
    (void)GetWindowRect(first, &a);
    (void)GetWindowRect(second, &b);
    return IntersectRect(&common, &a, &b) != FALSE;
}

// Sends a print message with the DC's origin moved to (x, y) relative to its current origin.
void PrintAt(HWND window, HDC dc, int x, int y, UINT message, LPARAM flags) {
    POINT previous;
    (void)OffsetViewportOrgEx(dc, x, y, &previous);
    (void)SendMessageA(window, message, reinterpret_cast<WPARAM>(dc), flags);
    (void)SetViewportOrgEx(dc, previous.x, previous.y, nullptr);
}

}  // namespace

void PaintWhatLiesBehind(HWND child, HDC dc) {
    RECT client;
    (void)GetClientRect(child, &client);
    // Some parents leave parts unpainted when asked to print (Wine's tab control erases nothing).
    (void)FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));

    HWND parent = GetParent(child);
    if (parent == nullptr) {
        return;
    }
    const POINT self = ClientOriginIn(child, parent);
    PrintAt(parent, dc, -self.x, -self.y, WM_ERASEBKGND, 0);
    PrintAt(parent, dc, -self.x, -self.y, WM_PRINTCLIENT, PRF_CLIENT);

    std::vector<HWND> below;
    for (HWND sibling = GetWindow(child, GW_HWNDNEXT); sibling != nullptr; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
        if (IsWindowVisible(sibling) && Overlap(child, sibling)) {
            below.push_back(sibling);
        }
    }
    for (auto sibling = below.rbegin(); sibling != below.rend(); ++sibling) {
        const POINT origin = ClientOriginIn(*sibling, parent);
        PrintAt(*sibling, dc, origin.x - self.x, origin.y - self.y, WM_PRINTCLIENT, PRF_CLIENT | PRF_ERASEBKGND);
    }
}

OffscreenCanvas::OffscreenCanvas(HDC compatibleWith, int width, int height) : width_(width), height_(height) {
    if (width <= 0 || height <= 0) {
        return;
    }
    bitmap_ = CreateCompatibleBitmap(compatibleWith, width, height);
    dc_ = bitmap_ ? CreateCompatibleDC(compatibleWith) : nullptr;
    if (dc_ != nullptr) {
        previousBitmap_ = SelectObject(dc_, bitmap_);
    }
}

OffscreenCanvas::~OffscreenCanvas() {
    if (dc_ != nullptr) {
        (void)SelectObject(dc_, previousBitmap_);
        (void)DeleteDC(dc_);
    }
    if (bitmap_ != nullptr) {
        (void)DeleteObject(bitmap_);
    }
}

void OffscreenCanvas::Present(HDC target) const {
    if (dc_ != nullptr) {
        (void)BitBlt(target, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
    }
}

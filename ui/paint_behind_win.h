// Painting what lies behind a child window, for windows that draw only their text.
#pragma once

#include <windows.h>

// Paints into dc (whose origin is the child's client origin) what would show through the child:
// the default background, then the parent's background and client (the themed tab page, say), then
// every visible sibling below the child in the Z order that it overlaps (a picture box, say).
void PaintWhatLiesBehind(HWND child, HDC dc);

// A memory bitmap of the given size to paint into without flicker; Present copies it to target.
class OffscreenCanvas {
  public:
    OffscreenCanvas(HDC compatibleWith, int width, int height);
    ~OffscreenCanvas();
    OffscreenCanvas(const OffscreenCanvas&) = delete;
    OffscreenCanvas& operator=(const OffscreenCanvas&) = delete;

    // Null when no memory bitmap could be made: then paint straight into the target.
    HDC dc() const { return dc_; }
    void Present(HDC target) const;

  private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
    int width_;
    int height_;
};

// The real main window, created in the test process. Routines of other folders (start-up, installs,
// links) are recorded but kept from running unless a test lets them.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "ui/control_events_win.h"
#include "ui/window_description.h"

class MainWindowTest : public testing::Test {
  public:
    // Routines run (or kept from running) since the window was created, in order.
    static std::vector<ui::Routine>& Ran();
    // Routines that really run when their event fires; all others are only recorded.
    static std::set<ui::Routine>& Allowed();
    static size_t Count(ui::Routine routine);

  protected:
    void SetUp() override;
    void TearDown() override;

    // Dispatches what is queued, for a short while.
    static void Pump(DWORD milliseconds = 50);
    // Makes a page current the way a user does: a click on its header.
    void ClickPageHeader(int page);
    // The window shown without activation, so that pages and their controls are visible.
    void Show();

    HWND window = nullptr;
};

// A picture of the given size in one colour (0xAARRGGBB), top half and bottom half, as PNG bytes.
std::vector<unsigned char> TwoColourPng(int width, int height, uint32_t top, uint32_t bottom);

// Paints a window through WM_PRINTCLIENT into a 32-bit bitmap of its client size; pixels top-down,
// 0x00RRGGBB.
struct Snapshot {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
};
Snapshot PrintClient(HWND window);

// 0x00RRGGBB of a COLORREF.
uint32_t Rgb(COLORREF colour);

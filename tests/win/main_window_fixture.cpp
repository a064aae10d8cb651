#include "tests/win/main_window_fixture.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include <png.h>

#include "app/program_state.h"
#include "app/routine_bindings_win.h"
#include "process/responsive_delay_win.h"
#include "ui/controls_win.h"
#include "ui/file_dialog_win.h"
#include "ui/main_window_win.h"

namespace {

void RecordRoutine(ui::Routine routine) {
    MainWindowTest::Ran().push_back(routine);
    if (MainWindowTest::Allowed().count(routine) != 0) {
        RunBoundRoutine(routine);
    }
}

}  // namespace

std::vector<ui::Routine>& MainWindowTest::Ran() {
    static std::vector<ui::Routine> ran;
    return ran;
}

std::set<ui::Routine>& MainWindowTest::Allowed() {
    static std::set<ui::Routine> allowed;
    return allowed;
}

size_t MainWindowTest::Count(ui::Routine routine) {
    return static_cast<size_t>(std::count(Ran().begin(), Ran().end(), routine));
}

void MainWindowTest::SetUp() {
    Ran().clear();
    // The window's own small commands run; everything that reaches outside the window does not.
    Allowed() = {ui::Routine::SyncWsaPackagePath, ui::Routine::SyncApkPackagePath, ui::Routine::ChooseWsaPackage,
                 ui::Routine::ChooseApkPackage};
    SetRoutineRunner(RecordRoutine);
    SetPreTranslateHook(PreTranslateAppMessage);
    WsaPackagePath.clear();
    ApkPackagePath.clear();
    通用对话框1.fileName.clear();
    通用对话框2.fileName.clear();
    window = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(window, nullptr);
    Pump();
    Ran().clear();
}

void MainWindowTest::TearDown() {
    if (window != nullptr && IsWindow(window)) {
        (void)DestroyWindow(window);
    }
    // The window's end posts WM_QUIT; it must not end the modal loops of the next test.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    SetRoutineRunner(nullptr);
}

void MainWindowTest::Pump(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    MSG message;
    do {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    } while (static_cast<LONG>(GetTickCount() - end) < 0);
}

void MainWindowTest::Show() {
    (void)ShowWindow(window, SW_SHOWNOACTIVATE);
    (void)UpdateWindow(window);
    Pump();
}

void MainWindowTest::ClickPageHeader(int page) {
    HWND tab = ControlWindow(control::选择夹1);
    RECT header;
    ASSERT_TRUE(SendMessageA(tab, TCM_GETITEMRECT, page, reinterpret_cast<LPARAM>(&header)));
    const LPARAM point = MAKELPARAM((header.left + header.right) / 2, (header.top + header.bottom) / 2);
    (void)SendMessageA(tab, WM_LBUTTONDOWN, MK_LBUTTON, point);
    (void)SendMessageA(tab, WM_LBUTTONUP, 0, point);
    Pump();
}

std::vector<unsigned char> TwoColourPng(int width, int height, uint32_t top, uint32_t bottom) {
    std::vector<unsigned char> rgba;
    for (int y = 0; y < height; ++y) {
        const uint32_t colour = y < height / 2 ? top : bottom;
        for (int x = 0; x < width; ++x) {
            rgba.insert(rgba.end(), {static_cast<unsigned char>(colour >> 16), static_cast<unsigned char>(colour >> 8),
                                     static_cast<unsigned char>(colour), static_cast<unsigned char>(colour >> 24)});
        }
    }
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    (void)png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr);
    std::vector<unsigned char> png(size);
    (void)png_image_write_to_memory(&image, png.data(), &size, 0, rgba.data(), 0, nullptr);
    png.resize(size);
    return png;
}

Snapshot PrintClient(HWND window) {
    RECT client;
    (void)GetClientRect(window, &client);
    Snapshot snapshot;
    snapshot.width = client.right;
    snapshot.height = client.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = snapshot.width;
    info.bmiHeader.biHeight = -snapshot.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    (void)SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    snapshot.pixels.assign(pixels, pixels + static_cast<size_t>(snapshot.width) * snapshot.height);
    (void)SelectObject(dc, previous);
    (void)DeleteObject(bitmap);
    (void)DeleteDC(dc);
    return snapshot;
}

uint32_t Rgb(COLORREF colour) {
    return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TAB_CLASSES | ICC_INTERNET_CLASSES | ICC_STANDARD_CLASSES};
    (void)InitCommonControlsEx(&controls);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// Minimal main window; the full description is built on top of this.
#include "ui/main_window_win.h"

#include "app/workspace_win.h"
#include "ui/controls_win.h"

namespace {
constexpr char kClassName[] = "MossgateMain";
constexpr UINT kCloseRequest = WM_APP + 1;
HWND mainWindow = nullptr;

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            mainWindow = window;
            PrepareWorkspace();
            return 0;
        case kCloseRequest:
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            RemoveAdbTools();
            mainWindow = nullptr;
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
}  // namespace

HWND CreateMainWindow(HINSTANCE instance) {
    WNDCLASSEXA windowClass = {sizeof(windowClass)};
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    if (!RegisterClassExA(&windowClass)) {
        return nullptr;
    }
    int x = (GetSystemMetrics(SM_CXSCREEN) - 355) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - 516) / 2;
    return CreateWindowExA(0, kClassName, "", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, x, y, 355,
                           516, nullptr, nullptr, instance, nullptr);
}

HWND MainWindow() {
    return mainWindow;
}

bool PreTranslateAppMessage(MSG&) {
    return false;
}

void CloseMainWindow() {
    PostMessageA(mainWindow, kCloseRequest, 0, 0);
}

HWND ControlWindow(int) { return nullptr; }
std::string GetEditText(int) { return {}; }
void SetEditText(int, const std::string&) {}
void AppendEditText(int, const std::string&) {}
std::string GetIpAddressText(int) { return {}; }
void SetPicture(int, const void*, size_t) {}
void EnableControl(int, bool) {}

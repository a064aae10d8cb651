// The main window: realises the window description, routes the controls' notifications to the
// bound routines and shows the controls of the current tab page.
#include "ui/main_window_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include "base/payload_win.h"
#include "ui/control_events_win.h"
#include "ui/control_factory_win.h"
#include "ui/controls_win.h"
#include "ui/file_drop_win.h"
#include "ui/gdi_cache_win.h"
#include "ui/label_win.h"
#include "ui/picture_box_win.h"
#include "ui/window_description.h"

namespace {

constexpr char kClassName[] = "MossgateMain";
constexpr UINT kCloseRequest = WM_APP + 1;
constexpr UINT kRunSoon = WM_APP + 2;
constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

HWND mainWindow = nullptr;
// Whether WM_CREATE went through: only then does the window's end run its routine and end the loop.
bool windowCreated = false;
// The control that had the focus when the window was last deactivated.
HWND lastFocus = nullptr;
WNDPROC tabControlProc = nullptr;
DropHandler dropHandler = nullptr;
CopyDataHandler copyDataHandler = nullptr;

// The controls of the pages are children of the tab control, so their notifications and colour
// queries reach it first; the main window answers them.
LRESULT CALLBACK TabControlSubclassProc(HWND tab, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
            return SendMessageA(GetParent(tab), message, wParam, lParam);
    }
    return CallWindowProcA(tabControlProc, tab, message, wParam, lParam);
}

void ShowPage(int current) {
    for (const ui::ControlDescription& control : ui::Controls()) {
        if (control.page == ui::Page::Window) {
            continue;
        }
        if (HWND window = ControlWindow(control.id)) {
            (void)ShowWindow(window, static_cast<int>(control.page) == current ? SW_SHOWNA : SW_HIDE);
        }
    }
}

void ShowInitialPicture(HWND box, const char* payloadName) {
    const PayloadItem item = FindPayloadItem(payloadName);
    ShowPictureInBox(box, item.data, item.size);
}

bool CreateControls(HWND window, HINSTANCE instance) {
    for (const ui::ControlDescription& control : ui::Controls()) {
        HWND parent = control.page == ui::Page::Window ? window : ControlWindow(control::选择夹1);
        const bool visible = control.page == ui::Page::Window || control.page == ui::Page::Wsa;
        HWND created = parent ? CreateControl(control, parent, instance, visible) : nullptr;
        if (created == nullptr) {
            return false;
        }
        RegisterControl(control.id, created);
        if (control.kind == ui::ControlKind::TabControl) {
            (void)SendMessageA(created, TCM_SETCURSEL, 0, 0);
            tabControlProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(created, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TabControlSubclassProc)));
        }
        if (control.picture != nullptr) {
            ShowInitialPicture(created, control.picture);
        }
    }
    return true;
}

// Edit boxes take the colours of the description, also when disabled or read-only.
LRESULT EditBoxColours(HDC dc, HWND box) {
    const ui::ControlDescription* control = ui::FindControl(GetDlgCtrlID(box));
    if (control == nullptr || control->kind != ui::ControlKind::EditBox) {
        return 0;
    }
    (void)SetTextColor(dc, ResolveColour(control->textColour));
    (void)SetBkColor(dc, ResolveColour(control->backColour));
    return reinterpret_cast<LRESULT>(BrushFor(ResolveColour(control->backColour)));
}

void RestoreFocus(HWND window) {
    if (lastFocus != nullptr && IsWindow(lastFocus) && IsWindowVisible(lastFocus) && IsWindowEnabled(lastFocus)) {
        (void)SetFocus(lastFocus);
    } else if (HWND first = GetNextDlgTabItem(window, nullptr, FALSE)) {
        (void)SetFocus(first);
    }
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            mainWindow = window;
            if (!CreateControls(window, reinterpret_cast<const CREATESTRUCTA*>(lParam)->hInstance)) {
                return -1;
            }
            windowCreated = true;
            // Files dropped on any control reach the window itself: only it accepts them.
            DragAcceptFiles(window, TRUE);
            RunRoutine(ui::kWindowCreated);
            return 0;
        }
        case WM_DROPFILES: {
            const std::vector<std::wstring> files = TakeDroppedFiles(reinterpret_cast<HDROP>(wParam));
            if (dropHandler != nullptr && !files.empty()) {
                dropHandler(files);
            }
            return 0;
        }
        case WM_COPYDATA: {
            const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            return copy != nullptr && copyDataHandler != nullptr &&
                   copyDataHandler(copy->dwData, copy->lpData, copy->lpData != nullptr ? copy->cbData : 0);
        }
        case kRunSoon:
            reinterpret_cast<void (*)()>(lParam)();
            return 0;
        case WM_COMMAND:
            if (lParam != 0) {
                HandleControlCommand(LOWORD(wParam), HIWORD(wParam));
            }
            return 0;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            // The page-changed event has no routine; only the pages' controls follow the selection.
            if (header->idFrom == static_cast<UINT_PTR>(control::选择夹1) && header->code == TCN_SELCHANGE) {
                ShowPage(static_cast<int>(SendMessageA(header->hwndFrom, TCM_GETCURSEL, 0, 0)));
            }
            return 0;
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
            if (LRESULT brush = EditBoxColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
                return brush;
            }
            break;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus != nullptr && IsChild(window, focus)) {
                    lastFocus = focus;
                }
            }
            break;  // activation gives the window the focus, and WM_SETFOCUS passes it on
        case WM_SETFOCUS:
            RestoreFocus(window);
            return 0;
        case WM_SYSCOMMAND:
            // No maximize box, and no maximizing by any other way either.
            if ((wParam & 0xFFF0) == SC_MAXIMIZE) {
                return 0;
            }
            break;
        case kCloseRequest:
            (void)DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            if (windowCreated) {
                RunRoutine(ui::kWindowDestroyed);
                PostQuitMessage(0);
            }
            return 0;
        case WM_NCDESTROY:
            // The controls are gone by now; their fonts and brushes can go too.
            ForgetControls();
            ReleaseGdiCache();
            mainWindow = nullptr;
            windowCreated = false;
            lastFocus = nullptr;
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    windowClass.hIcon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    windowClass.hIconSm = static_cast<HICON>(LoadImageA(
        instance, MAKEINTRESOURCEA(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    return RegisterClassExA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

HWND CreateMainWindow(HINSTANCE instance) {
    if (!RegisterMainWindowClass(instance) || !RegisterLabelClasses(instance) || !RegisterPictureBoxClass(instance)) {
        return nullptr;
    }
    const int x = ui::CentredPosition(GetSystemMetrics(SM_CXSCREEN), ui::kWindowWidth);
    const int y = ui::CentredPosition(GetSystemMetrics(SM_CYSCREEN), ui::kWindowHeight);
    return CreateWindowExA(0, kClassName, ui::kWindowTitle, kWindowStyle, x, y, ui::kWindowWidth, ui::kWindowHeight,
                           nullptr, nullptr, instance, nullptr);
}

HWND MainWindow() {
    return mainWindow;
}

bool PreTranslateAppMessage(MSG& message) {
    // Tab and the arrow keys move between the controls, as in a dialog.
    return mainWindow != nullptr && IsDialogMessageA(mainWindow, &message);
}

void CloseMainWindow() {
    (void)PostMessageA(mainWindow, kCloseRequest, 0, 0);
}

void ShowTabPage(ui::Page page) {
    (void)SendMessageA(ControlWindow(control::选择夹1), TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    ShowPage(static_cast<int>(page));
}

void SetDropHandler(DropHandler handler) {
    dropHandler = handler;
}

void SetCopyDataHandler(CopyDataHandler handler) {
    copyDataHandler = handler;
}

void RunSoon(void (*task)()) {
    (void)PostMessageA(mainWindow, kRunSoon, 0, reinterpret_cast<LPARAM>(task));
}

// testee.exe: a small window of the same kinds of controls as the program's, so the driver's tests
// need not wait for the real window. Every event it sees is appended as a line to the log box 编辑框2.
// It takes dropped files on the window: "drop N X Y" (count, point in the window's client area), then
// "file HEX" per file, the wide name as UTF-16 code units in hex, so a test sees the exact name.
//   testee.exe                    shows the window
//   testee.exe --startup-message  shows a task-modal message box before the window, then closes it
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "ui/control_ids.h"

namespace {

constexpr char kClassName[] = "MossgateTestee";
constexpr char kLabelClass[] = "TesteeLabel";
HWND mainWindow = nullptr;
HWND tabControl = nullptr;
WNDPROC tabProcedure = nullptr;
HFONT labelFont = nullptr;
bool startupMessage = false;

HWND Control(int id) {
    HWND found = GetDlgItem(mainWindow, id);
    return found ? found : GetDlgItem(tabControl, id);
}

void Log(const std::string& line) {
    HWND log = GetDlgItem(mainWindow, control::编辑框2);
    if (log == nullptr)
        return;
    int end = GetWindowTextLengthA(log);
    SendMessageA(log, EM_SETSEL, end, end);
    std::string text = line + "\r\n";
    SendMessageA(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

HWND Child(HWND parent,
           const char* windowClass,
           const char* text,
           DWORD style,
           DWORD exStyle,
           int x,
           int y,
           int w,
           int h,
           int id) {
    HWND child = CreateWindowExA(exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return child;
}

void ShowPage(int page) {
    const int pages[][2] = {{control::编辑框1, 0}, {control::IP编辑框1, 1}, {control::编辑框3, 1}, {control::按钮5, 2}};
    for (const auto& entry : pages)
        ShowWindow(GetDlgItem(tabControl, entry[0]), entry[1] == page ? SW_SHOW : SW_HIDE);
}

void ChooseFile() {
    char file[MAX_PATH] = {};
    OPENFILENAMEA dialog = {sizeof(dialog)};
    dialog.hwndOwner = mainWindow;
    dialog.lpstrFilter = "安装包(*.apk)\0*.apk\0\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
    if (GetOpenFileNameA(&dialog)) {
        SetWindowTextA(Control(control::编辑框4), file);
        Log(std::string("open ") + file);
    } else {
        Log("open cancelled");
    }
}

void OnDropFiles(HDROP drop) {
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    POINT point = {};
    (void)DragQueryPoint(drop, &point);
    char line[64];
    snprintf(line, sizeof(line), "drop %u %ld %ld", count, point.x, point.y);
    Log(line);
    for (UINT n = 0; n < count; ++n) {
        std::wstring name(DragQueryFileW(drop, n, nullptr, 0) + 1, L'\0');
        name.resize(DragQueryFileW(drop, n, name.data(), static_cast<UINT>(name.size())));
        std::string hex = "file ";
        for (wchar_t unit : name) {
            char digits[8];
            snprintf(digits, sizeof(digits), "%04x", static_cast<unsigned>(unit));
            hex += digits;
        }
        Log(hex);
    }
    DragFinish(drop);
}

void OnCommand(int id, int code) {
    char line[64];
    if (code == EN_CHANGE && id != control::编辑框2) {
        snprintf(line, sizeof(line), "change %d %d", id, GetWindowTextLengthA(Control(id)));
        Log(line);
    } else if (code == BN_CLICKED) {
        snprintf(line, sizeof(line), "clicked %d", id);
        Log(line);
        if (id == control::按钮1) {
            int answer = MessageBoxA(nullptr, "安装成功", "MOSSGATE", MB_OK | MB_TASKMODAL);
            snprintf(line, sizeof(line), "message answer %d", answer);
            Log(line);
        } else if (id == control::按钮3) {
            ChooseFile();
        }
    }
}

LRESULT CALLBACK TabProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Controls on the pages are the tab control's children: their notifications go to the window.
    if (message == WM_COMMAND)
        return SendMessageA(mainWindow, message, wParam, lParam);
    return CallWindowProcA(tabProcedure, window, message, wParam, lParam);
}

LRESULT CALLBACK LabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    char line[64];
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            snprintf(line, sizeof(line), "%s %d %d %d", message == WM_LBUTTONDOWN ? "down" : "up", GetDlgCtrlID(window),
                     static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
            Log(line);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            char text[128] = {};
            GetWindowTextA(window, text, sizeof(text));
            RECT rect;
            GetClientRect(window, &rect);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, RGB(255, 0, 0));
            HGDIOBJ old = SelectObject(dc, labelFont);
            DrawTextA(dc, text, -1, &rect, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOCLIP);
            SelectObject(dc, old);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_SETFONT:
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(labelFont);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void CreateControls(HWND window) {
    mainWindow = window;
    Child(window, "BUTTON", "关联APK", WS_TABSTOP | BS_PUSHBUTTON, 0, 8, 8, 96, 32, control::按钮7);
    Child(window, "BUTTON", "消息", WS_TABSTOP | BS_PUSHBUTTON, 0, 112, 8, 64, 32, control::按钮1);
    Child(window, "BUTTON", "选择", WS_TABSTOP | BS_PUSHBUTTON, 0, 184, 8, 64, 32, control::按钮3);
    HWND disabled = Child(window, "BUTTON", "禁用", WS_TABSTOP | BS_PUSHBUTTON, 0, 256, 8, 80, 32, control::按钮2);
    EnableWindow(disabled, FALSE);
    Child(window, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 80, 48, 168, 24, control::编辑框4);
    Child(window, "EDIT", "", WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, WS_EX_CLIENTEDGE, 8, 360, 330,
          112, control::编辑框2);

    LOGFONTA font = {};
    font.lfHeight = -16;
    font.lfWeight = 400;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = PROOF_QUALITY;
    lstrcpyA(font.lfFaceName, "微软雅黑");
    labelFont = CreateFontIndirectA(&font);
    Child(window, kLabelClass, "还没下载？戳我去下载", 0, 0, 8, 80, 160, 24, control::透明标签8);

    tabControl = Child(window, WC_TABCONTROLA, "", WS_CLIPSIBLINGS, 0, 8, 120, 336, 230, control::选择夹1);
    const char* pages[] = {"WSA安装", "APK安装", "关于"};
    for (int n = 0; n < 3; ++n) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(pages[n]);
        SendMessageA(tabControl, TCM_INSERTITEMA, n, reinterpret_cast<LPARAM>(&item));
    }
    tabProcedure =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(tabControl, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TabProc)));
    Child(tabControl, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 16, 40, 200, 24, control::编辑框1);
    HWND ip = Child(tabControl, WC_IPADDRESSA, "", WS_TABSTOP, 0, 16, 40, 144, 24, control::IP编辑框1);
    SendMessageA(ip, IPM_SETADDRESS, 0, MAKEIPADDRESS(127, 0, 0, 1));
    Child(tabControl, "EDIT", "58526", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 176, 40, 64, 24,
          control::编辑框3);
    Child(tabControl, "BUTTON", "关注墨羽", WS_TABSTOP | BS_PUSHBUTTON, 0, 16, 88, 128, 32, control::按钮5);
    ShowPage(0);
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            CreateControls(window);
            if (startupMessage) {
                MessageBoxA(nullptr, "启动消息", "MOSSGATE", MB_OK | MB_TASKMODAL);
                PostMessageA(window, WM_CLOSE, 0, 0);
            }
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_DROPFILES:
            OnDropFiles(reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_NOTIFY: {
            const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->hwndFrom == tabControl && header->code == TCN_SELCHANGE) {
                int page = static_cast<int>(SendMessageA(tabControl, TCM_GETCURSEL, 0, 0));
                ShowPage(page);
                char line[32];
                snprintf(line, sizeof(line), "page %d", page);
                Log(line);
            }
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    startupMessage = strstr(commandLine, "--startup-message") != nullptr;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TAB_CLASSES | ICC_INTERNET_CLASSES};
    InitCommonControlsEx(&controls);

    WNDCLASSEXA label = {sizeof(label)};
    label.lpfnWndProc = LabelProc;
    label.hInstance = instance;
    label.hCursor = LoadCursor(nullptr, IDC_ARROW);
    label.lpszClassName = kLabelClass;
    RegisterClassExA(&label);

    WNDCLASSEXA windowClass = {sizeof(windowClass)};
    windowClass.lpfnWndProc = MainProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassExA(&windowClass);
    HWND window = CreateWindowExA(0, kClassName, "", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                                  (GetSystemMetrics(SM_CXSCREEN) - 355) / 2, (GetSystemMetrics(SM_CYSCREEN) - 516) / 2,
                                  355, 516, nullptr, nullptr, instance, nullptr);
    if (window == nullptr)
        return 1;
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    // Only the window takes drops: a drop on a control reaches it through the control's parents.
    DragAcceptFiles(window, TRUE);
    if (!startupMessage) {
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    DeleteObject(labelFont);
    return 0;
}

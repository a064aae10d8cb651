#include "tests/e2e/driver/input_win.h"

#include <climits>
#include <vector>

#include "tests/e2e/driver/text_win.h"

namespace {

struct KeyName {
    const char* name;
    WORD vk;
};

constexpr KeyName kKeys[] = {
    {"enter", VK_RETURN},   {"return", VK_RETURN}, {"tab", VK_TAB},     {"escape", VK_ESCAPE}, {"esc", VK_ESCAPE},
    {"backspace", VK_BACK}, {"delete", VK_DELETE}, {"del", VK_DELETE},  {"insert", VK_INSERT}, {"home", VK_HOME},
    {"end", VK_END},        {"left", VK_LEFT},     {"right", VK_RIGHT}, {"up", VK_UP},         {"down", VK_DOWN},
    {"pageup", VK_PRIOR},   {"pagedown", VK_NEXT}, {"space", VK_SPACE}, {"f1", VK_F1},         {"f2", VK_F2},
    {"f3", VK_F3},          {"f4", VK_F4},         {"f5", VK_F5},       {"f6", VK_F6},         {"f7", VK_F7},
    {"f8", VK_F8},          {"f9", VK_F9},         {"f10", VK_F10},     {"f11", VK_F11},       {"f12", VK_F12},
};

bool IsExtendedKey(WORD vk) {
    switch (vk) {
        case VK_DELETE:
        case VK_INSERT:
        case VK_HOME:
        case VK_END:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
            return true;
        default:
            return false;
    }
}

LPARAM KeyParam(WORD vk, bool up, bool alt) {
    LPARAM scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    LPARAM param = 1 | (scan << 16);
    if (IsExtendedKey(vk))
        param |= 1 << 24;
    if (alt)
        param |= 1 << 29;
    if (up)
        param |= (1u << 30) | (1u << 31);
    return param;
}

// The character a key gives without modifiers, or 0.
wchar_t KeyCharacter(WORD vk) {
    switch (vk) {
        case VK_RETURN:
            return L'\r';
        case VK_TAB:
            return L'\t';
        case VK_BACK:
            return 8;
        case VK_ESCAPE:
            return 27;
        case VK_SPACE:
            return L' ';
        default:
            break;
    }
    if ((vk >= '0' && vk <= '9'))
        return vk;
    if (vk >= 'A' && vk <= 'Z')
        return vk - 'A' + 'a';
    return 0;
}

void SendKeyInput(WORD vk, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
    if (SendInput(1, &input, sizeof(input)) != 1)
        throw DriverError("SendInput (keyboard) failed");
}

void SendUnicodeInput(wchar_t c) {
    INPUT inputs[2] = {};
    for (int n = 0; n < 2; ++n) {
        inputs[n].type = INPUT_KEYBOARD;
        inputs[n].ki.wScan = c;
        inputs[n].ki.dwFlags = KEYEVENTF_UNICODE | (n == 1 ? KEYEVENTF_KEYUP : 0);
    }
    if (SendInput(2, inputs, sizeof(INPUT)) != 2)
        throw DriverError("SendInput (characters) failed");
}

// A button event at a point of the screen. It carries the point itself: a window that has just appeared
// under the pointer reports a crossing at the pointer's old place, and the program turns that, when it
// gets round to it, into a move of the cursor back there, which would otherwise take the click along.
void SendMouseInputAt(DWORD flags, POINT screen) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    if (width <= 0 || height <= 0)
        throw DriverError("no screen size");
    INPUT input = {};
    input.type = INPUT_MOUSE;
    // Absolute coordinates are 65536ths of the screen, taken back to pixels rounding down: round up here.
    input.mi.dx = static_cast<LONG>((static_cast<LONGLONG>(screen.x) * 65536 + width - 1) / width);
    input.mi.dy = static_cast<LONG>((static_cast<LONGLONG>(screen.y) * 65536 + height - 1) / height);
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    if (SendInput(1, &input, sizeof(input)) != 1)
        throw DriverError("SendInput (mouse) failed");
}

// Makes the program's main window the foreground window, so real keyboard input goes to it.
bool BringToFront(Session& session) {
    HWND main = session.MainWindow();
    HWND popup = GetLastActivePopup(main);
    HWND target = popup && IsWindowVisible(popup) ? popup : main;
    if (GetForegroundWindow() == target)
        return true;
    (void)SetForegroundWindow(target);
    for (DWORD start = Now(); Now() - start < 1000; Pause(10)) {
        if (GetForegroundWindow() == target)
            return true;
    }
    return false;
}

}  // namespace

InputMode ParseInputMode(const std::string& text, InputMode fallback) {
    if (text.empty())
        return fallback;
    if (text == "auto")
        return InputMode::Auto;
    if (text == "input" || text == "real")
        return InputMode::Input;
    if (text == "post")
        return InputMode::Post;
    if (text == "send")
        return InputMode::Send;
    if (text == "bm" || text == "bm_click")
        return InputMode::Button;
    throw DriverError("unknown mode '" + text + "' (auto, input, post, send, bm)");
}

const char* InputModeName(InputMode mode) {
    switch (mode) {
        case InputMode::Auto:
            return "auto";
        case InputMode::Input:
            return "input";
        case InputMode::Post:
            return "post";
        case InputMode::Send:
            return "send";
        case InputMode::Button:
            return "bm";
    }
    return "?";
}

bool Settle(Session& session, Behind behind, DWORD timeoutMs) {
    if (timeoutMs == 0)
        return false;
    return session.Sync(behind, timeoutMs);
}

JsonValue MouseOnControl(Session& session,
                         HWND control,
                         int x,
                         int y,
                         MouseAction action,
                         InputMode mode,
                         bool rightButton,
                         DWORD settleMs) {
    RECT client = {};
    (void)GetClientRect(control, &client);
    POINT point = {x == INT_MIN ? client.right / 2 : x, y == INT_MIN ? client.bottom / 2 : y};
    POINT screen = point;
    (void)ClientToScreen(control, &screen);
    HWND hit = WindowFromPoint(screen);
    const bool hittable = IsWindowVisible(control) && (hit == control || IsChild(control, hit));

    // A person clicks whatever lies at a visible control's place (a disabled or covered window takes the
    // click as it would); only a control that is not on the screen at all is reached by posting.
    const bool onScreen = screen.x >= 0 && screen.y >= 0 && screen.x < GetSystemMetrics(SM_CXSCREEN) &&
                          screen.y < GetSystemMetrics(SM_CYSCREEN);
    if (mode == InputMode::Auto)
        mode = IsWindowVisible(control) && onScreen ? InputMode::Input : InputMode::Post;
    if (mode == InputMode::Send)
        throw DriverError("mode send is for the keyboard; use input, post or bm");
    if (mode == InputMode::Button && (action != MouseAction::Click || rightButton)) {
        throw DriverError("mode bm only clicks with the left button");
    }

    const bool press = action != MouseAction::Release;
    const bool release = action != MouseAction::Press;
    const int clicks = action == MouseAction::DoubleClick ? 2 : 1;
    if (mode == InputMode::Input) {
        // Under Wine without a window manager, a click that also activates its window can lose its
        // release to the focus change that follows: the window is brought to the front first.
        HWND top = GetAncestor(control, GA_ROOT);
        if (top && GetForegroundWindow() != top && IsWindowEnabled(top) && ProcessIdOf(top) == session.Pid()) {
            (void)SetForegroundWindow(top);
            for (DWORD start = Now(); GetForegroundWindow() != top && Now() - start < 1000;)
                Pause(10);
            (void)Settle(session, Behind::Posted, settleMs);
        }
        if (!SetCursorPos(screen.x, screen.y))
            throw DriverError("SetCursorPos failed");
        const DWORD down = rightButton ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
        const DWORD up = rightButton ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
        for (int n = 0; n < clicks; ++n) {
            if (press)
                SendMouseInputAt(down, screen);
            if (release)
                SendMouseInputAt(up, screen);
        }
    } else if (mode == InputMode::Post) {
        const LPARAM where = MAKELPARAM(point.x, point.y);
        const UINT down = rightButton ? WM_RBUTTONDOWN : WM_LBUTTONDOWN;
        const UINT downAgain = rightButton ? WM_RBUTTONDBLCLK : WM_LBUTTONDBLCLK;
        const UINT up = rightButton ? WM_RBUTTONUP : WM_LBUTTONUP;
        const WPARAM held = rightButton ? MK_RBUTTON : MK_LBUTTON;
        (void)PostMessageA(control, WM_MOUSEMOVE, 0, where);
        for (int n = 0; n < clicks; ++n) {
            if (press)
                (void)PostMessageA(control, n == 0 ? down : downAgain, held, where);
            if (release)
                (void)PostMessageA(control, up, 0, where);
        }
    } else {
        (void)PostMessageA(control, BM_CLICK, 0, 0);
    }

    JsonValue reply = JsonValue::MakeObject();
    reply.Set("mode", InputModeName(mode));
    reply.Set("x", point.x).Set("y", point.y).Set("screen_x", screen.x).Set("screen_y", screen.y);
    reply.Set("hittable", hittable);
    reply.Set("hit", hit ? JsonValue(HandleText(hit)) : JsonValue());
    reply.Set("synced", Settle(session, mode == InputMode::Input ? Behind::Mouse : Behind::Posted, settleMs));
    return reply;
}

bool FocusControl(Session& session, HWND control) {
    HWND main = session.MainWindow();
    DWORD thread = GetWindowThreadProcessId(main, nullptr);
    auto focused = [&] {
        HWND focus = FocusedWindow(session);
        return focus == control || IsChild(control, focus);
    };
    // The program's window may still be settling its activation and take the focus back, so the
    // focus is set again now and then until it stays (bounded).
    for (DWORD start = Now(); Now() - start < 3000;) {
        // Sharing the program's input state lets SetFocus reach a window of another thread.
        if (AttachThreadInput(GetCurrentThreadId(), thread, TRUE)) {
            (void)SetFocus(control);
            (void)AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
        }
        for (DWORD attempt = Now(); Now() - attempt < 250; Pause(5)) {
            if (focused())
                return true;
        }
    }
    return false;
}

JsonValue TypeText(Session& session, const std::wstring& text, InputMode mode, DWORD settleMs) {
    if (mode == InputMode::Auto)
        mode = InputMode::Post;
    if (mode == InputMode::Button)
        throw DriverError("mode bm is for buttons");
    bool front = true;
    if (mode == InputMode::Input)
        front = BringToFront(session);
    size_t typed = 0;
    size_t sentDirectly = 0;
    for (size_t n = 0; n < text.size(); ++n) {
        wchar_t c = text[n];
        if (c == L'\n' && n > 0 && text[n - 1] == L'\r')
            continue;  // "\r\n" is one Enter
        if (c == L'\n')
            c = L'\r';
        HWND focus = FocusedWindow(session);
        if (focus == nullptr)
            throw DriverError("nothing has the keyboard focus after " + std::to_string(typed) + " characters");
        // A posted or typed double-byte character reaches a window of the ANSI kind through Wine's ANSI
        // message loop as "??"; sent, Wine converts it for the window's kind. Such characters are
        // therefore sent, once everything before them was handled.
        const bool sendDirectly = mode == InputMode::Send || (c >= 0x80 && !IsWindowUnicode(focus));
        bool hardware = false;
        if (sendDirectly) {
            (void)SendCheckedW(focus, WM_CHAR, c, 1);
            ++sentDirectly;
        } else if (mode == InputMode::Post) {
            if (!PostMessageW(focus, WM_CHAR, c, 1))
                throw DriverError("PostMessage WM_CHAR failed");
        } else {
            hardware = true;
            if (c == L'\r') {
                SendKeyInput(VK_RETURN, false);
                SendKeyInput(VK_RETURN, true);
            } else if (c == L'\t') {
                SendKeyInput(VK_TAB, false);
                SendKeyInput(VK_TAB, true);
            } else {
                SendUnicodeInput(c);
            }
        }
        ++typed;
        // The next character goes to whatever has the focus once this one was handled.
        if (!sendDirectly && !Settle(session, hardware ? Behind::Keyboard : Behind::Posted, settleMs)) {
            throw DriverError("the program did not take character " + std::to_string(typed) + " within " +
                              std::to_string(settleMs) + " ms");
        }
    }
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("mode", InputModeName(mode));
    reply.Set("typed", static_cast<unsigned long>(typed));
    reply.Set("sent_directly", static_cast<unsigned long>(sentDirectly));
    if (mode == InputMode::Input)
        reply.Set("foreground", front);
    return reply;
}

JsonValue PressKey(Session& session, const std::string& combination, InputMode mode, DWORD settleMs) {
    if (mode == InputMode::Auto)
        mode = InputMode::Post;
    bool ctrl = false, shift = false, alt = false;
    WORD vk = 0;
    size_t start = 0;
    while (start <= combination.size()) {
        size_t plus = combination.find('+', start);
        // A '+' at the end is the key itself.
        if (plus == combination.size() - 1 && plus == start)
            plus = std::string::npos;
        std::string part = combination.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
        for (char& ch : part)
            ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
        if (plus != std::string::npos && (part == "ctrl" || part == "control")) {
            ctrl = true;
        } else if (plus != std::string::npos && part == "shift") {
            shift = true;
        } else if (plus != std::string::npos && part == "alt") {
            alt = true;
        } else if (plus == std::string::npos) {
            for (const KeyName& key : kKeys) {
                if (part == key.name)
                    vk = key.vk;
            }
            if (vk == 0 && part.size() == 1 && isalnum(static_cast<unsigned char>(part[0]))) {
                vk = static_cast<WORD>(toupper(static_cast<unsigned char>(part[0])));
            }
            if (vk == 0)
                throw DriverError("unknown key '" + part + "'");
        } else {
            throw DriverError("unknown modifier '" + part + "' (ctrl, shift, alt)");
        }
        if (plus == std::string::npos)
            break;
        start = plus + 1;
    }
    if (vk == 0)
        throw DriverError("no key in '" + combination + "'");

    JsonValue reply = JsonValue::MakeObject();
    if (mode == InputMode::Input) {
        reply.Set("foreground", BringToFront(session));
        std::vector<WORD> held;
        if (ctrl)
            held.push_back(VK_CONTROL);
        if (shift)
            held.push_back(VK_SHIFT);
        if (alt)
            held.push_back(VK_MENU);
        for (WORD modifier : held)
            SendKeyInput(modifier, false);
        SendKeyInput(vk, false);
        SendKeyInput(vk, true);
        for (auto it = held.rbegin(); it != held.rend(); ++it)
            SendKeyInput(*it, true);
        reply.Set("synced", Settle(session, Behind::Keyboard, settleMs));
    } else if (mode == InputMode::Post || mode == InputMode::Send) {
        // Ctrl and Shift live in the program's keyboard state, which messages cannot change.
        if (ctrl || shift)
            throw DriverError("ctrl and shift need mode=input");
        HWND focus = alt ? session.MainWindow() : FocusedWindow(session);
        if (focus == nullptr)
            throw DriverError("nothing has the keyboard focus");
        const UINT down = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
        const UINT up = alt ? WM_SYSKEYUP : WM_KEYUP;
        if (mode == InputMode::Post) {
            // The program's TranslateMessage makes the character, as for a real key.
            (void)PostMessageW(focus, down, vk, KeyParam(vk, false, alt));
            (void)PostMessageW(focus, up, vk, KeyParam(vk, true, alt));
            reply.Set("synced", Settle(session, Behind::Posted, settleMs));
        } else {
            (void)SendCheckedW(focus, down, vk, KeyParam(vk, false, alt));
            wchar_t c = alt ? 0 : KeyCharacter(vk);
            if (c)
                (void)SendCheckedW(focus, WM_CHAR, c, KeyParam(vk, false, false));
            (void)SendCheckedW(focus, up, vk, KeyParam(vk, true, alt));
        }
        reply.Set("target", HandleText(focus));
    } else {
        throw DriverError("mode bm is for buttons");
    }
    reply.Set("mode", InputModeName(mode));
    reply.Set("vk", vk);
    return reply;
}

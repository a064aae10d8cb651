// Message boxes and the open-file dialog of the program (dialog class #32770).
#include <cctype>
#include <climits>

#include "tests/e2e/driver/commands_win.h"
#include "tests/e2e/driver/input_win.h"
#include "tests/e2e/driver/text_win.h"

namespace {

constexpr int kFileNameEdit = 0x480;   // edt1
constexpr int kFileNameCombo = 0x47c;  // cmb13
constexpr int kFileTypeCombo = 0x470;  // cmb1
constexpr int kLookInCombo = 0x471;    // cmb2
constexpr int kMessageText = 0xffff;

bool IsDialog(HWND window) {
    return ClassNameOf(window) == "#32770";
}

HWND FindChildById(HWND parent, int id) {
    for (HWND child : Descendants(parent)) {
        if (GetDlgCtrlID(child) == id)
            return child;
    }
    return nullptr;
}

bool IsFileDialog(HWND dialog) {
    return FindChildById(dialog, kFileNameEdit) || FindChildById(dialog, kFileNameCombo);
}

std::vector<HWND> ProgramDialogs(Session& session, bool fileDialogs) {
    std::vector<HWND> found;
    const DWORD pid = session.Pid();
    for (HWND window : TopLevelWindows()) {
        if (!IsWindowVisible(window) || ProcessIdOf(window) != pid || !IsDialog(window))
            continue;
        if (IsFileDialog(window) == fileDialogs)
            found.push_back(window);
    }
    return found;
}

HWND WaitForDialog(Session& session, bool fileDialog, DWORD timeoutMs, const std::string& textPart) {
    const DWORD start = Now();
    while (true) {
        for (HWND dialog : ProgramDialogs(session, fileDialog)) {
            if (textPart.empty())
                return dialog;
            std::string all = WindowTextOf(dialog);
            for (HWND child : DirectChildren(dialog))
                all.append("\n").append(WindowTextOf(child));
            if (all.find(textPart) != std::string::npos)
                return dialog;
        }
        if (Now() - start >= timeoutMs)
            break;
        Pause(20);
    }
    throw DriverError(std::string(fileDialog ? "no open-file dialog" : "no message box") +
                      (textPart.empty() ? "" : " with '" + textPart + "'") + " of process " +
                      std::to_string(session.Pid()) + " within " + std::to_string(timeoutMs) + " ms");
}

std::string WithoutAmpersands(const std::string& text) {
    std::string out;
    for (size_t n = 0; n < text.size(); ++n) {
        if (text[n] == '&' && n + 1 < text.size() && text[n + 1] != '&')
            continue;
        out += text[n];
    }
    return out;
}

std::string LowerAscii(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

const char* StandardButtonName(int id) {
    switch (id) {
        case IDOK:
            return "ok";
        case IDCANCEL:
            return "cancel";
        case IDABORT:
            return "abort";
        case IDRETRY:
            return "retry";
        case IDIGNORE:
            return "ignore";
        case IDYES:
            return "yes";
        case IDNO:
            return "no";
        case IDCLOSE:
            return "close";
        case IDHELP:
            return "help";
        case IDTRYAGAIN:
            return "tryagain";
        case IDCONTINUE:
            return "continue";
        default:
            return "";
    }
}

std::vector<HWND> VisibleButtons(HWND dialog) {
    std::vector<HWND> buttons;
    for (HWND child : DirectChildren(dialog)) {
        if (IsWindowVisible(child) && LowerAscii(ClassNameOf(child)) == "button")
            buttons.push_back(child);
    }
    return buttons;
}

// A button of the dialog by id, by standard name (ok, cancel, yes, ...) or by its text.
HWND FindButton(HWND dialog, const std::string& which) {
    auto number = ParseInteger(which);
    for (HWND button : VisibleButtons(dialog)) {
        const int id = GetDlgCtrlID(button);
        if (number && id == *number)
            return button;
        if (!number && LowerAscii(which) == StandardButtonName(id))
            return button;
        if (WithoutAmpersands(WindowTextOf(button)) == WithoutAmpersands(which))
            return button;
    }
    std::string texts;
    for (HWND button : VisibleButtons(dialog))
        texts.append(" [").append(WindowTextOf(button)).append("]");
    throw DriverError("no button '" + which + "' in dialog " + HandleText(dialog) + "; buttons:" + texts);
}

// The message of a box: its text static (id 0xffff), else its longest static text. GBK bytes.
std::string MessageTextBytes(HWND box, bool* icon) {
    std::string text;
    std::string longest;
    for (HWND child : DirectChildren(box)) {
        if (LowerAscii(ClassNameOf(child)) != "static")
            continue;
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            if (icon)
                *icon = *icon || IsWindowVisible(child);
            continue;
        }
        std::string bytes = WindowTextBytesOf(child);
        if (GetDlgCtrlID(child) == kMessageText)
            text = bytes;
        if (bytes.size() > longest.size())
            longest = bytes;
    }
    return text.empty() ? longest : text;
}

JsonValue DescribeMessageBox(Session& session, HWND box) {
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("hwnd", HandleText(box));
    reply.Set("caption", WindowTextOf(box));
    bool icon = false;
    const std::string text = MessageTextBytes(box, &icon);
    reply.Set("text", GbkToUtf8(text));
    reply.Set("text_gbk_hex", HexBytes(text));
    reply.Set("icon", icon);
    JsonValue buttons = JsonValue::MakeArray();
    for (HWND button : VisibleButtons(box)) {
        JsonValue json = JsonValue::MakeObject();
        json.Set("id", GetDlgCtrlID(button));
        json.Set("name", StandardButtonName(GetDlgCtrlID(button)));
        json.Set("text", WithoutAmpersands(WindowTextOf(button)));
        json.Set("hwnd", HandleText(button));
        json.Set("default", (GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
        buttons.Append(json);
    }
    reply.Set("buttons", buttons);
    HWND owner = GetWindow(box, GW_OWNER);
    HWND main = session.MainWindowOrNull();
    reply.Set("owner", owner ? JsonValue(HandleText(owner)) : JsonValue());
    reply.Set("owner_is_main", owner != nullptr && owner == main);
    reply.Set("main", main ? JsonValue(HandleText(main)) : JsonValue());
    const bool mainEnabled = main != nullptr && IsWindowEnabled(main);
    reply.Set("main_enabled", main ? JsonValue(mainEnabled) : JsonValue());
    // Task-modal: the box disables the thread's other top-level windows while it is up.
    reply.Set("task_modal", main != nullptr && !mainEnabled);
    reply.Set("topmost", (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
    reply.Set("foreground", GetForegroundWindow() == box);
    RECT rect = {};
    (void)GetWindowRect(box, &rect);
    reply.Set("rect", RectJson(rect));
    return reply;
}

bool WaitGone(HWND window, DWORD timeoutMs) {
    for (DWORD start = Now();; Pause(10)) {
        if (!IsWindow(window) || !IsWindowVisible(window))
            return true;
        if (Now() - start >= timeoutMs)
            return false;
    }
}

JsonValue MessageBoxCommand(Session& session, const Arguments& arguments) {
    HWND box = WaitForDialog(session, false, TimeoutOption(arguments, kDefaultTimeoutMs), arguments.Option("text"));
    return DescribeMessageBox(session, box);
}

JsonValue MessageBoxes(Session& session, const Arguments&) {
    JsonValue list = JsonValue::MakeArray();
    for (HWND box : ProgramDialogs(session, false))
        list.Append(DescribeMessageBox(session, box));
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("boxes", list);
    return reply;
}

HWND ChosenDialog(Session& session, const Arguments& arguments, bool fileDialog) {
    if (arguments.HasOption("hwnd"))
        return ResolveControl(session, arguments.Option("hwnd"));
    return WaitForDialog(session, fileDialog, TimeoutOption(arguments, kDefaultTimeoutMs), arguments.Option("text"));
}

JsonValue PressDialogButton(Session& session, HWND dialog, const std::string& which, const Arguments& arguments) {
    HWND button = FindButton(dialog, which);
    InputMode mode = ParseInputMode(arguments.Option("mode"), InputMode::Button);
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("button", GetDlgCtrlID(button));
    reply.Set("button_text", WithoutAmpersands(WindowTextOf(button)));
    JsonValue click = MouseOnControl(session, button, INT_MIN, INT_MIN, MouseAction::Click, mode, false, 0);
    reply.Set("mode", *click.Find("mode"));
    const DWORD timeout = TimeoutOption(arguments, kDefaultTimeoutMs, "close_timeout");
    if (!WaitGone(dialog, timeout)) {
        throw DriverError("dialog " + HandleText(dialog) + " still open " + std::to_string(timeout) +
                          " ms after pressing '" + which + "'");
    }
    reply.Set("closed", true);
    reply.Set("synced", Settle(session, Behind::Posted, kDefaultSettleMs));
    return reply;
}

JsonValue MessageBoxPress(Session& session, const Arguments& arguments) {
    HWND box = ChosenDialog(session, arguments, false);
    JsonValue reply = DescribeMessageBox(session, box);
    const JsonValue pressed = PressDialogButton(session, box, arguments.At(0), arguments);
    for (const auto& member : pressed.Members())
        reply.Set(member.first, member.second);
    return reply;
}

JsonValue WaitMessageBoxGone(Session& session, const Arguments& arguments) {
    const DWORD timeout = TimeoutOption(arguments, kDefaultTimeoutMs);
    const DWORD start = Now();
    if (arguments.HasOption("hwnd")) {
        HWND box = ResolveControl(session, arguments.Option("hwnd"));
        if (!WaitGone(box, timeout))
            throw DriverError("message box still open");
    } else {
        while (!ProgramDialogs(session, false).empty()) {
            if (Now() - start >= timeout)
                throw DriverError("a message box is still open");
            Pause(20);
        }
    }
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("waited_ms", static_cast<unsigned long>(Now() - start));
    return reply;
}

HWND FileNameField(HWND dialog) {
    HWND field = FindChildById(dialog, kFileNameEdit);
    if (field)
        return field;
    HWND combo = FindChildById(dialog, kFileNameCombo);
    HWND edit = combo ? FindWindowExW(combo, nullptr, L"Edit", nullptr) : nullptr;
    return edit ? edit : combo;
}

JsonValue DescribeFileDialog(Session& session, HWND dialog) {
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("hwnd", HandleText(dialog));
    reply.Set("title", WindowTextOf(dialog));
    HWND name = FileNameField(dialog);
    reply.Set("filename", name ? WindowTextOf(name) : std::string());
    HWND types = FindChildById(dialog, kFileTypeCombo);
    reply.Set("filetype", types ? WindowTextOf(types) : std::string());
    HWND lookIn = FindChildById(dialog, kLookInCombo);
    reply.Set("look_in", lookIn ? WindowTextOf(lookIn) : std::string());
    HWND owner = GetWindow(dialog, GW_OWNER);
    reply.Set("owner", owner ? JsonValue(HandleText(owner)) : JsonValue());
    HWND main = session.MainWindowOrNull();
    reply.Set("main_enabled", main ? JsonValue(IsWindowEnabled(main) != FALSE) : JsonValue());
    return reply;
}

JsonValue FileDialog(Session& session, const Arguments& arguments) {
    return DescribeFileDialog(session, ChosenDialog(session, arguments, true));
}

JsonValue FileDialogOpen(Session& session, const Arguments& arguments) {
    HWND dialog = ChosenDialog(session, arguments, true);
    HWND field = FileNameField(dialog);
    if (field == nullptr)
        throw DriverError("the dialog has no file name field");
    // Typed in its wide form: a name the ANSI code page lacks reaches a wide dialog whole.
    const std::wstring wide = Utf8ToWide(arguments.At(0));
    (void)SendCheckedW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    JsonValue reply = DescribeFileDialog(session, dialog);
    try {
        const JsonValue pressed = PressDialogButton(session, dialog, "1", arguments);
        for (const auto& member : pressed.Members())
            reply.Set(member.first, member.second);
    } catch (const DriverError& error) {
        // The dialog may have answered with a message box of its own (a file that does not exist).
        std::string boxes;
        for (HWND box : ProgramDialogs(session, false)) {
            boxes.append(" [").append(WindowTextOf(box)).append(": ");
            boxes.append(GbkToUtf8(MessageTextBytes(box, nullptr))).append("]");
        }
        throw DriverError(std::string(error.what()) + (boxes.empty() ? "" : "; message boxes:" + boxes));
    }
    return reply;
}

JsonValue FileDialogCancel(Session& session, const Arguments& arguments) {
    HWND dialog = ChosenDialog(session, arguments, true);
    JsonValue reply = DescribeFileDialog(session, dialog);
    const JsonValue pressed = PressDialogButton(session, dialog, "2", arguments);
    for (const auto& member : pressed.Members())
        reply.Set(member.first, member.second);
    return reply;
}

}  // namespace

void AddDialogCommands(std::vector<Command>& commands) {
    commands.push_back({"msgbox", 0, 0, "timeout text", true, "msgbox [timeout=5000] [text=PART]", MessageBoxCommand});
    commands.push_back({"msgboxes", 0, 0, "", true, "msgboxes", MessageBoxes});
    commands.push_back({"msgbox_press", 1, 1, "timeout text hwnd mode close_timeout", true,
                        "msgbox_press BUTTON (ok, cancel, yes, no, ..., an id or the button's text) [timeout=5000] "
                        "[hwnd=0x..] [mode=bm|input|post] [close_timeout=5000]",
                        MessageBoxPress});
    commands.push_back({"wait_msgbox_gone", 0, 0, "timeout hwnd", true, "wait_msgbox_gone [timeout=5000] [hwnd=0x..]",
                        WaitMessageBoxGone});
    commands.push_back({"filedialog", 0, 0, "timeout text hwnd", true, "filedialog [timeout=5000]", FileDialog});
    commands.push_back({"filedialog_open", 1, 1, "timeout text hwnd mode close_timeout", true,
                        "filedialog_open PATH [timeout=5000] [mode=bm|input|post]", FileDialogOpen});
    commands.push_back({"filedialog_cancel", 0, 0, "timeout text hwnd mode close_timeout", true,
                        "filedialog_cancel [timeout=5000]", FileDialogCancel});
}

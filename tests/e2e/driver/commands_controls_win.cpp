// Commands that read and write controls: texts, rectangles, styles, fonts, selection, clipboard.
#include "tests/e2e/driver/commands_win.h"
#include "tests/e2e/driver/control_names.h"
#include "tests/e2e/driver/input_win.h"
#include "tests/e2e/driver/remote_win.h"
#include "tests/e2e/driver/text_win.h"

namespace {

JsonValue Info(Session& session, const Arguments& arguments) {
    return DescribeWindow(ResolveControl(session, arguments.At(0)));
}

JsonValue Controls(Session& session, const Arguments& arguments) {
    const bool namedOnly = FlagOption(arguments, "named", false);
    JsonValue list = JsonValue::MakeArray();
    for (HWND window : Descendants(session.MainWindow())) {
        if (namedOnly && ControlNameFromId(GetDlgCtrlID(window)).empty())
            continue;
        list.Append(DescribeWindow(window));
    }
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("controls", list);
    return reply;
}

JsonValue Children(Session& session, const Arguments& arguments) {
    JsonValue list = JsonValue::MakeArray();
    for (HWND window : DirectChildren(ResolveControl(session, arguments.At(0))))
        list.Append(DescribeWindow(window));
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("children", list);
    return reply;
}

JsonValue GetText(Session& session, const Arguments& arguments) {
    HWND control = ResolveControl(session, arguments.At(0));
    std::string bytes = WindowTextBytesOf(control);
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("text", GbkToUtf8(bytes));
    reply.Set("gbk_hex", HexBytes(bytes));
    reply.Set("length", static_cast<unsigned long>(bytes.size()));
    return reply;
}

JsonValue SetText(Session& session, const Arguments& arguments) {
    HWND control = ResolveControl(session, arguments.At(0));
    bool lossy = false;
    std::string gbk = Utf8ToGbk(arguments.At(1), &lossy);
    if (lossy && !FlagOption(arguments, "lossy", false)) {
        throw DriverError("the text has characters without a GBK form (pass lossy=1 to send '?' for them)");
    }
    LRESULT result = SendChecked(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(gbk.c_str()));
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("result", static_cast<long>(result));
    return reply;
}

JsonValue Font(Session& session, const Arguments& arguments) {
    HWND control = ResolveControl(session, arguments.At(0));
    HFONT font = nullptr;
    LOGFONTA logFont = {};
    std::string error;
    if (!RemoteGetFont(session.Process(), session.Pid(), control, font, logFont, error))
        throw DriverError(error);
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("handle", HandleText(reinterpret_cast<HWND>(font)));
    if (font == nullptr) {
        // No font set: the control draws with the system font.
        reply.Set("system_font", true);
        return reply;
    }
    reply.Set("system_font", false);
    LOGFONTA stock = {};
    (void)GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(stock), &stock);
    reply.Set("default_gui_font", memcmp(&stock, &logFont, sizeof(stock)) == 0);
    std::string face(logFont.lfFaceName, strnlen(logFont.lfFaceName, LF_FACESIZE));
    reply.Set("face", GbkToUtf8(face));
    reply.Set("face_gbk_hex", HexBytes(face));
    reply.Set("height", static_cast<long>(logFont.lfHeight));
    reply.Set("width", static_cast<long>(logFont.lfWidth));
    reply.Set("weight", static_cast<long>(logFont.lfWeight));
    reply.Set("italic", logFont.lfItalic != 0);
    reply.Set("underline", logFont.lfUnderline != 0);
    reply.Set("strikeout", logFont.lfStrikeOut != 0);
    reply.Set("charset", logFont.lfCharSet);
    reply.Set("quality", logFont.lfQuality);
    reply.Set("pitch_and_family", logFont.lfPitchAndFamily);
    reply.Set("out_precision", logFont.lfOutPrecision);
    reply.Set("clip_precision", logFont.lfClipPrecision);
    return reply;
}

JsonValue Focused(Session& session, const Arguments&) {
    GUITHREADINFO info = {sizeof(info)};
    DWORD thread = GetWindowThreadProcessId(session.MainWindow(), nullptr);
    if (!GetGUIThreadInfo(thread, &info))
        throw DriverError("GetGUIThreadInfo failed");
    JsonValue reply = JsonValue::MakeObject();
    auto describe = [](HWND window) {
        if (window == nullptr)
            return JsonValue();
        JsonValue json = JsonValue::MakeObject();
        json.Set("hwnd", HandleText(window));
        json.Set("class", ClassNameOf(window));
        const int id = (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) ? GetDlgCtrlID(window) : 0;
        json.Set("id", id);
        json.Set("name", ControlNameFromId(id));
        return json;
    };
    reply.Set("focus", describe(info.hwndFocus));
    reply.Set("active", describe(info.hwndActive));
    reply.Set("capture", describe(info.hwndCapture));
    reply.Set("foreground", describe(GetForegroundWindow()));
    return reply;
}

JsonValue Focus(Session& session, const Arguments& arguments) {
    HWND control = ResolveControl(session, arguments.At(0));
    if (!FocusControl(session, control))
        throw DriverError("the control did not take the focus");
    return JsonValue::MakeObject();
}

JsonValue Selection(HWND control) {
    DWORD start = 0, end = 0;
    LRESULT packed = SendChecked(control, EM_GETSEL, 0, 0);
    start = LOWORD(packed);
    end = HIWORD(packed);
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("start", static_cast<unsigned long>(start)).Set("end", static_cast<unsigned long>(end));
    return reply;
}

JsonValue SelectAll(Session& session, const Arguments& arguments) {
    HWND control = ResolveControl(session, arguments.At(0));
    (void)SendChecked(control, EM_SETSEL, 0, -1);
    return Selection(control);
}

JsonValue Select(Session& session, const Arguments& arguments) {
    HWND control = ResolveControl(session, arguments.At(0));
    (void)SendChecked(control, EM_SETSEL, IntArgument(arguments, 1, "start"), IntArgument(arguments, 2, "end"));
    return Selection(control);
}

JsonValue GetSelection(Session& session, const Arguments& arguments) {
    return Selection(ResolveControl(session, arguments.At(0)));
}

class Clipboard {
  public:
    Clipboard() {
        for (int attempt = 0; attempt < 50; ++attempt) {
            if (OpenClipboard(nullptr)) {
                open_ = true;
                return;
            }
            Pause(20);
        }
        throw DriverError("the clipboard stays open elsewhere");
    }
    ~Clipboard() {
        if (open_)
            (void)CloseClipboard();
    }
    std::string Text() {
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        if (data == nullptr)
            return {};
        const wchar_t* text = static_cast<const wchar_t*>(GlobalLock(data));
        std::string utf8 = text ? WideToUtf8(text) : std::string();
        (void)GlobalUnlock(data);
        return utf8;
    }
    void SetText(const std::string& utf8) {
        std::wstring wide = Utf8ToWide(utf8);
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
        if (memory == nullptr)
            throw DriverError("GlobalAlloc failed");
        wchar_t* target = static_cast<wchar_t*>(GlobalLock(memory));
        std::copy(wide.begin(), wide.end(), target);
        target[wide.size()] = L'\0';
        (void)GlobalUnlock(memory);
        (void)EmptyClipboard();
        if (!SetClipboardData(CF_UNICODETEXT, memory)) {
            (void)GlobalFree(memory);
            throw DriverError("SetClipboardData failed");
        }
    }

  private:
    bool open_ = false;
};

JsonValue ClipboardCommand(Session&, const Arguments& arguments) {
    Clipboard clipboard;
    if (arguments.Has(0))
        clipboard.SetText(arguments.At(0));
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("text", clipboard.Text());
    return reply;
}

JsonValue EditMessage(Session& session, const Arguments& arguments, UINT message) {
    HWND control = ResolveControl(session, arguments.At(0));
    if (!FocusControl(session, control))
        throw DriverError("the control did not take the focus");
    (void)SendChecked(control, message, 0, 0);
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("clipboard", Clipboard().Text());
    reply.Set("text", WindowTextOf(control));
    return reply;
}

JsonValue Copy(Session& session, const Arguments& arguments) {
    return EditMessage(session, arguments, WM_COPY);
}

JsonValue Cut(Session& session, const Arguments& arguments) {
    return EditMessage(session, arguments, WM_CUT);
}

JsonValue Paste(Session& session, const Arguments& arguments) {
    if (arguments.Has(1))
        Clipboard().SetText(arguments.At(1));
    return EditMessage(session, arguments, WM_PASTE);
}

// Raw messages without pointers (a pointer of the driver means nothing in the program).
JsonValue RawMessage(Session& session, const Arguments& arguments, bool post) {
    HWND window = ResolveControl(session, arguments.At(0));
    const UINT message = static_cast<UINT>(IntArgument(arguments, 1, "message"));
    const WPARAM wParam = arguments.Has(2) ? static_cast<WPARAM>(IntArgument(arguments, 2, "wparam")) : 0;
    const LPARAM lParam = arguments.Has(3) ? static_cast<LPARAM>(IntArgument(arguments, 3, "lparam")) : 0;
    JsonValue reply = JsonValue::MakeObject();
    if (post) {
        if (!PostMessageA(window, message, wParam, lParam))
            throw DriverError("PostMessage failed");
    } else {
        DWORD_PTR result = 0;
        SetLastError(0);
        BOOL sent = SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                                        TimeoutOption(arguments, 3000), &result);
        reply.Set("sent", sent != FALSE);
        reply.Set("last_error", static_cast<unsigned long>(GetLastError()));
        reply.Set("result", static_cast<long>(result));
    }
    return reply;
}

JsonValue Send(Session& session, const Arguments& arguments) {
    return RawMessage(session, arguments, false);
}

JsonValue Post(Session& session, const Arguments& arguments) {
    return RawMessage(session, arguments, true);
}

}  // namespace

void AddControlCommands(std::vector<Command>& commands) {
    commands.push_back({"info", 1, 1, "", true, "info CONTROL", Info});
    commands.push_back({"controls", 0, 0, "named", true, "controls [named=0]", Controls});
    commands.push_back({"children", 1, 1, "", true, "children CONTROL", Children});
    commands.push_back({"gettext", 1, 1, "", true, "gettext CONTROL", GetText});
    commands.push_back({"settext", 2, 2, "lossy", true, "settext CONTROL TEXT [lossy=0]", SetText});
    commands.push_back({"font", 1, 1, "", true, "font CONTROL", Font});
    commands.push_back({"focused", 0, 0, "", true, "focused", Focused});
    commands.push_back({"focus", 1, 1, "", true, "focus CONTROL", Focus});
    commands.push_back({"selectall", 1, 1, "", true, "selectall CONTROL", SelectAll});
    commands.push_back({"select", 3, 3, "", true, "select CONTROL START END", Select});
    commands.push_back({"selection", 1, 1, "", true, "selection CONTROL", GetSelection});
    commands.push_back({"clipboard", 0, 1, "", false, "clipboard [TEXT]", ClipboardCommand});
    commands.push_back({"copy", 1, 1, "", true, "copy CONTROL", Copy});
    commands.push_back({"cut", 1, 1, "", true, "cut CONTROL", Cut});
    commands.push_back({"paste", 1, 2, "", true, "paste CONTROL [TEXT]", Paste});
    commands.push_back({"send", 2, 4, "timeout", true, "send CONTROL MESSAGE [WPARAM] [LPARAM] [timeout=3000]", Send});
    commands.push_back({"post", 2, 4, "", true, "post CONTROL MESSAGE [WPARAM] [LPARAM]", Post});
}

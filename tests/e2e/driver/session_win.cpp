#include "tests/e2e/driver/session_win.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "tests/e2e/driver/control_names.h"
#include "tests/e2e/driver/request.h"
#include "tests/e2e/driver/text_win.h"

namespace {

std::string LowerAscii(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Slashes(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

struct StyleBit {
    DWORD bit;
    const char* name;
};

constexpr StyleBit kWindowStyles[] = {
    {WS_POPUP, "WS_POPUP"},
    {WS_CHILD, "WS_CHILD"},
    {WS_MINIMIZE, "WS_MINIMIZE"},
    {WS_VISIBLE, "WS_VISIBLE"},
    {WS_DISABLED, "WS_DISABLED"},
    {WS_CLIPSIBLINGS, "WS_CLIPSIBLINGS"},
    {WS_CLIPCHILDREN, "WS_CLIPCHILDREN"},
    {WS_MAXIMIZE, "WS_MAXIMIZE"},
    {WS_BORDER, "WS_BORDER"},
    {WS_DLGFRAME, "WS_DLGFRAME"},
    {WS_VSCROLL, "WS_VSCROLL"},
    {WS_HSCROLL, "WS_HSCROLL"},
    {WS_SYSMENU, "WS_SYSMENU"},
    {WS_THICKFRAME, "WS_THICKFRAME"},
};
// WS_GROUP/WS_MINIMIZEBOX and WS_TABSTOP/WS_MAXIMIZEBOX share bits: their meaning depends on WS_CHILD.
constexpr StyleBit kTopLevelStyles[] = {{WS_MINIMIZEBOX, "WS_MINIMIZEBOX"}, {WS_MAXIMIZEBOX, "WS_MAXIMIZEBOX"}};
constexpr StyleBit kChildStyles[] = {{WS_GROUP, "WS_GROUP"}, {WS_TABSTOP, "WS_TABSTOP"}};
constexpr StyleBit kEditStyles[] = {
    {ES_CENTER, "ES_CENTER"},           {ES_RIGHT, "ES_RIGHT"},
    {ES_MULTILINE, "ES_MULTILINE"},     {ES_UPPERCASE, "ES_UPPERCASE"},
    {ES_LOWERCASE, "ES_LOWERCASE"},     {ES_PASSWORD, "ES_PASSWORD"},
    {ES_AUTOVSCROLL, "ES_AUTOVSCROLL"}, {ES_AUTOHSCROLL, "ES_AUTOHSCROLL"},
    {ES_NOHIDESEL, "ES_NOHIDESEL"},     {ES_READONLY, "ES_READONLY"},
    {ES_WANTRETURN, "ES_WANTRETURN"},   {ES_NUMBER, "ES_NUMBER"},
};
constexpr StyleBit kExStyles[] = {
    {WS_EX_DLGMODALFRAME, "WS_EX_DLGMODALFRAME"},   {WS_EX_TOPMOST, "WS_EX_TOPMOST"},
    {WS_EX_TRANSPARENT, "WS_EX_TRANSPARENT"},       {WS_EX_TOOLWINDOW, "WS_EX_TOOLWINDOW"},
    {WS_EX_WINDOWEDGE, "WS_EX_WINDOWEDGE"},         {WS_EX_CLIENTEDGE, "WS_EX_CLIENTEDGE"},
    {WS_EX_CONTROLPARENT, "WS_EX_CONTROLPARENT"},   {WS_EX_STATICEDGE, "WS_EX_STATICEDGE"},
    {WS_EX_APPWINDOW, "WS_EX_APPWINDOW"},           {WS_EX_LAYERED, "WS_EX_LAYERED"},
    {WS_EX_NOPARENTNOTIFY, "WS_EX_NOPARENTNOTIFY"}, {WS_EX_LAYOUTRTL, "WS_EX_LAYOUTRTL"},
};

template <size_t N>
void AddStyleNames(JsonValue& names, DWORD style, const StyleBit (&bits)[N]) {
    for (const StyleBit& bit : bits) {
        if ((style & bit.bit) == bit.bit)
            names.Append(bit.name);
    }
}

JsonValue StyleNames(HWND window, DWORD style) {
    JsonValue names = JsonValue::MakeArray();
    AddStyleNames(names, style, kWindowStyles);
    if ((style & WS_CAPTION) == WS_CAPTION)
        names.Append("WS_CAPTION");
    if (style & WS_CHILD) {
        AddStyleNames(names, style, kChildStyles);
    } else {
        AddStyleNames(names, style, kTopLevelStyles);
    }
    std::string windowClass = LowerAscii(ClassNameOf(window));
    if (windowClass == "edit") {
        AddStyleNames(names, style, kEditStyles);
    } else if (windowClass == "button") {
        static const char* const kinds[] = {"BS_PUSHBUTTON",  "BS_DEFPUSHBUTTON",   "BS_CHECKBOX",   "BS_AUTOCHECKBOX",
                                            "BS_RADIOBUTTON", "BS_3STATE",          "BS_AUTO3STATE", "BS_GROUPBOX",
                                            "BS_USERBUTTON",  "BS_AUTORADIOBUTTON", "BS_PUSHBOX",    "BS_OWNERDRAW"};
        DWORD kind = style & BS_TYPEMASK;
        if (kind < sizeof(kinds) / sizeof(kinds[0]))
            names.Append(kinds[kind]);
    }
    return names;
}

JsonValue ExStyleNames(DWORD exStyle) {
    JsonValue names = JsonValue::MakeArray();
    AddStyleNames(names, exStyle, kExStyles);
    return names;
}

HWND FindMainWindow(DWORD pid, const std::string& windowClass, bool needVisible) {
    for (HWND window : TopLevelWindows()) {
        if (ProcessIdOf(window) != pid)
            continue;
        if (ClassNameOf(window) != windowClass)
            continue;
        if (needVisible && !IsWindowVisible(window))
            continue;
        return window;
    }
    return nullptr;
}

struct ProcessEntry {
    DWORD pid;
    std::string image;
};

std::vector<ProcessEntry> Processes() {
    std::vector<ProcessEntry> list;
    OwnedKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return list;
    PROCESSENTRY32W entry = {sizeof(entry)};
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        list.push_back({entry.th32ProcessID, ProcessImagePath(entry.th32ProcessID)});
    }
    return list;
}

}  // namespace

DWORD Now() {
    return GetTickCount();
}

void Pause(DWORD ms) {
    Sleep(ms);
}

std::string ClassNameOf(HWND window) {
    wchar_t name[256] = {};
    int length = GetClassNameW(window, name, 256);
    return WideToUtf8(std::wstring(name, length > 0 ? length : 0));
}

std::string WindowTextBytesOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 3000, &length)) {
        throw DriverError("window " + HandleText(window) + " does not answer WM_GETTEXTLENGTH");
    }
    // Room for a double-byte character that a length in characters would undercount.
    std::string buffer(length * 2 + 2, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, 3000, &copied)) {
        throw DriverError("window " + HandleText(window) + " does not answer WM_GETTEXT");
    }
    buffer.resize(strnlen(buffer.data(), buffer.size()));
    return buffer;
}

std::string WindowTextOf(HWND window) {
    return GbkToUtf8(WindowTextBytesOf(window));
}

DWORD ProcessIdOf(HWND window) {
    DWORD pid = 0;
    (void)GetWindowThreadProcessId(window, &pid);
    return pid;
}

std::string ProcessImagePath(DWORD pid) {
    OwnedKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process)
        return {};
    wchar_t path[MAX_PATH * 4] = {};
    DWORD size = MAX_PATH * 4;
    if (!QueryFullProcessImageNameW(process.get(), 0, path, &size))
        return {};
    return WideToUtf8(std::wstring(path, size));
}

bool ImageMatches(const std::string& imagePath, const std::string& tail) {
    if (tail.empty())
        return true;
    std::string path = LowerAscii(Slashes(imagePath));
    std::string wanted = LowerAscii(Slashes(tail));
    if (wanted.size() > path.size())
        return false;
    if (path.compare(path.size() - wanted.size(), wanted.size(), wanted) != 0)
        return false;
    // Whole path components only: "b.exe" does not match "ab.exe".
    size_t start = path.size() - wanted.size();
    return start == 0 || wanted[0] == '\\' || path[start - 1] == '\\';
}

std::string HandleText(HWND window) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%lx", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)));
    return text;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    (void)EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> windows;
    (void)EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> DirectChildren(HWND parent) {
    std::vector<HWND> windows;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        windows.push_back(child);
    }
    return windows;
}

JsonValue Session::Attach(const TargetSelector& selector, DWORD timeoutMs) {
    Detach();
    spec_ = selector;
    const DWORD start = Now();
    std::vector<DWORD> candidates;
    while (true) {
        candidates.clear();
        if (selector.pid != 0) {
            candidates.push_back(selector.pid);
        } else if (!selector.image.empty()) {
            for (const ProcessEntry& process : Processes()) {
                if (ImageMatches(process.image, selector.image))
                    candidates.push_back(process.pid);
            }
        } else {
            for (HWND window : TopLevelWindows()) {
                if (ClassNameOf(window) == selector.windowClass)
                    candidates.push_back(ProcessIdOf(window));
            }
        }
        for (DWORD pid : candidates) {
            HWND window = selector.needWindow ? FindMainWindow(pid, selector.windowClass, selector.needVisible) : nullptr;
            if (selector.needWindow && window == nullptr)
                continue;
            OwnedKernelHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid));
            if (!process)
                continue;
            pid_ = pid;
            main_ = window;
            process_ = std::move(process);
            JsonValue reply = JsonValue::MakeObject();
            reply.Set("pid", static_cast<unsigned long>(pid));
            reply.Set("image", ProcessImagePath(pid));
            reply.Set("hwnd", window ? JsonValue(HandleText(window)) : JsonValue());
            reply.Set("waited_ms", static_cast<unsigned long>(Now() - start));
            return reply;
        }
        if (Now() - start >= timeoutMs)
            break;
        Pause(10);
    }
    std::string seen;
    for (HWND window : TopLevelWindows()) {
        if (!IsWindowVisible(window))
            continue;
        seen += " [" + ClassNameOf(window) + " pid " + std::to_string(ProcessIdOf(window)) + "]";
    }
    throw DriverError("no " + std::string(selector.needWindow ? "window of class " + selector.windowClass : "process") +
                      (selector.pid ? " in process " + std::to_string(selector.pid) : "") +
                      (selector.image.empty() ? "" : " of image " + selector.image) + " within " + std::to_string(timeoutMs) +
                      " ms; " + std::to_string(candidates.size()) + " matching process(es); visible windows:" + seen);
}

void Session::Detach() {
    barrier_.Remove();
    barrierError_.clear();
    pid_ = 0;
    main_ = nullptr;
    process_.reset();
}

DWORD Session::Pid() const {
    if (!pid_)
        throw DriverError("not attached: send attach first");
    return pid_;
}

HANDLE Session::Process() const {
    if (!pid_)
        throw DriverError("not attached: send attach first");
    return process_.get();
}

HWND Session::MainWindowOrNull() {
    if (!pid_)
        throw DriverError("not attached: send attach first");
    if (main_ == nullptr || !IsWindow(main_)) {
        main_ = FindMainWindow(pid_, spec_.windowClass, false);
    }
    return main_;
}

HWND Session::MainWindow() {
    HWND window = MainWindowOrNull();
    if (window == nullptr) {
        throw DriverError("process " + std::to_string(pid_) + " has no window of class " + spec_.windowClass);
    }
    return window;
}

bool Session::Sync(InputBarrier::Behind behind, DWORD timeoutMs) {
    HWND main = MainWindowOrNull();
    if (main == nullptr)
        return false;
    if (!barrier_.Installed() && barrierError_.empty()) {
        DWORD thread = GetWindowThreadProcessId(main, nullptr);
        if (!barrier_.Install(process_.get(), pid_, thread, barrierError_)) {
            if (barrierError_.empty())
                barrierError_ = "the input barrier could not be set up";
        }
    }
    if (!barrier_.Installed()) {
        throw DriverError(barrierError_);
    }
    return barrier_.Pass(behind, timeoutMs);
}

HWND FocusedWindow(Session& session) {
    GUITHREADINFO info = {sizeof(info)};
    DWORD thread = GetWindowThreadProcessId(session.MainWindow(), nullptr);
    if (!GetGUIThreadInfo(thread, &info))
        return nullptr;
    return info.hwndFocus;
}

HWND ResolveControl(Session& session, const std::string& reference) {
    if (reference == "main" || reference == "window")
        return session.MainWindow();
    if (reference == "focus") {
        HWND focus = FocusedWindow(session);
        if (focus == nullptr)
            throw DriverError("no window of the program has the keyboard focus");
        return focus;
    }
    if (reference.rfind("0x", 0) == 0) {
        auto value = ParseInteger(reference);
        HWND window = value ? reinterpret_cast<HWND>(static_cast<UINT_PTR>(*value)) : nullptr;
        if (window == nullptr || !IsWindow(window))
            throw DriverError("no window with handle " + reference);
        return window;
    }
    int id = 0;
    if (reference.rfind("#", 0) == 0) {
        auto value = ParseInteger(reference.substr(1));
        if (!value)
            throw DriverError("bad control id " + reference);
        id = static_cast<int>(*value);
    } else if (auto named = ControlIdFromName(reference)) {
        id = *named;
    } else {
        throw DriverError("unknown control name '" + reference +
                          "' (use a name of ui/control_ids.h, #<id>, 0x<handle>, main or focus)");
    }
    HWND main = session.MainWindow();
    for (HWND window : Descendants(main)) {
        if (GetDlgCtrlID(window) == id)
            return window;
    }
    throw DriverError("control " + reference + " (id " + std::to_string(id) + ") not found in window " +
                      HandleText(main));
}

JsonValue RectJson(const RECT& rect) {
    JsonValue json = JsonValue::MakeObject();
    json.Set("left", rect.left).Set("top", rect.top).Set("right", rect.right).Set("bottom", rect.bottom);
    json.Set("width", rect.right - rect.left).Set("height", rect.bottom - rect.top);
    return json;
}

JsonValue DescribeWindow(HWND window, bool withText) {
    JsonValue json = JsonValue::MakeObject();
    const DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
    json.Set("hwnd", HandleText(window));
    json.Set("class", ClassNameOf(window));
    const bool child = (style & WS_CHILD) != 0;
    const int id = child ? GetDlgCtrlID(window) : 0;
    json.Set("id", id);
    json.Set("name", child ? ControlNameFromId(id) : std::string());
    if (withText) {
        std::string bytes = WindowTextBytesOf(window);
        json.Set("text", GbkToUtf8(bytes));
        json.Set("text_gbk_hex", HexBytes(bytes));
    }
    json.Set("visible", IsWindowVisible(window) != FALSE);
    json.Set("enabled", IsWindowEnabled(window) != FALSE);
    json.Set("minimized", IsIconic(window) != FALSE);
    json.Set("maximized", IsZoomed(window) != FALSE);
    json.Set("style", static_cast<unsigned long>(style));
    json.Set("exstyle", static_cast<unsigned long>(exStyle));
    json.Set("styles", StyleNames(window, style));
    json.Set("exstyles", ExStyleNames(exStyle));
    RECT rect = {};
    (void)GetWindowRect(window, &rect);
    json.Set("rect", RectJson(rect));
    RECT client = {};
    (void)GetClientRect(window, &client);
    POINT origin = {0, 0};
    (void)ClientToScreen(window, &origin);
    OffsetRect(&client, origin.x, origin.y);
    json.Set("client_rect", RectJson(client));
    HWND parent = child ? GetParent(window) : nullptr;
    if (parent) {
        RECT inParent = rect;
        (void)MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&inParent), 2);
        json.Set("rect_in_parent", RectJson(inParent));
        json.Set("parent", HandleText(parent));
        const int parentId = (GetWindowLongA(parent, GWL_STYLE) & WS_CHILD) ? GetDlgCtrlID(parent) : 0;
        json.Set("parent_id", parentId);
        json.Set("parent_name", parentId ? ControlNameFromId(parentId) : std::string());
    } else {
        HWND owner = GetWindow(window, GW_OWNER);
        json.Set("owner", owner ? JsonValue(HandleText(owner)) : JsonValue());
    }
    DWORD pid = 0;
    DWORD thread = GetWindowThreadProcessId(window, &pid);
    json.Set("pid", static_cast<unsigned long>(pid));
    json.Set("tid", static_cast<unsigned long>(thread));
    return json;
}

LRESULT SendChecked(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs, &result)) {
        const DWORD error = GetLastError();
        throw DriverError("window " + HandleText(window) + " did not answer message " + std::to_string(message) +
                          " within " + std::to_string(timeoutMs) + " ms (error " + std::to_string(error) + ")");
    }
    return static_cast<LRESULT>(result);
}

LRESULT SendCheckedW(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs, &result)) {
        const DWORD error = GetLastError();
        throw DriverError("window " + HandleText(window) + " did not answer message " + std::to_string(message) +
                          " within " + std::to_string(timeoutMs) + " ms (error " + std::to_string(error) + ")");
    }
    return static_cast<LRESULT>(result);
}

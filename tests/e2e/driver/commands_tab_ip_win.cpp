// The tab control and the IP address box: their messages carry pointers, so they go through
// memory in the program's process.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <climits>

#include "tests/e2e/driver/commands_win.h"
#include "tests/e2e/driver/input_win.h"
#include "tests/e2e/driver/remote_win.h"
#include "tests/e2e/driver/text_win.h"

namespace {

constexpr size_t kTextRoom = 512;

struct TabItem {
    std::string text;
    RECT rect;  // client coordinates of the tab control
};

std::vector<TabItem> TabItems(Session& session, HWND tab) {
    const int count = static_cast<int>(SendChecked(tab, TCM_GETITEMCOUNT, 0, 0));
    std::vector<TabItem> items;
    RemoteBuffer memory(session.Process(), sizeof(TCITEMA) + sizeof(RECT) + kTextRoom);
    const size_t rectOffset = sizeof(TCITEMA);
    const size_t textOffset = rectOffset + sizeof(RECT);
    for (int index = 0; index < count; ++index) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = static_cast<LPSTR>(memory.Address(textOffset));
        item.cchTextMax = kTextRoom;
        memory.Write(&item, sizeof(item));
        char zero[kTextRoom] = {};
        memory.Write(zero, kTextRoom, textOffset);
        if (!SendChecked(tab, TCM_GETITEMA, index, memory.Param())) {
            throw DriverError("TCM_GETITEM failed for item " + std::to_string(index));
        }
        // The control may point pszText at its own copy instead of filling the buffer.
        memory.Read(&item, sizeof(item));
        std::string text;
        if (item.pszText == memory.Address(textOffset)) {
            char buffer[kTextRoom] = {};
            memory.Read(buffer, kTextRoom, textOffset);
            text.assign(buffer, strnlen(buffer, kTextRoom));
        } else if (item.pszText != nullptr) {
            char buffer[kTextRoom] = {};
            SIZE_T read = 0;
            (void)ReadProcessMemory(session.Process(), item.pszText, buffer, kTextRoom - 1, &read);
            text.assign(buffer, strnlen(buffer, kTextRoom));
        }
        RECT rect = {};
        memory.Write(&rect, sizeof(rect), rectOffset);
        (void)SendChecked(tab, TCM_GETITEMRECT, index, memory.Param(rectOffset));
        memory.Read(&rect, sizeof(rect), rectOffset);
        items.push_back({GbkToUtf8(text), rect});
    }
    return items;
}

JsonValue Tab(Session& session, const Arguments& arguments) {
    HWND tab = ResolveControl(session, arguments.At(0));
    std::vector<TabItem> items = TabItems(session, tab);
    JsonValue texts = JsonValue::MakeArray();
    JsonValue rects = JsonValue::MakeArray();
    for (const TabItem& item : items) {
        texts.Append(item.text);
        rects.Append(RectJson(item.rect));
    }
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("count", static_cast<unsigned long>(items.size()));
    reply.Set("current", static_cast<long>(SendChecked(tab, TCM_GETCURSEL, 0, 0)));
    reply.Set("items", texts);
    reply.Set("item_rects", rects);
    return reply;
}

JsonValue TabSelect(Session& session, const Arguments& arguments) {
    HWND tab = ResolveControl(session, arguments.At(0));
    std::vector<TabItem> items = TabItems(session, tab);
    int index = -1;
    if (auto number = ParseInteger(arguments.At(1))) {
        index = static_cast<int>(*number);
    } else {
        for (size_t n = 0; n < items.size(); ++n) {
            if (items[n].text == arguments.At(1))
                index = static_cast<int>(n);
        }
    }
    if (index < 0 || index >= static_cast<int>(items.size())) {
        throw DriverError("no tab page '" + arguments.At(1) + "' among " + std::to_string(items.size()));
    }
    const std::string how = arguments.Option("mode", "auto");
    const DWORD timeout = TimeoutOption(arguments, kDefaultTimeoutMs);
    JsonValue reply = JsonValue::MakeObject();
    if (how == "focus") {
        // Makes the control itself change the page and notify its parent, as a click does.
        (void)SendChecked(tab, TCM_SETCURFOCUS, index, 0);
        reply.Set("mode", "focus");
    } else {
        const RECT& rect = items[index].rect;
        JsonValue click =
            MouseOnControl(session, tab, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2, MouseAction::Click,
                           ParseInputMode(how, InputMode::Auto), false, kDefaultSettleMs);
        reply.Set("mode", *click.Find("mode"));
    }
    const DWORD start = Now();
    long current = -1;
    while (true) {
        current = static_cast<long>(SendChecked(tab, TCM_GETCURSEL, 0, 0));
        if (current == index || Now() - start >= timeout)
            break;
        Pause(10);
    }
    if (current != index) {
        throw DriverError("page " + std::to_string(index) + " did not become current (current " +
                          std::to_string(current) + ")");
    }
    reply.Set("current", current);
    reply.Set("synced", Settle(session, Behind::Posted, kDefaultSettleMs));
    return reply;
}

// The four field edits of an IP box, left to right.
std::vector<HWND> IpFields(HWND box) {
    std::vector<HWND> fields = DirectChildren(box);
    std::sort(fields.begin(), fields.end(), [](HWND a, HWND b) {
        RECT ra = {}, rb = {};
        (void)GetWindowRect(a, &ra);
        (void)GetWindowRect(b, &rb);
        return ra.left < rb.left;
    });
    return fields;
}

JsonValue Ip(Session& session, const Arguments& arguments) {
    HWND box = ResolveControl(session, arguments.At(0));
    RemoteBuffer memory(session.Process(), sizeof(DWORD));
    DWORD address = 0;
    memory.Write(&address, sizeof(address));
    const long filled = static_cast<long>(SendChecked(box, IPM_GETADDRESS, 0, memory.Param()));
    memory.Read(&address, sizeof(address));
    const bool blank = SendChecked(box, IPM_ISBLANK, 0, 0) != 0;
    JsonValue fields = JsonValue::MakeArray();
    for (HWND field : IpFields(box))
        fields.Append(WindowTextOf(field));
    char dotted[20];
    snprintf(dotted, sizeof(dotted), "%u.%u.%u.%u", static_cast<unsigned>(FIRST_IPADDRESS(address)),
             static_cast<unsigned>(SECOND_IPADDRESS(address)), static_cast<unsigned>(THIRD_IPADDRESS(address)),
             static_cast<unsigned>(FOURTH_IPADDRESS(address)));
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("address", blank ? std::string() : std::string(dotted));
    reply.Set("value", static_cast<unsigned long>(address));
    reply.Set("filled", filled);
    reply.Set("blank", blank);
    reply.Set("fields", fields);
    return reply;
}

JsonValue IpSet(Session& session, const Arguments& arguments) {
    HWND box = ResolveControl(session, arguments.At(0));
    unsigned parts[4] = {};
    char tail = 0;
    if (sscanf(arguments.At(1).c_str(), "%u.%u.%u.%u%c", &parts[0], &parts[1], &parts[2], &parts[3], &tail) != 4 ||
        parts[0] > 255 || parts[1] > 255 || parts[2] > 255 || parts[3] > 255) {
        throw DriverError("ip_set takes an address a.b.c.d with fields 0 to 255");
    }
    (void)SendChecked(box, IPM_SETADDRESS, 0, MAKEIPADDRESS(parts[0], parts[1], parts[2], parts[3]));
    return Ip(session, arguments);
}

JsonValue IpClear(Session& session, const Arguments& arguments) {
    (void)SendChecked(ResolveControl(session, arguments.At(0)), IPM_CLEARADDRESS, 0, 0);
    return Ip(session, arguments);
}

JsonValue IpField(Session& session, const Arguments& arguments) {
    HWND box = ResolveControl(session, arguments.At(0));
    const int index = IntArgument(arguments, 1, "field index");
    if (index < 0 || index > 3)
        throw DriverError("field index 0 to 3");
    const std::string& value = arguments.At(2);
    if (!value.empty()) {
        auto number = ParseInteger(value);
        if (!number || *number < 0 || *number > 255)
            throw DriverError("a field value is 0 to 255 or empty");
    }
    // The box has no message for one field: its field edit is written as a person's typing would.
    std::vector<HWND> fields = IpFields(box);
    if (fields.size() != 4)
        throw DriverError("the IP box does not have four fields");
    (void)SendChecked(fields[index], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
    return Ip(session, arguments);
}

}  // namespace

void AddTabAndIpCommands(std::vector<Command>& commands) {
    commands.push_back({"tab", 1, 1, "", true, "tab CONTROL", Tab});
    commands.push_back({"tab_select", 2, 2, "mode timeout", true,
                        "tab_select CONTROL INDEX|TEXT [mode=auto|input|post|focus] [timeout=5000]", TabSelect});
    commands.push_back({"ip", 1, 1, "", true, "ip CONTROL", Ip});
    commands.push_back({"ip_set", 2, 2, "", true, "ip_set CONTROL A.B.C.D", IpSet});
    commands.push_back({"ip_clear", 1, 1, "", true, "ip_clear CONTROL", IpClear});
    commands.push_back({"ip_field", 3, 3, "", true, "ip_field CONTROL INDEX VALUE|\"\"", IpField});
}

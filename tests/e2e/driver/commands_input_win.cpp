// Commands that act like a person: typing, keys, mouse buttons.
#include <climits>

#include "tests/e2e/driver/commands_win.h"
#include "tests/e2e/driver/input_win.h"
#include "tests/e2e/driver/text_win.h"

namespace {

// Focuses the control (unless it is "focus") and places the caret as `at` says.
void PrepareTyping(Session& session, const std::string& reference, const std::string& at) {
    if (reference == "focus")
        return;
    HWND control = ResolveControl(session, reference);
    if (!FocusControl(session, control))
        throw DriverError("the control did not take the focus");
    if (at == "end") {
        (void)SendChecked(control, EM_SETSEL, 0, -1);
        (void)SendChecked(control, EM_SETSEL, static_cast<WPARAM>(-1), -1);
    } else if (at == "start") {
        (void)SendChecked(control, EM_SETSEL, 0, 0);
    } else if (at == "all") {
        (void)SendChecked(control, EM_SETSEL, 0, -1);
    } else if (at != "keep") {
        throw DriverError("at takes end, start, all or keep");
    }
}

JsonValue Type(Session& session, const Arguments& arguments) {
    PrepareTyping(session, arguments.At(0), arguments.Option("at", "end"));
    InputMode mode = ParseInputMode(arguments.Option("mode"), InputMode::Post);
    return TypeText(session, Utf8ToWide(arguments.At(1)), mode, TimeoutOption(arguments, kDefaultSettleMs, "settle"));
}

JsonValue Key(Session& session, const Arguments& arguments) {
    PrepareTyping(session, arguments.At(0), "keep");
    InputMode mode = ParseInputMode(arguments.Option("mode"), InputMode::Post);
    return PressKey(session, arguments.At(1), mode, TimeoutOption(arguments, kDefaultSettleMs, "settle"));
}

JsonValue Mouse(Session& session, const Arguments& arguments, MouseAction action) {
    HWND control = ResolveControl(session, arguments.At(0));
    int x = INT_MIN, y = INT_MIN;
    if (arguments.Has(1) != arguments.Has(2))
        throw DriverError("give both x and y, or neither");
    if (arguments.Has(1)) {
        x = IntArgument(arguments, 1, "x");
        y = IntArgument(arguments, 2, "y");
    }
    const std::string button = arguments.Option("button", "left");
    if (button != "left" && button != "right")
        throw DriverError("button takes left or right");
    InputMode mode = ParseInputMode(arguments.Option("mode"), InputMode::Auto);
    return MouseOnControl(session, control, x, y, action, mode, button == "right",
                          TimeoutOption(arguments, kDefaultSettleMs, "settle"));
}

JsonValue Click(Session& session, const Arguments& arguments) {
    return Mouse(session, arguments, MouseAction::Click);
}
JsonValue DoubleClick(Session& session, const Arguments& arguments) {
    return Mouse(session, arguments, MouseAction::DoubleClick);
}
JsonValue Press(Session& session, const Arguments& arguments) {
    return Mouse(session, arguments, MouseAction::Press);
}
JsonValue Release(Session& session, const Arguments& arguments) {
    return Mouse(session, arguments, MouseAction::Release);
}

JsonValue Sync(Session& session, const Arguments& arguments) {
    const std::string after = arguments.Option("after", "posted");
    Behind behind = Behind::Posted;
    if (after == "keyboard")
        behind = Behind::Keyboard;
    else if (after == "mouse")
        behind = Behind::Mouse;
    else if (after != "posted")
        throw DriverError("after takes posted, keyboard or mouse");
    const DWORD timeout = TimeoutOption(arguments, kDefaultTimeoutMs);
    if (!Settle(session, behind, timeout)) {
        throw DriverError("the program's window thread did not take the barrier within " + std::to_string(timeout) +
                          " ms (busy, or blocked outside its message loop)");
    }
    return JsonValue::MakeObject();
}

}  // namespace

void AddInputCommands(std::vector<Command>& commands) {
    commands.push_back({"type", 2, 2, "mode at settle", true,
                        "type CONTROL|focus TEXT [mode=post|send|input] [at=end|start|all|keep] [settle=2000]", Type});
    commands.push_back({"key", 2, 2, "mode settle", true,
                        "key CONTROL|focus KEY (enter, tab, shift+tab, ctrl+a, alt+f4, ...) [mode=post|send|input]",
                        Key});
    const char* mouseOptions = "mode button settle";
    commands.push_back({"click", 1, 3, mouseOptions, true,
                        "click CONTROL [X Y] [mode=auto|input|post|bm] [button=left|right] [settle=2000]", Click});
    commands.push_back(
        {"dblclick", 1, 3, mouseOptions, true, "dblclick CONTROL [X Y] [mode=auto|input|post]", DoubleClick});
    commands.push_back({"press", 1, 3, mouseOptions, true, "press CONTROL [X Y] [mode=auto|input|post]", Press});
    commands.push_back({"release", 1, 3, mouseOptions, true, "release CONTROL [X Y] [mode=auto|input|post]", Release});
    commands.push_back(
        {"sync", 0, 0, "after timeout", true, "sync [after=posted|keyboard|mouse] [timeout=5000]", Sync});
}

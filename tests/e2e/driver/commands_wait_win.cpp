// Bounded waits for states of the program: its end, a control's visibility, state or text.
#include "tests/e2e/driver/commands_win.h"
#include "tests/e2e/driver/text_win.h"

namespace {

// Polls `done` every 20 ms until it holds or the timeout passes; returns the time waited.
template <typename Condition>
DWORD PollUntil(DWORD timeoutMs, const std::string& what, Condition done) {
    const DWORD start = Now();
    while (!done()) {
        if (Now() - start >= timeoutMs) {
            throw DriverError("timed out after " + std::to_string(timeoutMs) + " ms waiting for " + what);
        }
        Pause(20);
    }
    return Now() - start;
}

JsonValue Waited(DWORD ms) {
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("waited_ms", static_cast<unsigned long>(ms));
    return reply;
}

JsonValue WaitExit(Session& session, const Arguments& arguments) {
    const DWORD timeout = TimeoutOption(arguments, kDefaultTimeoutMs);
    if (WaitForSingleObject(session.Process(), timeout) != WAIT_OBJECT_0) {
        throw DriverError("process " + std::to_string(session.Pid()) + " still running after " +
                          std::to_string(timeout) + " ms");
    }
    DWORD code = 0;
    (void)GetExitCodeProcess(session.Process(), &code);
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("exit_code", static_cast<unsigned long>(code));
    return reply;
}

JsonValue WaitVisible(Session& session, const Arguments& arguments) {
    const bool wanted = FlagOption(arguments, "state", true);
    const std::string& reference = arguments.At(0);
    return Waited(PollUntil(TimeoutOption(arguments, kDefaultTimeoutMs),
                            reference + (wanted ? " to be visible" : " to be hidden"),
                            [&] { return (IsWindowVisible(ResolveControl(session, reference)) != FALSE) == wanted; }));
}

JsonValue WaitEnabled(Session& session, const Arguments& arguments) {
    const bool wanted = FlagOption(arguments, "state", true);
    const std::string& reference = arguments.At(0);
    return Waited(PollUntil(TimeoutOption(arguments, kDefaultTimeoutMs),
                            reference + (wanted ? " to be enabled" : " to be disabled"),
                            [&] { return (IsWindowEnabled(ResolveControl(session, reference)) != FALSE) == wanted; }));
}

JsonValue WaitText(Session& session, const Arguments& arguments) {
    const std::string& reference = arguments.At(0);
    const std::string& wanted = arguments.At(1);
    const std::string match = arguments.Option("match", "exact");
    if (match != "exact" && match != "contains" && match != "prefix" && match != "not") {
        throw DriverError("match takes exact, contains, prefix or not");
    }
    std::string text;
    try {
        DWORD waited = PollUntil(TimeoutOption(arguments, kDefaultTimeoutMs), "the text of " + reference, [&] {
            text = WindowTextOf(ResolveControl(session, reference));
            if (match == "contains")
                return text.find(wanted) != std::string::npos;
            if (match == "prefix")
                return text.rfind(wanted, 0) == 0;
            if (match == "not")
                return text != wanted;
            return text == wanted;
        });
        JsonValue reply = Waited(waited);
        reply.Set("text", text);
        return reply;
    } catch (const DriverError& error) {
        JsonValue last = JsonValue(text);
        throw DriverError(std::string(error.what()) + " (" + match + " " + JsonValue(wanted).Serialize() +
                          "); last text " + last.Serialize());
    }
}

JsonValue WaitGone(Session& session, const Arguments& arguments) {
    HWND window = ResolveControl(session, arguments.At(0));
    return Waited(PollUntil(TimeoutOption(arguments, kDefaultTimeoutMs), "window " + arguments.At(0) + " to go",
                            [&] { return !IsWindow(window); }));
}

}  // namespace

void AddWaitCommands(std::vector<Command>& commands) {
    commands.push_back({"wait_exit", 0, 0, "timeout", true, "wait_exit [timeout=5000]", WaitExit});
    commands.push_back(
        {"wait_visible", 1, 1, "state timeout", true, "wait_visible CONTROL [state=1] [timeout=5000]", WaitVisible});
    commands.push_back(
        {"wait_enabled", 1, 1, "state timeout", true, "wait_enabled CONTROL [state=1] [timeout=5000]", WaitEnabled});
    commands.push_back({"wait_text", 2, 2, "match timeout", true,
                        "wait_text CONTROL TEXT [match=exact|contains|prefix|not] [timeout=5000]", WaitText});
    commands.push_back({"wait_gone", 1, 1, "timeout", true, "wait_gone CONTROL [timeout=5000]", WaitGone});
}

// Commands about the target process and its main window.
#include "tests/e2e/driver/commands_win.h"

#include <tlhelp32.h>

#include "tests/e2e/driver/input_win.h"
#include "tests/e2e/driver/text_win.h"

namespace {

JsonValue Ping(Session& session, const Arguments&) {
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("driver_pid", static_cast<unsigned long>(GetCurrentProcessId()));
    reply.Set("attached", session.Attached());
    if (session.Attached())
        reply.Set("pid", static_cast<unsigned long>(session.Pid()));
    return reply;
}

JsonValue Attach(Session& session, const Arguments& arguments) {
    TargetSelector selector;
    auto pid = arguments.IntOption("pid", 0);
    if (!pid || *pid < 0)
        throw DriverError("pid must be a process id");
    selector.pid = static_cast<DWORD>(*pid);
    selector.image = arguments.Option("image");
    selector.windowClass = arguments.Option("class", kDefaultClass);
    selector.needWindow = FlagOption(arguments, "window", true);
    selector.needVisible = FlagOption(arguments, "visible", true);
    return session.Attach(selector, TimeoutOption(arguments, 10000));
}

JsonValue Detach(Session& session, const Arguments&) {
    session.Detach();
    return JsonValue::MakeObject();
}

JsonValue ListProcesses(Session&, const Arguments& arguments) {
    const std::string image = arguments.Option("image");
    JsonValue list = JsonValue::MakeArray();
    OwnedKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {sizeof(entry)};
    for (BOOL more = snapshot && Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        std::string path = ProcessImagePath(entry.th32ProcessID);
        if (!ImageMatches(path, image))
            continue;
        JsonValue process = JsonValue::MakeObject();
        process.Set("pid", static_cast<unsigned long>(entry.th32ProcessID));
        process.Set("ppid", static_cast<unsigned long>(entry.th32ParentProcessID));
        process.Set("exe", WideToUtf8(entry.szExeFile));
        process.Set("path", path);
        list.Append(process);
    }
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("processes", list);
    return reply;
}

JsonValue ListWindows(Session& session, const Arguments& arguments) {
    const bool all = FlagOption(arguments, "all", false);
    const bool own = FlagOption(arguments, "own", false);
    JsonValue list = JsonValue::MakeArray();
    for (HWND window : TopLevelWindows()) {
        if (!all && !IsWindowVisible(window))
            continue;
        if (own && ProcessIdOf(window) != session.Pid())
            continue;
        list.Append(DescribeWindow(window));
    }
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("windows", list);
    return reply;
}

JsonValue Window(Session& session, const Arguments&) {
    HWND main = session.MainWindow();
    JsonValue reply = DescribeWindow(main);
    reply.Set("title", reply.Find("text") ? *reply.Find("text") : JsonValue(""));
    reply.Set("foreground", GetForegroundWindow() == main);
    reply.Set("active_popup", HandleText(GetLastActivePopup(main)));
    return reply;
}

JsonValue Close(Session& session, const Arguments&) {
    HWND main = session.MainWindow();
    if (!PostMessageA(main, WM_CLOSE, 0, 0))
        throw DriverError("could not post WM_CLOSE");
    return JsonValue::MakeObject();
}

JsonValue SystemCommand(Session& session, const Arguments& arguments) {
    const std::string& what = arguments.At(0);
    WPARAM command = 0;
    if (what == "minimize")
        command = SC_MINIMIZE;
    else if (what == "maximize")
        command = SC_MAXIMIZE;
    else if (what == "restore")
        command = SC_RESTORE;
    else if (what == "close")
        command = SC_CLOSE;
    else
        throw DriverError("sys takes minimize, maximize, restore or close");
    HWND main = session.MainWindow();
    if (!PostMessageA(main, WM_SYSCOMMAND, command, 0))
        throw DriverError("could not post WM_SYSCOMMAND");
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("synced", Settle(session, Behind::Posted, TimeoutOption(arguments, kDefaultSettleMs, "settle")));
    return reply;
}

JsonValue SleepFor(Session&, const Arguments& arguments) {
    int ms = IntArgument(arguments, 0, "milliseconds");
    if (ms < 0 || ms > 600000)
        throw DriverError("sleep takes 0 to 600000 ms");
    Pause(static_cast<DWORD>(ms));
    return JsonValue::MakeObject();
}

}  // namespace

void AddSessionCommands(std::vector<Command>& commands) {
    commands.push_back({"ping", 0, 0, "", false, "ping", Ping});
    commands.push_back({"attach", 0, 0, "pid image class window visible timeout", false,
                        "attach [pid=N] [image=PATH_TAIL] [class=MossgateMain] [window=1] [visible=1] [timeout=10000]",
                        Attach});
    commands.push_back({"detach", 0, 0, "", false, "detach", Detach});
    commands.push_back({"processes", 0, 0, "image", false, "processes [image=PATH_TAIL]", ListProcesses});
    commands.push_back({"windows", 0, 0, "all own", false, "windows [all=0] [own=0]", ListWindows});
    commands.push_back({"window", 0, 0, "", true, "window", Window});
    commands.push_back({"close", 0, 0, "", true, "close", Close});
    commands.push_back(
        {"sys", 1, 1, "settle", true, "sys minimize|maximize|restore|close [settle=2000]", SystemCommand});
    commands.push_back({"sleep", 1, 1, "", false, "sleep MS", SleepFor});
}

// Ending processes that a test started inside Wine (stand-ins, a program that hangs), by id or image.
#include "tests/e2e/driver/commands_win.h"

#include <tlhelp32.h>

namespace {

JsonValue Terminate(Session&, const Arguments& arguments) {
    auto pid = arguments.IntOption("pid", 0);
    const std::string image = arguments.Option("image");
    if (!pid || (*pid == 0 && image.empty()))
        throw DriverError("terminate needs pid=N or image=PATH_TAIL");
    const UINT exitCode = static_cast<UINT>(arguments.IntOption("code", 1).value_or(1));
    JsonValue ended = JsonValue::MakeArray();
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {sizeof(entry)};
    for (BOOL more = snapshot && Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry)) {
        const DWORD id = entry.th32ProcessID;
        if (id == GetCurrentProcessId())
            continue;
        if (*pid != 0 ? id != static_cast<DWORD>(*pid) : !ImageMatches(ProcessImagePath(id), image))
            continue;
        UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        if (process && TerminateProcess(process.Get(), exitCode)) {
            (void)WaitForSingleObject(process.Get(), 5000);
            ended.Append(static_cast<unsigned long>(id));
        }
    }
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("terminated", ended);
    return reply;
}

}  // namespace

void AddProcessCommands(std::vector<Command>& commands) {
    commands.push_back(
        {"terminate", 0, 0, "pid image code", false, "terminate pid=N|image=PATH_TAIL [code=1]", Terminate});
}

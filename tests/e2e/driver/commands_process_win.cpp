// Ending processes that a test started inside Wine (stand-ins, a program that hangs), by id or image.
#include "tests/e2e/driver/commands_win.h"

#include <tlhelp32.h>

namespace {

// Whether path lies in folder or below it (case-insensitive for ASCII, '/' taken as '\\').
bool IsUnder(std::string path, std::string folder) {
    for (std::string* text : {&path, &folder}) {
        for (char& c : *text) {
            c = c == '/' ? '\\' : static_cast<char>(tolower(static_cast<unsigned char>(c)));
        }
    }
    while (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    return !folder.empty() && path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == '\\';
}

JsonValue Terminate(Session&, const Arguments& arguments) {
    auto pid = arguments.IntOption("pid", 0);
    const std::string image = arguments.Option("image");
    const std::string under = arguments.Option("under");
    if (!pid || (*pid == 0 && image.empty() && under.empty())) {
        throw DriverError("terminate needs pid=N, image=PATH_TAIL or under=FOLDER");
    }
    const UINT exitCode = static_cast<UINT>(arguments.IntOption("code", 1).value_or(1));
    JsonValue ended = JsonValue::MakeArray();
    OwnedKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {sizeof(entry)};
    for (BOOL more = snapshot && Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        const DWORD id = entry.th32ProcessID;
        if (id == GetCurrentProcessId())
            continue;
        const std::string path = ProcessImagePath(id);
        if ((*pid != 0 && id != static_cast<DWORD>(*pid)) || (!image.empty() && !ImageMatches(path, image)) ||
            (!under.empty() && !IsUnder(path, under))) {
            continue;
        }
        OwnedKernelHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        if (process && TerminateProcess(process.get(), exitCode)) {
            (void)WaitForSingleObject(process.get(), 5000);
            ended.Append(static_cast<unsigned long>(id));
        }
    }
    JsonValue reply = JsonValue::MakeObject();
    reply.Set("terminated", ended);
    return reply;
}

}  // namespace

void AddProcessCommands(std::vector<Command>& commands) {
    commands.push_back({"terminate", 0, 0, "pid image under code", false,
                        "terminate pid=N|image=PATH_TAIL|under=FOLDER [code=1]", Terminate});
}

// adb.exe: kill-server, connect, install, install-multiple and push, straight to the device over TCP.
// The work is done by AdbWinApi.dll, which the loader takes from this program's folder.
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "adb/win/adb_winapi.h"
#include "adb/win/wide_arguments.h"

namespace {

const char kUsage[] =
    "MOSSGATE ADB client: reaches Android devices over TCP (as the Windows Subsystem for Android).\n"
    "\n"
    "usage: adb kill-server             stop an ADB server on tcp:5037 (or $ANDROID_ADB_SERVER_PORT)\n"
    "                                   and forget the connected devices\n"
    "       adb connect HOST[:PORT]     connect to a device (port 5555 when left out)\n"
    "       adb install [-r|-d|-g|-t ...] PACKAGE\n"
    "                                   install a package on the connected device\n"
    "       adb install-multiple [-r|-d|-g|-t ...] PACKAGE...\n"
    "                                   install the files (.apk) of one split package together\n"
    "       adb push LOCAL REMOTE       copy a file to the device (into REMOTE when it ends in /)\n";

void WriteAll(HANDLE handle, const char* text, size_t length) {
    while (length > 0) {
        DWORD written = 0;
        if (!WriteFile(handle, text, static_cast<DWORD>(length), &written, nullptr) || written == 0) {
            return;
        }
        text += written;
        length -= written;
    }
}

// Bytes in the ANSI code page, as they come, but with Windows line ends: the program that captures
// our output shows it in an edit box, which breaks lines only at CR LF.
void __cdecl WriteOutput(void*, int stream, const char* text, unsigned length) {
    HANDLE handle = GetStdHandle(stream == kAdbStderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    static bool lastWasCr[2] = {false, false};
    bool& afterCr = lastWasCr[stream == kAdbStderr ? 1 : 0];
    std::string converted;
    converted.reserve(length + length / 16);
    for (unsigned i = 0; i < length; ++i) {
        if (text[i] == '\n' && !afterCr) {
            converted += '\r';
        }
        converted += text[i];
        afterCr = text[i] == '\r';
    }
    WriteAll(handle, converted.data(), converted.size());
}

void Print(int stream, const std::string& text) {
    WriteOutput(nullptr, stream, text.data(), static_cast<unsigned>(text.size()));
}

int Usage(const std::string& complaint) {
    Print(kAdbStderr, complaint + kUsage);
    return 1;
}

// With MOSSGATE_ADB_REPORT_PEAK set, the benchmark learns the process's peak working set.
void ReportPeakMemory() {
    if (GetEnvironmentVariableA("MOSSGATE_ADB_REPORT_PEAK", nullptr, 0) == 0) {
        return;
    }
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) {
        char line[96];
        snprintf(line, sizeof line, "adb_peak_working_set_bytes: %lu\n",
                 static_cast<unsigned long>(counters.PeakWorkingSetSize));
        Print(kAdbStderr, line);
    }
}

std::string Narrow(const std::wstring& text, UINT codePage) {
    int size =
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(size > 0 ? size : 0), '\0');
    (void)WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), narrow.data(), size, nullptr,
                              nullptr);
    return narrow;
}

// The arguments from the wide command line: a file name the ANSI code page cannot spell still
// reaches the file by its wide name.
int Run() {
    std::vector<std::wstring> wide = adb::SplitWideCommandLine(GetCommandLineW());
    std::vector<std::string> args;
    for (const std::wstring& argument : wide) {
        args.push_back(Narrow(argument, CP_ACP));
    }
    size_t argc = args.size();
    if (argc < 2) {
        return Usage("");
    }
    const std::string& command = args[1];
    if (command == "kill-server" && argc == 2) {
        return AdbKillServerCommand(WriteOutput, nullptr);
    }
    if (command == "connect") {
        if (argc != 3) {
            return Usage("adb: usage: adb connect HOST[:PORT]\n");
        }
        return AdbConnectCommand(args[2].c_str(), WriteOutput, nullptr);
    }
    if (command == "install") {
        if (argc < 3) {
            return Usage("adb: install requires an argument\n");
        }
        std::vector<const char*> options;
        for (size_t i = 2; i + 1 < argc; ++i) {
            options.push_back(args[i].c_str());
        }
        // Unlike the makers' client, any file name is taken: downloads get renamed (x.apk.1).
        return AdbInstallCommandW(static_cast<int>(options.size()), options.data(), args[argc - 1].c_str(),
                                  wide[argc - 1].c_str(), WriteOutput, nullptr);
    }
    if (command == "install-multiple") {
        if (argc < 3) {
            return Usage("adb: install-multiple requires an argument\n");
        }
        std::vector<const char*> ansi;
        std::vector<const wchar_t*> wideArguments;
        for (size_t i = 2; i < argc; ++i) {
            ansi.push_back(args[i].c_str());
            wideArguments.push_back(wide[i].c_str());
        }
        return AdbInstallMultipleCommandW(static_cast<int>(ansi.size()), ansi.data(), wideArguments.data(), WriteOutput,
                                          nullptr);
    }
    if (command == "push") {
        if (argc != 4) {
            return Usage("adb: usage: adb push LOCAL REMOTE\n");
        }
        // The device path reaches the device in UTF-8, whatever the code page spells.
        return AdbPushCommandW(args[2].c_str(), wide[2].c_str(), Narrow(wide[3], CP_UTF8).c_str(), WriteOutput,
                               nullptr);
    }
    return Usage("adb: unknown command " + command + "\n");
}

}  // namespace

int main() {
    int exitCode = Run();
    ReportPeakMemory();
    return exitCode;
}

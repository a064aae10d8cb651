// A console program with known output, run by the runner's tests and benchmark through the
// interpreter. Every write goes straight to the handle (no C runtime buffering), so the order and
// the sizes of the writes are the ones chosen here.
//   lines BYTES [BLOCK]       numbered lines "0000000000\n"..., cut at BYTES, written in BLOCK-byte
//                             writes (default: sizes from one byte to 300 000 in turn)
//   fill BYTES BLOCK          BYTES of filler in BLOCK-byte writes, nothing to work out (for measuring)
//   interleave                three lines each on standard output and standard error, alternating
//   zero                      a chunk with zero bytes and GBK text, then a second chunk
//   background MS             starts "late MS" with the same standard handles, says "started", ends
//   late MS                   waits MS, then writes "late"
//   chunk-then-marker PATH MS writes "first chunk", waits MS, then creates the file PATH
//   sleep MS                  waits MS, writes nothing
//   exit CODE                 ends with exit status CODE
//   say WORD                  writes WORD and a line feed
//   parent-command-line       writes the command line of the process that started it, and a line feed
#include <windows.h>
// After windows.h, which they need.
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "numbered_lines.h"

namespace {

void Write(HANDLE handle, const std::string& bytes) {
    DWORD written = 0;
    (void)WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Out(const std::string& bytes) {
    Write(GetStdHandle(STD_OUTPUT_HANDLE), bytes);
}

void WriteLines(size_t bytes, size_t block) {
    static const size_t kMixedBlocks[] = {4096, 1, 65536, 777, 300000, 4095};
    std::string text = NumberedLines(bytes);
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    size_t turn = 0;
    for (size_t offset = 0; offset < text.size();) {
        size_t size = block != 0 ? block : kMixedBlocks[turn++ % (sizeof(kMixedBlocks) / sizeof(kMixedBlocks[0]))];
        size = std::min(size, text.size() - offset);
        DWORD written = 0;
        if (!WriteFile(out, text.data() + offset, static_cast<DWORD>(size), &written, nullptr) || written == 0) {
            ExitProcess(1);
        }
        offset += written;
    }
}

void StartLate(const char* milliseconds) {
    char module[MAX_PATH] = {};
    (void)GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string commandLine = std::string("\"") + module + "\" late " + milliseconds;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION started = {};
    if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started)) {
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
}

DWORD ParentProcessId() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    DWORD parent = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ProcessID == GetCurrentProcessId()) {
            parent = entry.th32ParentProcessID;
        }
    }
    CloseHandle(snapshot);
    return parent;
}

// Read from the other process's parameter block, as the system keeps it.
std::string CommandLineOf(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    PROCESS_BASIC_INFORMATION basic = {};
    PEB peb = {};
    RTL_USER_PROCESS_PARAMETERS parameters = {};
    std::wstring commandLine;
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) == 0 &&
        ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof(peb), nullptr) &&
        ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof(parameters), nullptr)) {
        commandLine.resize(parameters.CommandLine.Length / sizeof(wchar_t));
        (void)ReadProcessMemory(process, parameters.CommandLine.Buffer, commandLine.data(),
                                parameters.CommandLine.Length, nullptr);
    }
    CloseHandle(process);
    std::string text(commandLine.size() * 2 + 1, '\0');
    int length = WideCharToMultiByte(CP_ACP, 0, commandLine.data(), static_cast<int>(commandLine.size()), text.data(),
                                     static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(length > 0 ? length : 0);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    const char* argument = argc > 2 ? argv[2] : "0";
    if (mode == "lines") {
        WriteLines(std::strtoull(argument, nullptr, 10), argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 0);
    } else if (mode == "fill") {
        unsigned long long left = std::strtoull(argument, nullptr, 10);
        std::string block(argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 4096, 'x');
        HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
        while (left > 0 && !block.empty()) {
            DWORD size = static_cast<DWORD>(std::min<unsigned long long>(left, block.size()));
            DWORD written = 0;
            if (!WriteFile(out, block.data(), size, &written, nullptr) || written == 0) {
                return 1;
            }
            left -= written;
        }
    } else if (mode == "interleave") {
        HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
        HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
        for (int line = 1; line <= 3; ++line) {
            Write(out, "out " + std::to_string(line) + "\n");
            Write(err, "err " + std::to_string(line) + "\n");
        }
    } else if (mode == "zero") {
        static const char kChunk[] = "\0lead\r\n\xB0\xB2\0\xD7\xB0 mid\0dle\0\0 trail\0";
        Out(std::string(kChunk, sizeof(kChunk) - 1));
        Sleep(300);
        Out("next\n");
    } else if (mode == "background") {
        StartLate(argument);
        Out("started\n");
    } else if (mode == "late") {
        Sleep(std::atoi(argument));
        Out("late\n");
    } else if (mode == "chunk-then-marker") {
        Out("first chunk\n");
        Sleep(argc > 3 ? std::atoi(argv[3]) : 0);
        HANDLE marker = CreateFileA(argument, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(marker);
    } else if (mode == "sleep") {
        Sleep(std::atoi(argument));
    } else if (mode == "exit") {
        ExitProcess(static_cast<UINT>(std::strtoul(argument, nullptr, 10)));
    } else if (mode == "parent-command-line") {
        Out(CommandLineOf(ParentProcessId()) + "\n");
    } else if (mode == "say") {
        Out(std::string(argument) + "\n");
    } else {
        return 2;
    }
    return 0;
}

#include "process/console_command_win.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "base/owned_handle_win.h"
#include "process/console_command.h"
#include "process/console_command_empty_pipe_win.h"
#include "process/responsive_delay_win.h"

namespace {
constexpr DWORD kPipeBufferBytes = 1 << 20;
std::string interpreterPrefixOverride;
std::string workingFolder;

std::string ChooseInterpreterPrefix() {
    if (!interpreterPrefixOverride.empty()) {
        return interpreterPrefixOverride;
    }
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    (void)GetVersionExA(&version);
    return InterpreterPrefix(version.dwPlatformId);
}

// Told by the process handle, not the exit status: an interpreter that ended with status 259
// (STILL_ACTIVE) has ended all the same. A null handle (nothing started) counts as ended.
bool HasEnded(HANDLE process) {
    return WaitForSingleObject(process, 0) != WAIT_TIMEOUT;
}

// The bytes waiting in the pipe; 0 when there are none or the pipe cannot be asked (every writer gone).
DWORD BytesWaiting(HANDLE readEnd) {
    DWORD available = 0;
    if (!PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr)) {
        return 0;
    }
    return available;
}

// Drops the zero bytes of a chunk in place, keeping every other byte, and returns the bytes kept.
// Zero bytes are rare in console output: look for the first one at memchr speed before compacting.
size_t WithoutZeroBytes(char* chunk, size_t size) {
    char* firstZero = static_cast<char*>(std::memchr(chunk, '\0', size));
    if (firstZero == nullptr) {
        return size;
    }
    return static_cast<size_t>(std::remove(firstZero, chunk + size, '\0') - chunk);
}
}  // namespace

void OverrideInterpreterPrefix(const std::string& prefix) {
    interpreterPrefixOverride = prefix;
}

void SetCommandWorkingFolder(const std::string& folder) {
    workingFolder = folder;
}

std::string RunConsoleCommand(const std::string& command, ChunkObserver observer, bool notify) {
    return RunConsoleCommandWithStatus(command, observer, notify).output;
}

ConsoleResult RunConsoleCommandWithStatus(const std::string& command, ChunkObserver observer, bool notify) {
    // Both ends inheritable: the interpreter gets the write end as its standard output and error.
    SECURITY_ATTRIBUTES pipeAttributes = {sizeof(pipeAttributes), nullptr, TRUE};
    HANDLE readHandle = nullptr;
    HANDLE writeHandle = nullptr;
    // A roomy pipe lets the command write on while the runner pauses between its looks; with the
    // system's default (a few KB) every writer would stall at each pause.
    (void)CreatePipe(&readHandle, &writeHandle, &pipeAttributes, kPipeBufferBytes);
    OwnedKernelHandle readEnd(readHandle);
    OwnedKernelHandle writeEnd(writeHandle);

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = writeEnd.get();

    std::string commandLine = ChooseInterpreterPrefix() + command;
    const char* directory = workingFolder.empty() ? nullptr : workingFolder.c_str();
    PROCESS_INFORMATION started = {};
    (void)CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, directory, &startup,
                         &started);
    OwnedKernelHandle process(started.hProcess);
    OwnedKernelHandle thread(started.hThread);
    // From here only the interpreter and what it starts hold the write end.
    writeEnd.reset();

    ConsoleResult result;
    std::string& output = result.output;
    bool stopped = false;
    for (;;) {
        DWORD available = BytesWaiting(readEnd.get());
        if (available != 0) {
            // Read straight onto the end of the output; the string's terminator ends the chunk text.
            size_t chunkStart = output.size();
            output.resize(chunkStart + available);
            DWORD read = 0;
            (void)ReadFile(readEnd.get(), output.data() + chunkStart, available, &read, nullptr);
            output.resize(chunkStart + WithoutZeroBytes(output.data() + chunkStart, read));
            if (notify && observer != nullptr && observer(output.c_str() + chunkStart) != 0) {
                output.resize(chunkStart);
                stopped = true;
                break;
            }
        } else {
            OnEmptyPipe();
            // A fast command can write and end between the look into the pipe and this test: only a
            // pipe found empty after the interpreter has ended holds none of its output any more.
            if (HasEnded(process.get()) && BytesWaiting(readEnd.get()) == 0) {
                break;
            }
        }
        ProcessPendingInput();
        (void)PumpingDelay(1);
    }

    DWORD exitStatus = 0;
    if (!stopped && GetExitCodeProcess(process.get(), &exitStatus)) {
        result.exitStatus = exitStatus;
    }
    readEnd.reset();
    process.reset();
    thread.reset();
    return result;
}

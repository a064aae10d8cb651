// Measures the console command runner against the plainest way of doing the same, side by side in
// one run. Prints "name: value" lines.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "process/console_command_win.h"
#include "process/responsive_delay_win.h"

namespace {

constexpr unsigned long long kCaptureBytes = 64ull << 20;

double NowSeconds() {
    LARGE_INTEGER frequency, counter;
    (void)QueryPerformanceFrequency(&frequency);
    (void)QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double ProcessProcessorSeconds() {
    FILETIME creation, exit, kernel, user;
    (void)GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user);
    auto seconds = [](const FILETIME& time) {
        return (static_cast<unsigned long long>(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

std::string HelperCommand(const std::string& arguments) {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string module(path, length);
    std::string benchFolder = module.substr(0, module.find_last_of('\\'));
    std::string testsFolder = benchFolder.substr(0, benchFolder.find_last_of('\\'));
    return testsFolder + "\\helpers\\console_helper.exe " + arguments;
}

struct Started {
    HANDLE process = nullptr;
    HANDLE readEnd = nullptr;
};

// The interpreter with the command, standard output and error on a new pipe (none when `capture` is false).
Started StartInterpreter(const std::string& command, bool capture) {
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    if (capture) {
        (void)CreatePipe(&readEnd, &writeEnd, &attributes, 0);
        startup.dwFlags |= STARTF_USESTDHANDLES;
        startup.hStdOutput = writeEnd;
        startup.hStdError = writeEnd;
    }
    std::string commandLine = "cmd.exe /c " + command;
    PROCESS_INFORMATION started = {};
    (void)CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started);
    if (writeEnd != nullptr) {
        CloseHandle(writeEnd);
    }
    CloseHandle(started.hThread);
    return {started.hProcess, readEnd};
}

// The floor: one blocking read after the other until every writer is gone.
std::string CaptureByBlockingReads(const std::string& command) {
    Started started = StartInterpreter(command, true);
    std::string output;
    std::vector<char> buffer(1 << 20);
    DWORD read = 0;
    while (ReadFile(started.readEnd, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) && read != 0) {
        output.append(buffer.data(), read);
    }
    (void)WaitForSingleObject(started.process, INFINITE);
    CloseHandle(started.readEnd);
    CloseHandle(started.process);
    return output;
}

void RunShortCommandAndWait(const std::string& command) {
    Started started = StartInterpreter(command, false);
    (void)WaitForSingleObject(started.process, INFINITE);
    CloseHandle(started.process);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename Run>
double SecondsOf(Run run) {
    double start = NowSeconds();
    run();
    return NowSeconds() - start;
}

void MeasureCapture(const char* suffix, size_t writeSize, int rounds) {
    std::string command = HelperCommand("fill " + std::to_string(kCaptureBytes) + " " + std::to_string(writeSize));
    std::vector<double> runner, raw;
    for (int round = 0; round < rounds; ++round) {
        size_t runnerBytes = 0;
        size_t rawBytes = 0;
        runner.push_back(SecondsOf([&] { runnerBytes = RunConsoleCommand(command).size(); }));
        raw.push_back(SecondsOf([&] { rawBytes = CaptureByBlockingReads(command).size(); }));
        if (runnerBytes != kCaptureBytes || rawBytes != kCaptureBytes) {
            std::fprintf(stderr, "runner_bench: captured %zu and %zu bytes of %llu\n", runnerBytes, rawBytes,
                         kCaptureBytes);
        }
    }
    double megabytes = static_cast<double>(kCaptureBytes) / (1 << 20);
    double runnerRate = megabytes / Median(runner);
    double rawRate = megabytes / Median(raw);
    std::printf("runner_capture_mb_s%s: %.1f\n", suffix, runnerRate);
    std::printf("raw_capture_mb_s%s: %.1f\n", suffix, rawRate);
    std::printf("runner_capture_ratio%s: %.2f\n", suffix, runnerRate / rawRate);
    std::fflush(stdout);
}

void MeasureWaitProcessorShare() {
    std::string command = HelperCommand("sleep 3000");
    double processorBefore = ProcessProcessorSeconds();
    double wall = SecondsOf([&] { (void)RunConsoleCommand(command); });
    double processor = ProcessProcessorSeconds() - processorBefore;
    std::printf("runner_wait_cpu_share: %.3f\n", processor / wall);
    std::fflush(stdout);
}

// The floor of the figure above: the 1 ms pauses alone, with no look into a pipe or a process.
void MeasurePauseProcessorShare() {
    double processorBefore = ProcessProcessorSeconds();
    double wall = SecondsOf([] {
        for (double end = NowSeconds() + 3; NowSeconds() < end;) {
            (void)PumpingDelay(1);
        }
    });
    double processor = ProcessProcessorSeconds() - processorBefore;
    std::printf("pause_only_cpu_share: %.3f\n", processor / wall);
    std::fflush(stdout);
}

void MeasureFixedCost() {
    std::string command = HelperCommand("exit 0");
    std::vector<double> runner, raw;
    for (int round = 0; round < 15; ++round) {
        runner.push_back(SecondsOf([&] { (void)RunConsoleCommand(command); }));
        raw.push_back(SecondsOf([&] { RunShortCommandAndWait(command); }));
    }
    std::printf("runner_fixed_cost_ms: %.1f\n", Median(runner) * 1000);
    std::printf("raw_fixed_cost_ms: %.1f\n", Median(raw) * 1000);
    std::fflush(stdout);
}

}  // namespace

int main() {
    // A console program writing through the C runtime's buffered output writes 4096 bytes at a time.
    MeasureCapture("", 4096, 3);
    // With a megabyte waiting at each pass the pipe no longer holds the writer back: this shows what
    // the runner's own handling of a chunk costs.
    MeasureCapture("_1mb_writes", 1 << 20, 3);
    MeasureWaitProcessorShare();
    MeasurePauseProcessorShare();
    MeasureFixedCost();
    return 0;
}

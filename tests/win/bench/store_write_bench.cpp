// Measures the one-click install's write of the app-store package (ExtractPayloadItem of the store
// item carried in this executable, as mossgate.exe carries it) against CopyFileA of the same bytes,
// taking turns, in one run. Prints "name: value" lines; every single time goes to stderr.
//   store_write_bench.exe FOLDER [ROUNDS]   FOLDER: an existing folder for the files
// Two ways of taking turns:
//   settled       each timed operation starts once the files written before it are on the disk (a
//                 flush outside the timing), as at a user's pace, where clicks are seconds apart
//   back to back  one right after the other: each also waits for the disk to take the 45 MB the
//                 other has just written, so the figures depend on which goes first
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/payload_win.h"

namespace {

double NowMs() {
    LARGE_INTEGER frequency, counter;
    (void)QueryPerformanceFrequency(&frequency);
    (void)QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

PROCESS_MEMORY_COUNTERS Memory() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    (void)GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters;
}

double Mb(SIZE_T bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Waits until the file's data is on the disk.
void Flush(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        (void)FlushFileBuffers(file);
        CloseHandle(file);
    }
}

void Fail(const char* what) {
    std::fprintf(stderr, "store_write_bench: %s failed (%lu)\n", what, GetLastError());
    std::exit(1);
}

struct Times {
    std::vector<double> writes, copies;
};

Times TakeTurns(const PayloadItem& item,
                const std::string& written,
                const std::string& copied,
                int rounds,
                bool settled) {
    Times times;
    for (int round = 0; round < rounds; ++round) {
        double start = NowMs();
        if (!ExtractPayloadItem(item, written)) {
            Fail("ExtractPayloadItem");
        }
        times.writes.push_back(NowMs() - start);
        if (settled) {
            Flush(written);
        }
        start = NowMs();
        if (!CopyFileA(written.c_str(), copied.c_str(), FALSE)) {
            Fail("CopyFileA");
        }
        times.copies.push_back(NowMs() - start);
        if (settled) {
            Flush(copied);
        }
    }
    return times;
}

void PrintTimes(const char* name, const std::vector<double>& times) {
    std::fprintf(stderr, "%s:", name);
    for (double ms : times) {
        std::fprintf(stderr, " %.1f", ms);
    }
    std::fprintf(stderr, "\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: store_write_bench FOLDER [ROUNDS]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const std::string written = folder + "\\coolapk.apk";
    const std::string copied = folder + "\\copy.apk";

    const PayloadItem item = FindPayloadItem(payload::kStoreApk);
    if (item.data == nullptr) {
        std::fprintf(stderr, "store_write_bench: no store item in this executable\n");
        return 1;
    }
    const PROCESS_MEMORY_COUNTERS before = Memory();
    // The first write, into a folder without the package: nothing else of size has run yet, so the
    // peak so far is the write's.
    if (!ExtractPayloadItem(item, written)) {
        Fail("ExtractPayloadItem");
    }
    const SIZE_T peak = Memory().PeakWorkingSetSize;
    Flush(written);

    const Times settled = TakeTurns(item, written, copied, rounds, true);
    const Times backToBack = TakeTurns(item, written, copied, rounds, false);
    (void)DeleteFileA(written.c_str());
    (void)DeleteFileA(copied.c_str());

    const double write = Median(settled.writes);
    const double copy = Median(settled.copies);
    std::printf("store_bytes: %lu\n", static_cast<unsigned long>(item.size));
    std::printf("store_write_ms: %.1f\n", write);
    std::printf("copyfile_ms: %.1f\n", copy);
    std::printf("store_write_ratio: %.2f\n", write / copy);
    std::printf("store_write_peak_ws_mb: %.1f\n", Mb(peak));
    std::printf("store_write_ws_before_mb: %.1f\n", Mb(before.WorkingSetSize));
    const double writeBackToBack = Median(backToBack.writes);
    const double copyBackToBack = Median(backToBack.copies);
    std::printf("store_write_back_to_back_ms: %.1f\n", writeBackToBack);
    std::printf("copyfile_back_to_back_ms: %.1f\n", copyBackToBack);
    std::printf("store_write_back_to_back_ratio: %.2f\n", writeBackToBack / copyBackToBack);
    PrintTimes("store write ms, settled", settled.writes);
    PrintTimes("copyfile ms, settled", settled.copies);
    PrintTimes("store write ms, back to back", backToBack.writes);
    PrintTimes("copyfile ms, back to back", backToBack.copies);
    return 0;
}

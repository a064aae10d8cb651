// The console command runner under Wine with the real cmd.exe and the helper program.
#include "process/console_command_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "helpers/numbered_lines.h"
#include "process/console_command_empty_pipe_win.h"
#include "runner_test_support_win.h"

namespace {
std::vector<std::string> seenChunks;
// What this test binary's runner does on a pass that finds the pipe empty (the program's is empty).
void (*emptyPipeStep)() = nullptr;
}  // namespace

void OnEmptyPipe() {
    if (emptyPipeStep != nullptr) {
        emptyPipeStep();
    }
}

namespace {

int32_t RecordChunk(const char* chunk) {
    seenChunks.emplace_back(chunk);
    return 0;
}

int32_t StopAtFirstChunk(const char* chunk) {
    seenChunks.emplace_back(chunk);
    return 1;
}

// The first position where two long texts differ, for a readable failure.
std::string FirstDifference(const std::string& actual, const std::string& expected) {
    size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) {
        ++at;
    }
    return "sizes " + std::to_string(actual.size()) + " and " + std::to_string(expected.size()) +
           ", first difference at " + std::to_string(at);
}

std::string TemporaryFolder(const std::string& name) {
    char base[MAX_PATH] = {};
    (void)GetTempPathA(MAX_PATH, base);
    std::string folder = std::string(base) + name + "_" + std::to_string(GetCurrentProcessId());
    (void)CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

class RunConsoleCommandTest : public ::testing::Test {
  protected:
    void SetUp() override { seenChunks.clear(); }
    void TearDown() override {
        emptyPipeStep = nullptr;
        OverrideInterpreterPrefix("");
        DrainThreadQueue();
    }
};

TEST_F(RunConsoleCommandTest, SilentCommandGivesEmptyText) {
    EXPECT_EQ(RunConsoleCommand("rem nothing to say"), "");
    EXPECT_EQ(RunConsoleCommand(HelperCommand("sleep 200")), "");
}

TEST_F(RunConsoleCommandTest, PutsTheInterpreterPrefixDirectlyBeforeTheCommand) {
    std::string command = HelperCommand("parent-command-line");
    EXPECT_EQ(RunConsoleCommand(command), "cmd.exe /c " + command + "\n");
}

TEST_F(RunConsoleCommandTest, ReturnsOutputFarLargerThanThePipeWholeAndInOrder) {
    const size_t kBytes = 6 * 1024 * 1024 + 5;
    std::string expected = NumberedLines(kBytes);
    std::string output = RunConsoleCommand(HelperCommand("lines " + std::to_string(kBytes)));
    EXPECT_TRUE(output == expected) << FirstDifference(output, expected);
}

TEST_F(RunConsoleCommandTest, CollectsStandardOutputAndErrorInTheOrderWritten) {
    EXPECT_EQ(RunConsoleCommand(HelperCommand("interleave")), "out 1\nerr 1\nout 2\nerr 2\nout 3\nerr 3\n");
}

TEST_F(RunConsoleCommandTest, KeepsOutputWrittenBetweenAnEmptyLookAndTheInterpretersEnd) {
    // The first look finds the pipe empty; the command then writes everything and ends before the
    // runner gets to test the interpreter's end.
    emptyPipeStep = [] {
        static bool first = true;
        if (first) {
            first = false;
            Sleep(2000);
        }
    };
    EXPECT_EQ(RunConsoleCommand(HelperCommand("interleave")), "out 1\nerr 1\nout 2\nerr 2\nout 3\nerr 3\n");
}

TEST_F(RunConsoleCommandTest, GivesTheInterpretersOwnMessageForAnUnknownCommand) {
    std::string output = RunConsoleCommand("mossgate_no_such_command --version");
    EXPECT_NE(output.find("mossgate_no_such_command"), std::string::npos) << output;
}

TEST_F(RunConsoleCommandTest, DropsOnlyTheZeroBytesAndKeepsEveryOtherByteUnchanged) {
    EXPECT_EQ(RunConsoleCommand(HelperCommand("zero")),
              "lead\r\n\xB0\xB2\xD7\xB0 middle trail"
              "next\n");
}

TEST_F(RunConsoleCommandTest, GivesEmptyTextAtOnceWhenTheInterpreterCannotStart) {
    OverrideInterpreterPrefix("mossgate_no_such_interpreter.exe /c ");
    std::string output = "not run";
    double start = NowMilliseconds();
    ASSERT_TRUE(FinishesWithin(10000, [&] { output = RunConsoleCommand("echo hello"); }));
    EXPECT_EQ(output, "");
    EXPECT_LT(MillisecondsSince(start), 1000);
}

TEST_F(RunConsoleCommandTest, GivesTheInterpretersExitStatusBesideTheText) {
    ConsoleResult result = RunConsoleCommandWithStatus(HelperCommand("say done") + " & " + HelperCommand("exit 3"));
    EXPECT_EQ(result.output, "done\n");
    EXPECT_EQ(result.exitStatus, 3u);
    EXPECT_EQ(RunConsoleCommandWithStatus(HelperCommand("say fine")).exitStatus, 0u);
    // Nothing started, or a run the observer stopped: no status to judge by.
    EXPECT_EQ(RunConsoleCommandWithStatus(HelperCommand("say x"), StopAtFirstChunk, true).exitStatus, std::nullopt);
    OverrideInterpreterPrefix("mossgate_no_such_interpreter.exe /c ");
    EXPECT_EQ(RunConsoleCommandWithStatus("echo hello").exitStatus, std::nullopt);
}

TEST_F(RunConsoleCommandTest, EndsForAnInterpreterThatExitsWithTheStillActiveStatus) {
    // The interpreter really ends with 259, the status a running process reports.
    std::string commandLine = "cmd.exe /c exit 259";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    ASSERT_TRUE(
        CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started));
    ASSERT_EQ(WaitForSingleObject(started.hProcess, 10000), WAIT_OBJECT_0);
    DWORD status = 0;
    GetExitCodeProcess(started.hProcess, &status);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    ASSERT_EQ(status, 259u);

    std::string output = "not run";
    EXPECT_TRUE(FinishesWithin(10000, [&] { output = RunConsoleCommand("echo before & exit 259"); }));
    EXPECT_EQ(output, "before \r\n");
}

TEST_F(RunConsoleCommandTest, ReturnsWhenTheInterpreterEndsThoughABackgroundProgramHoldsThePipe) {
    // The program started in the background inherits the pipe and writes after 5 s.
    double start = NowMilliseconds();
    std::string output = RunConsoleCommand(HelperCommand("background 5000"));
    EXPECT_EQ(output, "started\n");
    EXPECT_LT(MillisecondsSince(start), 3500);
}

TEST_F(RunConsoleCommandTest, ShowsTheObserverEveryChunkOnlyWhenAskedTo) {
    // More than the pipe holds, so it cannot all arrive in one chunk.
    std::string expected = NumberedLines(3 * 1024 * 1024);
    std::string command = HelperCommand("lines " + std::to_string(3 * 1024 * 1024));

    std::string output = RunConsoleCommand(command, RecordChunk, false);
    EXPECT_TRUE(output == expected) << FirstDifference(output, expected);
    EXPECT_TRUE(seenChunks.empty());

    output = RunConsoleCommand(command, RecordChunk, true);
    EXPECT_TRUE(output == expected) << FirstDifference(output, expected);
    std::string told;
    for (const std::string& chunk : seenChunks) {
        told += chunk;
    }
    EXPECT_GT(seenChunks.size(), 1u);
    EXPECT_TRUE(told == expected) << FirstDifference(told, expected);
}

TEST_F(RunConsoleCommandTest, ObserverAnsweringNonZeroEndsTheRunWithoutThatChunkAndLeavesTheCommandRunning) {
    std::string marker = TemporaryFolder("mossgate_runner") + "\\finished.txt";
    (void)DeleteFileA(marker.c_str());

    std::string output =
        RunConsoleCommand(HelperCommand("chunk-then-marker " + marker + " 1500"), StopAtFirstChunk, true);
    EXPECT_EQ(output, "");
    ASSERT_EQ(seenChunks, std::vector<std::string>{"first chunk\n"});
    EXPECT_EQ(GetFileAttributesA(marker.c_str()), INVALID_FILE_ATTRIBUTES) << "the command was waited for";

    bool finished = false;
    for (int attempt = 0; attempt < 100 && !finished; ++attempt) {
        Sleep(100);
        finished = GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    EXPECT_TRUE(finished) << "the command did not go on by itself";
    (void)DeleteFileA(marker.c_str());
}

TEST_F(RunConsoleCommandTest, StartsCommandsInTheRunDirectoryWhateverTheCurrentDirectory) {
    char savedCurrent[MAX_PATH] = {};
    (void)GetCurrentDirectoryA(MAX_PATH, savedCurrent);
    std::string runFolder = TemporaryFolder("mossgate_run_dir");
    std::string elsewhere = TemporaryFolder("mossgate_elsewhere");
    std::string helperCopy = runFolder + "\\console_helper.exe";
    ASSERT_TRUE(CopyFileA(HelperPath().c_str(), helperCopy.c_str(), FALSE));

    SetCommandWorkingFolder(runFolder);
    ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.c_str()));  // as a file dialog may leave it
    EXPECT_EQ(RunConsoleCommand("cd"), runFolder + "\r\n");
    EXPECT_EQ(RunConsoleCommand(".\\console_helper.exe say found"), "found\n");

    SetCommandWorkingFolder("");
    EXPECT_EQ(RunConsoleCommand("cd"), elsewhere + "\r\n");

    (void)SetCurrentDirectoryA(savedCurrent);
    (void)DeleteFileA(helperCopy.c_str());
    (void)RemoveDirectoryA(runFolder.c_str());
    (void)RemoveDirectoryA(elsewhere.c_str());
}

TEST_F(RunConsoleCommandTest, KeepsTheWindowResponsiveAndLeavesQuitQueued) {
    MessageRecorder recorder;
    recorder.QuitOnNextMessage(7);  // as the main window does when it is closed mid-command
    HWND window = recorder.window();
    bool sentMessageAnswered = false;
    std::thread user([&] {
        Sleep(300);
        PostMessageA(window, MessageRecorder::kRecorded, 0, 0);
        Sleep(200);
        DWORD_PTR answer = 0;
        sentMessageAnswered = SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer) != 0;
    });

    double start = NowMilliseconds();
    double processorBefore = ThreadProcessorMilliseconds();
    std::string output = RunConsoleCommand(HelperCommand("sleep 2000"));
    double processor = ThreadProcessorMilliseconds() - processorBefore;
    double elapsed = MillisecondsSince(start);
    user.join();

    EXPECT_EQ(output, "");
    EXPECT_EQ(recorder.handled(), 1);
    EXPECT_LT(recorder.lastHandled() - start, 1500) << "the posted message waited for the command";
    EXPECT_TRUE(sentMessageAnswered);
    // With WM_QUIT queued the pauses must still sleep rather than spin.
    EXPECT_LT(processor, elapsed * 0.5) << processor << " ms of processor time in " << elapsed << " ms";
    WPARAM quitCode = 0;
    EXPECT_TRUE(DrainThreadQueue(&quitCode));
    EXPECT_EQ(quitCode, 7u);
}
TEST_F(RunConsoleCommandTest, CommandStartedByAHandlerDuringARunCompletesInsideIt) {
    MessageRecorder recorder;
    std::string inner = "not run";
    recorder.DoOnNextMessage([&] { inner = RunConsoleCommand(HelperCommand("say inner")); });
    HWND window = recorder.window();
    std::thread user([window] {
        Sleep(200);
        PostMessageA(window, MessageRecorder::kRecorded, 0, 0);
    });
    std::string outer = RunConsoleCommand("echo outer one& " + HelperCommand("sleep 1000") + "& echo outer two");
    user.join();

    EXPECT_EQ(inner, "inner\n");
    EXPECT_EQ(outer, "outer one\r\nouter two\r\n");
}
}  // namespace

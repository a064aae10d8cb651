// RunProgram under Wine: the window state handed to the started program, the waits, failures.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "process/run_program_win.h"

namespace {

// <chrono> does not build with the GBK execution character set (its µs literal has no GBK form).
DWORD ElapsedMs(DWORD since) {
    return GetTickCount() - since;
}

std::string TestFolder() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string module(path, length);
    return module.substr(0, module.find_last_of('\\'));
}

struct ProbeRecord {
    unsigned showWindow = 0;
    unsigned long flags = 0;
    std::string folder;
    std::string commandLine;
};

class RunProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        record_ = TestFolder() + "\\run_program_" + info->name() + ".txt";
        (void)DeleteFileA(record_.c_str());
    }
    void TearDown() override { (void)DeleteFileA(record_.c_str()); }

    std::string ProbeLine(const char* probe = "startup_probe.exe", int stayMs = 0) const {
        return "\"" + TestFolder() + "\\" + probe + "\" \"" + record_ + "\" " + std::to_string(stayMs);
    }

    bool RecordExists() const { return GetFileAttributesA(record_.c_str()) != INVALID_FILE_ATTRIBUTES; }

    // Waits (bounded) for the probe to write its record and reads it.
    ProbeRecord ReadRecord(DWORD limitMs = 20000) const {
        const DWORD start = GetTickCount();
        while (!RecordExists() && ElapsedMs(start) < limitMs) {
            Sleep(20);
        }
        std::ifstream file(record_, std::ios::binary);
        ProbeRecord record;
        std::string firstLine;
        std::getline(file, firstLine);
        std::istringstream(firstLine) >> record.showWindow >> record.flags;
        std::getline(file, record.folder);
        std::getline(file, record.commandLine, '\0');
        return record;
    }

    std::string record_;
};

TEST_F(RunProgramTest, HandsTheShowModeToTheProgram) {
    struct Case {
        std::optional<int> mode;
        unsigned expected;
    };
    const Case cases[] = {
        {std::nullopt, SW_SHOWNORMAL},  // left out means 2
        {1, SW_HIDE},
        {2, SW_SHOWNORMAL},
        {3, SW_SHOWMINIMIZED},
        {4, SW_SHOWMAXIMIZED},
        {5, SW_SHOWNOACTIVATE},
        {6, SW_MINIMIZE},
        {0, SW_HIDE},  // clamped to 1
        {-7, SW_HIDE},
        {7, SW_MINIMIZE},  // clamped to 6
        {1000, SW_MINIMIZE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode ? std::to_string(*c.mode) : std::string("left out"));
        (void)DeleteFileA(record_.c_str());
        ASSERT_TRUE(RunProgram(ProbeLine(), true, c.mode));
        ASSERT_TRUE(RecordExists());
        const ProbeRecord record = ReadRecord();
        EXPECT_EQ(record.showWindow, c.expected);
        EXPECT_EQ(record.flags, static_cast<unsigned long>(STARTF_USESHOWWINDOW));
    }
}

TEST_F(RunProgramTest, StartsTheCommandLineInTheCallersFolder) {
    char folder[MAX_PATH] = {};
    (void)GetCurrentDirectoryA(MAX_PATH, folder);
    const std::string line = ProbeLine() + " extra \"two words\"";
    ASSERT_TRUE(RunProgram(line, true));
    const ProbeRecord record = ReadRecord();
    EXPECT_EQ(record.commandLine, line);
    EXPECT_EQ(record.folder, folder);
}

TEST_F(RunProgramTest, WaitsForTheEndOnlyWhenAsked) {
    DWORD start = GetTickCount();
    ASSERT_TRUE(RunProgram(ProbeLine("startup_probe.exe", 1500), true));
    EXPECT_GE(ElapsedMs(start), 1400u);
    EXPECT_TRUE(RecordExists()) << "the program had ended when RunProgram returned";

    (void)DeleteFileA(record_.c_str());
    start = GetTickCount();
    ASSERT_TRUE(RunProgram(ProbeLine("startup_probe.exe", 4000), false));
    EXPECT_LT(ElapsedMs(start), 3000u);
    EXPECT_FALSE(RecordExists()) << "RunProgram returned while the program still ran";
    (void)ReadRecord();  // let it finish before the record is removed
    EXPECT_TRUE(RecordExists());
}

TEST_F(RunProgramTest, WaitsAtMostASecondForAWindowedProgramThatIsNeverIdle) {
    // The windowed probe never reads messages, so it never becomes input-idle.
    const DWORD start = GetTickCount();
    ASSERT_TRUE(RunProgram(ProbeLine("startup_probe_gui.exe", 5000), false, 1));
    const DWORD waited = ElapsedMs(start);
    EXPECT_GE(waited, 900u);
    EXPECT_LT(waited, 3000u);
    EXPECT_FALSE(RecordExists());
    (void)ReadRecord();
}

TEST_F(RunProgramTest, ClosesTheHandlesOfTheStartedProgram) {
    DWORD before = 0;
    DWORD after = 0;
    ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &before));
    ASSERT_TRUE(RunProgram(ProbeLine(), true, 4));
    (void)DeleteFileA(record_.c_str());
    ASSERT_TRUE(RunProgram(ProbeLine(), false, 4));
    (void)ReadRecord();  // the program has ended
    Sleep(100);
    ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &after));
    EXPECT_EQ(after, before);
}

TEST_F(RunProgramTest, FailsWhenTheProgramCannotBeStarted) {
    EXPECT_FALSE(RunProgram("mossgate-no-such-program-here.exe /x", false, 4));
    EXPECT_FALSE(RunProgram("\"" + TestFolder() + "\\missing folder\\startup_probe.exe\" x", true));
    EXPECT_FALSE(RunProgram("", false));
}

}  // namespace

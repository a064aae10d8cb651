// SplitCommandLine on the command line a real process receives from CreateProcessA.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string HelperPath() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string self(path, length);
    return self.substr(0, self.find_last_of('\\')) + "\\helpers\\print_arguments.exe";
}

std::string Hex(const std::string& bytes) {
    std::string text;
    char digits[3];
    for (unsigned char c : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", c);
        text += digits;
    }
    return "[" + text + "]";
}

// Starts the helper with the given text after its quoted path and returns its output lines.
std::vector<std::string> ArgumentsSeenBy(const std::string& arguments) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    EXPECT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process = {};
    std::string line = "\"" + HelperPath() + "\" " + arguments;
    EXPECT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                               &startup, &process));
    CloseHandle(writeEnd);
    std::string output;
    char buffer[4096];
    DWORD count = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &count, nullptr) && count > 0) {
        output.append(buffer, count);
    }
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(readEnd);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string text = output.substr(start, end - start);
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
        lines.push_back(text);
    }
    return lines;
}

using Lines = std::vector<std::string>;

TEST(SplitCommandLine, QuotedPathWithBlanksAndChineseArrivesWhole) {
    const std::string path = "C:\\My Apps\\\xB0\xB2\xD7\xB0\xB0\xFC.apk";  // 安装包.apk
    EXPECT_EQ(ArgumentsSeenBy("\"" + path + "\" second"), (Lines{Hex(path), Hex("second")}));
}

TEST(SplitCommandLine, RealCommandLineKeepsTheSplittingRules) {
    EXPECT_EQ(ArgumentsSeenBy("C:\\My Apps\\x.apk"), (Lines{Hex("C:\\My"), Hex("Apps\\x.apk")}));
    EXPECT_EQ(ArgumentsSeenBy("a\"b c\"d"), (Lines{Hex("a"), Hex("b c"), Hex("d")}));
    EXPECT_EQ(ArgumentsSeenBy("\"\""), Lines{Hex("")});
    EXPECT_EQ(ArgumentsSeenBy(""), Lines{});
}

}  // namespace

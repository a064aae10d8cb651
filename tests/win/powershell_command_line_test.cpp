// How PowerShell receives the install command line: the system splits it into arguments the way
// CommandLineToArgvW does, PowerShell joins the words after its name into its command and reads
// the package path as a single-quoted string. Both steps are replayed here on what Windows makes
// of the GBK bytes.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wsa/wsa_install.h"

namespace {

std::wstring Widen(const std::string& gbk) {
    if (gbk.empty()) {
        return {};
    }
    const int length = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
    std::wstring wide(length, L'\0');
    (void)MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), wide.data(), length);
    return wide;
}

std::vector<std::wstring> SplitLikeTheSystem(const std::wstring& line) {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::wstring> arguments;
    if (words != nullptr) {
        arguments.assign(words, words + count);
        (void)LocalFree(words);
    }
    return arguments;
}

// PowerShell's single quotes: ' and the typographic ‘ ’ ‚ ‛. Two in a row stand for the first one.
bool IsPowerShellSingleQuote(wchar_t c) {
    return c == L'\'' || c == 0x2018 || c == 0x2019 || c == 0x201A || c == 0x201B;
}

struct SingleQuoted {
    bool closed = false;
    std::wstring value;
    std::wstring rest;  // after the closing quote
};

SingleQuoted ReadSingleQuotedString(const std::wstring& text) {
    SingleQuoted result;
    if (text.empty() || !IsPowerShellSingleQuote(text[0])) {
        return result;
    }
    size_t i = 1;
    while (i < text.size()) {
        if (IsPowerShellSingleQuote(text[i])) {
            if (i + 1 < text.size() && IsPowerShellSingleQuote(text[i + 1])) {
                result.value.push_back(text[i]);
                i += 2;
                continue;
            }
            result.closed = true;
            result.rest = text.substr(i + 1);
            return result;
        }
        result.value.push_back(text[i++]);
    }
    return result;
}

void ExpectPowerShellReadsThePathWhole(const std::string& path) {
    SCOPED_TRACE(path);
    const std::vector<std::wstring> words = SplitLikeTheSystem(Widen(BuildWsaInstallCommandLine(path)));
    ASSERT_EQ(words.size(), 5u);
    EXPECT_EQ(words[0], L"powershell");
    EXPECT_EQ(words[1], L"add-appxpackage");
    // The double quotes are gone, the single quotes are kept: one argument, and the line's CR LF
    // and the first word after it run on in the same argument.
    const SingleQuoted quoted = ReadSingleQuotedString(words[2]);
    ASSERT_TRUE(quoted.closed);
    EXPECT_EQ(quoted.value, Widen(path));
    EXPECT_EQ(quoted.rest, L"\r\ntime");
    EXPECT_EQ(words[3], L"out");
    EXPECT_EQ(words[4], L"(5000)");
}

TEST(WsaInstallCommandLine, PowerShellReadsEveryPathAsOneQuotedArgument) {
    ExpectPowerShellReadsThePathWhole("C:\\wsa.Msixbundle");
    ExpectPowerShellReadsThePathWhole("C:\\My Files\\WSA  two blanks.Msixbundle");
    ExpectPowerShellReadsThePathWhole("   ");
    ExpectPowerShellReadsThePathWhole("D:\\$env:TEMP\\$(calc)\\a`b`\\x.Msixbundle");
    ExpectPowerShellReadsThePathWhole("C:\\Bob's 'files'\\wsa.Msixbundle");
    ExpectPowerShellReadsThePathWhole("'");
    ExpectPowerShellReadsThePathWhole("C:\\trailing backslash\\");
    ExpectPowerShellReadsThePathWhole("C:\\‘引号’\\’\\wsa.Msixbundle");
    ExpectPowerShellReadsThePathWhole("C:\\用户\\中文路径\\安装包.Msixbundle");
    // 啊 then 畝: bytes A1 AE across two characters; 乣 乗 亅 with ASCII-looking trail bytes.
    ExpectPowerShellReadsThePathWhole("C:\\\xB0\xA1\xAE\x80\\\x81\x60\x81\x5C\x81\x7C.Msixbundle");
}

}  // namespace

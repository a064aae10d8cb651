// adb.exe's own split of the wide command line, as the C runtime splits one.
#include <gtest/gtest.h>

#include "adb/win/wide_arguments.h"

namespace adb {
namespace {

using Arguments = std::vector<std::wstring>;

TEST(WideCommandLine, SplitsAtBlanksAndGroupsQuotedParts) {
    EXPECT_EQ(SplitWideCommandLine(L"adb.exe install  \"C:\\My Files\\\x4e00.apk\""),
              (Arguments{L"adb.exe", L"install", L"C:\\My Files\\\x4e00.apk"}));
    EXPECT_EQ(SplitWideCommandLine(L"\"C:\\a b\\adb.exe\" connect\t127.0.0.1:58526 "),
              (Arguments{L"C:\\a b\\adb.exe", L"connect", L"127.0.0.1:58526"}));
    EXPECT_EQ(SplitWideCommandLine(L"adb a\"b c\"d"), (Arguments{L"adb", L"ab cd"}));
    EXPECT_EQ(SplitWideCommandLine(L"adb \"\""), (Arguments{L"adb", L""}));
}

TEST(WideCommandLine, BackslashesCountOnlyBeforeAQuote) {
    EXPECT_EQ(SplitWideCommandLine(L"adb C:\\dir\\ x"), (Arguments{L"adb", L"C:\\dir\\", L"x"}));
    EXPECT_EQ(SplitWideCommandLine(L"adb \"C:\\dir\\\\\" x"), (Arguments{L"adb", L"C:\\dir\\", L"x"}));
    EXPECT_EQ(SplitWideCommandLine(L"adb a\\\"b"), (Arguments{L"adb", L"a\"b"}));
    EXPECT_EQ(SplitWideCommandLine(L"adb \"a\"\"b\""), (Arguments{L"adb", L"a\"b"}));
}

TEST(WideCommandLine, TheProgramNameIsTakenAsItIs) {
    EXPECT_EQ(SplitWideCommandLine(L"C:\\tools\\adb.exe"), (Arguments{L"C:\\tools\\adb.exe"}));
    EXPECT_EQ(SplitWideCommandLine(L"\"unclosed name"), (Arguments{L"unclosed name"}));
    EXPECT_EQ(SplitWideCommandLine(L""), (Arguments{L""}));
}

}  // namespace
}  // namespace adb

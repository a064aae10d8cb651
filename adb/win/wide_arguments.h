// A wide command line split into arguments as the C runtime splits it, so adb.exe sees every file
// name whole, whatever the ANSI code page can show.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace adb {

// The program name first (up to its closing quote or the first blank, taken as it is); then
// blanks separate outside quotes, 2n backslashes before a quote give n and the quote toggles,
// 2n+1 give n and a literal quote, "" inside quotes is a literal quote, other backslashes stay.
std::vector<std::wstring> SplitWideCommandLine(std::wstring_view line);

}  // namespace adb

// Splitting a command line into arguments, byte by byte, GBK-aware.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Splits a whole command line (program name first) into its arguments, program name excluded:
// double quotes group (and are dropped), bytes up to 0x20 separate, a byte of 0x80 or more is a
// double-byte lead and keeps the byte after it. No escapes, no backslash rules.
std::vector<std::string> SplitArguments(std::string_view commandLine);

// The same rules over the wide command line, where every character is whole: the paths it names keep
// characters the ANSI code page lacks.
std::vector<std::wstring> SplitWideArguments(std::wstring_view commandLine);

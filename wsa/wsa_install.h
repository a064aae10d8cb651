// The pure half of installing the WSA platform package: its PowerShell command line.
#pragma once

#include <string>

// The bytes of: powershell add-appxpackage "'<path>'" CR LF time out (5000)
// PowerShell drops the double quotes and reads the rest as its command, so the path stands in a
// single-quoted PowerShell string (no word splitting at blanks, no expansion of $ or `), with
// every single-quote character in it doubled.
std::string BuildWsaInstallCommandLine(const std::string& packagePath);

// The text as the body of a PowerShell single-quoted string: each ' and each typographic ‘ or ’
// (GBK A1AE, A1AF; PowerShell takes them for single quotes too) doubled. Double-byte characters
// are read whole, so a byte inside another character never counts.
std::string EscapeForSingleQuotedString(const std::string& text);

// Between the program's ANSI texts and the wide (UTF-16) form that Windows keeps file names in.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// ANSI text in its wide form; the conversion is exact.
std::wstring WideFromAnsi(std::string_view text);

// Wide text in the ANSI code page, for showing it: a character the code page lacks becomes '?'.
std::string AnsiFromWide(std::wstring_view text);

// Wide text in the ANSI code page when every character has its own form there; none when a character
// would be lost or replaced by a look-alike (a path with it would then name another file, or none).
std::optional<std::string> ExactAnsi(std::wstring_view text);

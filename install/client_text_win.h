// The Win32 half of the client's words: converting the makers' UTF-8 to the ANSI code page.
#pragma once

#include <string>
#include <string_view>

// The output as the log shows it. With the makers' toolkit embedded, every line that is UTF-8 beyond
// plain ASCII is converted to the ANSI code page (lines that are not, such as the interpreter's own,
// stay as they are); with our own toolkit, which writes ANSI, the output is returned unchanged.
std::string ClientTextForLog(std::string_view output);

// UTF-8 text in the ANSI code page (characters it lacks become '?').
std::string Utf8ToAnsi(std::string_view text);

// The client's words as the log shows them. Our toolkit writes the ANSI code page; the makers' client
// writes UTF-8 to a pipe, while the interpreter's own messages in the same pipe stay ANSI.
#pragma once

#include <string>
#include <string_view>

// Whether the bytes are well-formed UTF-8 (shortest forms, no surrogates, nothing past U+10FFFF).
bool IsUtf8(std::string_view text);

// Whether a line is worth converting from UTF-8: well-formed and not plain ASCII.
bool IsUtf8Beyond7Bit(std::string_view line);

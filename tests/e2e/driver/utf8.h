// UTF-8 decoding and encoding without the platform: the driver speaks UTF-8 on its pipes.
#pragma once

#include <string>

// Code points of a UTF-8 text; each invalid or truncated sequence gives one U+FFFD.
std::u32string DecodeUtf8(const std::string& utf8);

void AppendUtf8(std::string& out, char32_t codePoint);

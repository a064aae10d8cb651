// Conversions at the driver's boundary: UTF-8 on the pipes, UTF-16 for W functions, GBK (code page
// 936) for the program's own texts.
#pragma once

#include <string>

std::wstring Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(const std::wstring& wide);
std::string GbkToUtf8(const std::string& gbk);
// lossy is set when a character has no GBK form (it becomes '?').
std::string Utf8ToGbk(const std::string& utf8, bool* lossy = nullptr);
std::string HexBytes(const std::string& bytes);

#include "tests/e2e/driver/text_win.h"

#include <windows.h>

namespace {
constexpr UINT kGbk = 936;

std::wstring ToWide(UINT codePage, const std::string& text) {
    if (text.empty())
        return {};
    int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string FromWide(UINT codePage, const std::wstring& wide, bool* lossy) {
    if (lossy)
        *lossy = false;
    if (wide.empty())
        return {};
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultPointer = codePage == CP_UTF8 ? nullptr : &usedDefault;
    int length = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                     usedDefaultPointer);
    std::string text(length, '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr,
                        usedDefaultPointer);
    if (lossy)
        *lossy = usedDefault != FALSE;
    return text;
}
}  // namespace

std::wstring Utf8ToWide(const std::string& utf8) {
    return ToWide(CP_UTF8, utf8);
}

std::string WideToUtf8(const std::wstring& wide) {
    return FromWide(CP_UTF8, wide, nullptr);
}

std::string GbkToUtf8(const std::string& gbk) {
    return WideToUtf8(ToWide(kGbk, gbk));
}

std::string Utf8ToGbk(const std::string& utf8, bool* lossy) {
    return FromWide(kGbk, Utf8ToWide(utf8), lossy);
}

std::string HexBytes(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

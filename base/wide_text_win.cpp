#include "base/wide_text_win.h"

#include <windows.h>

std::wstring WideFromAnsi(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    std::wstring wide(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0)), L'\0');
    (void)MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

std::string AnsiFromWide(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    std::string ansi(
        static_cast<size_t>(WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr)), '\0');
    (void)WideCharToMultiByte(CP_ACP, 0, text.data(), size, ansi.data(), static_cast<int>(ansi.size()), nullptr,
                              nullptr);
    return ansi;
}

std::optional<std::string> ExactAnsi(std::wstring_view text) {
    if (text.empty()) {
        return std::string();
    }
    const int size = static_cast<int>(text.size());
    BOOL lost = FALSE;
    std::string ansi(static_cast<size_t>(WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr,
                                                             0, nullptr, &lost)),
                     '\0');
    lost = FALSE;
    (void)WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, ansi.data(),
                              static_cast<int>(ansi.size()), nullptr, &lost);
    // The way back must give the same text: some code pages map several characters to one.
    if (lost || WideFromAnsi(ansi) != text) {
        return std::nullopt;
    }
    return ansi;
}

#include "install/client_text_win.h"

#include <windows.h>

#include "install/client_text.h"

namespace {

#ifdef MOSSGATE_MAKERS_TOOLKIT
constexpr bool kToolkitWritesUtf8 = true;
#else
constexpr bool kToolkitWritesUtf8 = false;
#endif

}  // namespace

std::string Utf8ToAnsi(std::string_view line) {
    const int wideLength = MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
    if (wideLength <= 0) {
        return std::string(line);
    }
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    (void)MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), wide.data(), wideLength);
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return std::string(line);
    }
    std::string ansi(static_cast<size_t>(length), '\0');
    (void)WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, ansi.data(), length, nullptr, nullptr);
    return ansi;
}

std::string ClientTextForLog(std::string_view output) {
    if (!kToolkitWritesUtf8) {
        return std::string(output);
    }
    std::string converted;
    converted.reserve(output.size());
    while (!output.empty()) {
        const size_t end = output.find('\n');
        const std::string_view line = output.substr(0, end == std::string_view::npos ? output.size() : end + 1);
        output.remove_prefix(line.size());
        converted += IsUtf8Beyond7Bit(line) ? Utf8ToAnsi(line) : std::string(line);
    }
    return converted;
}
